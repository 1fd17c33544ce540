// Ruleset evaluation: resolving operands, following their statuses, and
// computing the ruleset's value.
#include "cs/condition/cs_condition_ruleset_eval.h"

#include "cs/base/cs_module.h"
#include "cs/module/cs_module_record.h"
#include "cs/module/cs_module_table.h"
#include "cs/object/cs_object.h"
#include "cs/object/cs_object_observer.h"
#include "cs/base/cs_release_later.hpp"
#include "cs/status/cs_status.h"
#include "cs/status/cs_status_item.h"
#include "cs/status/cs_status_item_type.h"
#include "cs/status/cs_status_items.h"
#include "pb/pb_alert.h"
#include "pb/pb_dict.h"
#include "pb/pb_monitor.hpp"
#include "pb/pb_ref.hpp"
#include "pb/pb_signalable.h"
#include "pb/pb_stdfunc.hpp"

struct CS___CONDITION_RULESET_EVAL {
    PB_OBJ obj;
    PB_MONITOR* intMonitor;              // set once at creation; guards every field below
    CS_CONDITION_RULESET* intRuleset;    // set once at creation; value object, shared read-only
    PB_DICT* intModulesByReference;      // module -> module; set once at creation
    PB_DICT* intModulesByName;           // module name -> module; resolved once at creation
    PB_DICT* intObjectsByReference;      // object -> object; set once at creation
    PB_DICT* intObserversByName;         // object name -> object observer; set once at creation
    PB_ALERT* intOutOfDateAlert;         // set once at creation; set when the value may be stale
    PB_SIGNALABLE* intSignalable;        // set once at creation; sets intOutOfDateAlert
    PB_BOOL intValue;                    // guarded by intMonitor; the last evaluation's result
    PB_DICT* intModuleStatuses;          // guarded by intMonitor; module -> status
    PB_DICT* intObjectsByName;           // guarded by intMonitor; object name -> the object observed now
    PB_DICT* intObjectStatuses;          // guarded by intMonitor; object -> status
};

namespace {

using Eval = CS___CONDITION_RULESET_EVAL;
using Operand = CS_CONDITION_RULE_OPERAND;

// Takes the signalable off the update signal of every status in statuses.
// Statuses outlive the evaluation (a module's lasts as long as the module),
// and the signalable holds the alert and, through it, the owner's
// alertables and process.
void unsubscribe(Eval* eval, PB_DICT* statuses) {
    for (PB_INT i = 0; i < pbDictLength(statuses); ++i) {
        auto status = pb::adopt(csStatusFrom(pbDictValueAt(statuses, i)));
        csStatusUpdateDelSignalable(status.get(), eval->intSignalable);
    }
}

// The object observers go with the evaluation, and their signals with
// them; the statuses stay, so the evaluation leaves their signals.
void evalFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS___CONDITION_RULESET_EVAL);
    auto* eval = reinterpret_cast<Eval*>(obj);
    unsubscribe(eval, eval->intModuleStatuses);
    unsubscribe(eval, eval->intObjectStatuses);
    pb::releaseField(eval->intMonitor);
    pb::releaseField(eval->intRuleset);
    pb::releaseField(eval->intModulesByReference);
    pb::releaseField(eval->intModulesByName);
    pb::releaseField(eval->intObjectsByReference);
    pb::releaseField(eval->intObserversByName);
    pb::releaseField(eval->intOutOfDateAlert);
    pb::releaseField(eval->intSignalable);
    pb::releaseField(eval->intModuleStatuses);
    pb::releaseField(eval->intObjectsByName);
    pb::releaseField(eval->intObjectStatuses);
}

// Enters one operand in the dictionary of the first of its four sources
// that is set. A module name that the module table does not know is
// entered nowhere: its operand reads its default value from then on.
void collect(Eval* eval, Operand* operand) {
    if (auto module = pb::adopt(csConditionRuleOperandModule(operand))) {
        pbDictSetObjKey(&eval->intModulesByReference, pbModuleObj(module.get()), pbModuleObj(module.get()));
    } else if (auto name = pb::adopt(csConditionRuleOperandModuleName(operand))) {
        if (auto record = pb::adopt(cs___ModuleTableRecordByModuleName(name.get()))) {
            auto found = pb::adopt(cs___ModuleRecordModule(record.get()));
            pbDictSetStringKey(&eval->intModulesByName, name.get(), pbModuleObj(found.get()));
        }
    } else if (auto object = pb::adopt(csConditionRuleOperandObject(operand))) {
        pbDictSetObjKey(&eval->intObjectsByReference, object.get(), object.get());
    } else if (auto objectName = pb::adopt(csConditionRuleOperandObjectName(operand))) {
        auto observer = pb::adopt(csObjectObserverCreate());
        csObjectObserverSetObservedName(observer.get(), objectName.get());
        pbDictSetStringKey(&eval->intObserversByName, objectName.get(), csObjectObserverObj(observer.get()));
    }
}

// Takes the object each observer sees now, and subscribes to the next
// change of it. Monitor held.
void refreshObjects(Eval* eval, cs::ReleaseLater& later) {
    for (PB_INT i = 0; i < pbDictLength(eval->intObserversByName); ++i) {
        auto name = pb::adopt(pbStringFrom(pbDictKeyAt(eval->intObserversByName, i)));
        auto observer = pb::adopt(csObjectObserverFrom(pbDictValueAt(eval->intObserversByName, i)));
        csObjectObserverUpdateAddSignalable(observer.get(), eval->intSignalable);
        auto object = pb::adopt(csObjectObserverObject(observer.get()));
        auto current = pb::adopt(pbDictStringKey(eval->intObjectsByName, name.get()));
        if (object.get() == current.get()) continue;
        later.keep(eval->intObjectsByName);
        if (object) {
            pbDictSetStringKey(&eval->intObjectsByName, name.get(), object.get());
        } else {
            pbDictDelStringKey(&eval->intObjectsByName, name.get());
        }
    }
}

// Keeps the statuses of the wanted keys (the values of byName and the keys
// of byReference) that have not ended, asks for a status for every wanted
// key that has none, and subscribes to the next change of each. So a
// status is asked for again only when it ended or its object changed.
// Monitor held.
void refreshStatuses(Eval* eval, PB_DICT*& statuses, PB_DICT* byName, PB_DICT* byReference,
                     CS_STATUS* (*statusOf)(PB_OBJ*), cs::ReleaseLater& later) {
    auto wanted = pb::retain(byReference);
    for (PB_INT i = 0; i < pbDictLength(byName); ++i) {
        auto key = pb::adopt(pbDictValueAt(byName, i));
        pbDictSetObjKey(wanted.out(), key.get(), key.get());
    }
    bool kept = false;
    for (PB_INT i = pbDictLength(statuses) - 1; i >= 0; --i) {
        auto key = pb::adopt(pbDictKeyAt(statuses, i));
        auto status = pb::adopt(csStatusFrom(pbDictValueAt(statuses, i)));
        if (pbDictHasObjKey(wanted.get(), key.get()) && !csStatusEnd(status.get())) continue;
        if (!kept) later.keep(statuses);
        kept = true;
        pbDictDelAt(&statuses, i);
    }
    for (PB_INT i = 0; i < pbDictLength(wanted.get()); ++i) {
        auto key = pb::adopt(pbDictKeyAt(wanted.get(), i));
        if (pbDictHasObjKey(statuses, key.get())) continue;
        if (auto status = pb::adopt(statusOf(key.get())))
            pbDictSetObjKey(&statuses, key.get(), csStatusObj(status.get()));
    }
    for (PB_INT i = 0; i < pbDictLength(statuses); ++i) {
        auto status = pb::adopt(csStatusFrom(pbDictValueAt(statuses, i)));
        csStatusUpdateAddSignalable(status.get(), eval->intSignalable);
    }
}

CS_STATUS* moduleStatusOf(PB_OBJ* module) { return csModuleStatusByModule(pbModuleFrom(module)); }

// The status an operand reads, found through the first of its sources
// that is set, or NULL. Monitor held.
pb::Ref<CS_STATUS> statusOf(Eval* eval, Operand* operand) {
    pb::Ref<PB_OBJ> status;
    if (auto module = pb::adopt(csConditionRuleOperandModule(operand))) {
        status = pb::adopt(pbDictObjKey(eval->intModuleStatuses, pbModuleObj(module.get())));
    } else if (auto name = pb::adopt(csConditionRuleOperandModuleName(operand))) {
        if (auto found = pb::adopt(pbDictStringKey(eval->intModulesByName, name.get())))
            status = pb::adopt(pbDictObjKey(eval->intModuleStatuses, found.get()));
    } else if (auto object = pb::adopt(csConditionRuleOperandObject(operand))) {
        status = pb::adopt(pbDictObjKey(eval->intObjectStatuses, object.get()));
    } else if (auto objectName = pb::adopt(csConditionRuleOperandObjectName(operand))) {
        if (auto found = pb::adopt(pbDictStringKey(eval->intObjectsByName, objectName.get())))
            status = pb::adopt(pbDictObjKey(eval->intObjectStatuses, found.get()));
    }
    return pb::adopt(csStatusFrom(status.leak()));
}

// A text scanned as a whole as a boolean or an integer.
bool scanBool(PB_STRING* text, PB_BOOL* value) {
    PB_INT consumed = 0;
    return pbStringScanBool(text, 0, -1, 1, value, &consumed) && consumed == pbStringLength(text);
}
bool scanInt(PB_STRING* text, PB_INT* value) {
    PB_INT consumed = 0;
    return pbStringScanInt(text, 0, -1, -1, value, &consumed) && consumed == pbStringLength(text);
}

// The value of an operand as a boolean or as an integer: its item when it
// converts, else its default value when that scans, else false or 0.
template <class T>
T operandValue(Eval* eval, Operand* operand, bool asInt) {
    if (!operand) return 0;
    auto convert = [&](PB_STRING* text, T* value) {
        if (asInt) {
            PB_INT v = 0;
            if (!scanInt(text, &v)) return false;
            *value = T(v);
        } else {
            PB_BOOL v = 0;
            if (!scanBool(text, &v)) return false;
            *value = T(v != 0);
        }
        return true;
    };
    auto itemName = pb::adopt(csConditionRuleOperandStatusItemName(operand));
    auto status = itemName ? statusOf(eval, operand) : nullptr;
    if (status) {
        auto items = pb::adopt(csStatusItems(status.get()));
        if (auto item = pb::adopt(csStatusItemsItem(items.get(), itemName.get()))) {
            switch (csStatusItemType(item.get())) {
                case CS_STATUS_ITEM_TYPE_BOOL:
                    return T(csStatusItemBoolValue(item.get()) != 0);
                case CS_STATUS_ITEM_TYPE_INT:
                    return asInt ? T(csStatusItemIntValue(item.get())) : T(csStatusItemIntValue(item.get()) != 0);
                case CS_STATUS_ITEM_TYPE_STRING: {
                    auto text = pb::adopt(csStatusItemStringValue(item.get()));
                    T value = 0;
                    if (convert(text.get(), &value)) return value;
                    break;
                }
                default:
                    break;
            }
        }
    }
    auto fallback = pb::adopt(csConditionRuleOperandDefaultValue(operand));
    T value = 0;
    return convert(fallback.get(), &value) ? value : T(0);
}

bool ruleValue(Eval* eval, CS_CONDITION_RULE* rule) {
    auto a = pb::adopt(csConditionRuleOperandA(rule));
    auto b = pb::adopt(csConditionRuleOperandB(rule));
    PB_INT op = csConditionRuleOperator(rule);
    if (op == CS_CONDITION_RULE_OPERATOR_BOOL_EQ || op == CS_CONDITION_RULE_OPERATOR_BOOL_NEQ) {
        bool va = operandValue<bool>(eval, a.get(), false);
        bool vb = operandValue<bool>(eval, b.get(), false);
        return op == CS_CONDITION_RULE_OPERATOR_BOOL_EQ ? va == vb : va != vb;
    }
    PB_INT va = operandValue<PB_INT>(eval, a.get(), true);
    PB_INT vb = operandValue<PB_INT>(eval, b.get(), true);
    switch (op) {
        case CS_CONDITION_RULE_OPERATOR_INT_LT: return va < vb;
        case CS_CONDITION_RULE_OPERATOR_INT_LTEQ: return va <= vb;
        case CS_CONDITION_RULE_OPERATOR_INT_EQ: return va == vb;
        case CS_CONDITION_RULE_OPERATOR_INT_NEQ: return va != vb;
        case CS_CONDITION_RULE_OPERATOR_INT_GTEQ: return va >= vb;
        default: return va > vb;
    }
}

// The ruleset's value, stopping at the first rule that decides it.
bool evaluate(Eval* eval) {
    PB_INT op = csConditionRulesetOperator(eval->intRuleset);
    PB_INT n = csConditionRulesetRulesLength(eval->intRuleset);
    bool seenTrue = false;
    for (PB_INT i = 0; i < n; ++i) {
        auto rule = pb::adopt(csConditionRulesetRuleAt(eval->intRuleset, i));
        bool v = ruleValue(eval, rule.get());
        switch (op) {
            case CS_CONDITION_RULESET_OPERATOR_AND: if (!v) return false; break;
            case CS_CONDITION_RULESET_OPERATOR_OR: if (v) return true; break;
            case CS_CONDITION_RULESET_OPERATOR_XOR:
                if (v && seenTrue) return false;
                seenTrue = seenTrue || v;
                break;
            case CS_CONDITION_RULESET_OPERATOR_NAND: if (!v) return true; break;
            default: if (v) return false; break;  // NOR
        }
    }
    switch (op) {
        case CS_CONDITION_RULESET_OPERATOR_AND: return true;
        case CS_CONDITION_RULESET_OPERATOR_XOR: return seenTrue;
        case CS_CONDITION_RULESET_OPERATOR_NOR: return true;
        default: return false;  // OR, NAND
    }
}

// Unsets the alert, follows the objects and statuses anew and evaluates.
// Whatever the refresh drops is released after the monitor is left.
PB_BOOL update(Eval* eval) {
    cs::ReleaseLater later;
    pb::MonitorGuard guard(eval->intMonitor);
    pbAlertUnset(eval->intOutOfDateAlert);
    refreshObjects(eval, later);
    refreshStatuses(eval, eval->intModuleStatuses, eval->intModulesByName, eval->intModulesByReference,
                    moduleStatusOf, later);
    refreshStatuses(eval, eval->intObjectStatuses, eval->intObjectsByName, eval->intObjectsByReference,
                    csObjectStatus, later);
    eval->intValue = evaluate(eval);
    return eval->intValue;
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS___CONDITION_RULESET_EVAL, &cs___module, "CS___CONDITION_RULESET_EVAL", evalFree, nullptr,
               nullptr);
PB_STDFUNCS_DEFINE(cs___ConditionRulesetEval, CS___CONDITION_RULESET_EVAL, cs___sort_CS___CONDITION_RULESET_EVAL)

// Operands are collected before the monitor is first taken: creating an
// object observer registers it with the object table.
extern "C" PB_EXPORT CS___CONDITION_RULESET_EVAL* cs___ConditionRulesetEvalCreate(CS_CONDITION_RULESET* rs) {
    PB_ASSERT(rs);
    auto* eval = reinterpret_cast<Eval*>(pb___ObjCreate(sizeof(Eval), &cs___sort_CS___CONDITION_RULESET_EVAL));
    eval->intMonitor = pbMonitorCreate();
    eval->intRuleset = csConditionRulesetRetain(rs);
    eval->intModulesByReference = pbDictCreate();
    eval->intModulesByName = pbDictCreate();
    eval->intObjectsByReference = pbDictCreate();
    eval->intObserversByName = pbDictCreate();
    eval->intOutOfDateAlert = pbAlertCreate();
    eval->intSignalable = pbSignalableCreateWithAlert(eval->intOutOfDateAlert);
    eval->intModuleStatuses = pbDictCreate();
    eval->intObjectsByName = pbDictCreate();
    eval->intObjectStatuses = pbDictCreate();
    for (PB_INT i = 0; i < csConditionRulesetRulesLength(rs); ++i) {
        auto rule = pb::adopt(csConditionRulesetRuleAt(rs, i));
        if (auto a = pb::adopt(csConditionRuleOperandA(rule.get()))) collect(eval, a.get());
        if (auto b = pb::adopt(csConditionRuleOperandB(rule.get()))) collect(eval, b.get());
    }
    update(eval);
    return eval;
}

extern "C" PB_EXPORT CS_CONDITION_RULESET* cs___ConditionRulesetEvalRuleset(CS___CONDITION_RULESET_EVAL* eval) {
    PB_ASSERT(eval);
    return csConditionRulesetRetain(eval->intRuleset);
}

extern "C" PB_EXPORT PB_BOOL cs___ConditionRulesetEvalValue(CS___CONDITION_RULESET_EVAL* eval) {
    PB_ASSERT(eval);
    pb::MonitorGuard guard(eval->intMonitor);
    return eval->intValue;
}

extern "C" PB_EXPORT PB_BOOL cs___ConditionRulesetEvalOutOfDate(CS___CONDITION_RULESET_EVAL* eval) {
    PB_ASSERT(eval);
    return pbAlertIsSet(eval->intOutOfDateAlert);
}

extern "C" PB_EXPORT void cs___ConditionRulesetEvalOutOfDateAddAlertable(CS___CONDITION_RULESET_EVAL* eval,
                                                                         PB_ALERTABLE* alertable) {
    PB_ASSERT(eval);
    pbAlertAddAlertable(eval->intOutOfDateAlert, alertable);
}

extern "C" PB_EXPORT void cs___ConditionRulesetEvalOutOfDateDelAlertable(CS___CONDITION_RULESET_EVAL* eval,
                                                                         PB_ALERTABLE* alertable) {
    PB_ASSERT(eval);
    pbAlertDelAlertable(eval->intOutOfDateAlert, alertable);
}

extern "C" PB_EXPORT PB_BOOL cs___ConditionRulesetEvalUpdate(CS___CONDITION_RULESET_EVAL* eval) {
    PB_ASSERT(eval);
    return update(eval);
}
