// Rules: an operator and two optional operands, copy-on-write, store form.
#include "cs/condition/cs_condition_rule.h"

#include "cs/base/cs_module.h"
#include "cs/base/cs_store_keys.hpp"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

struct CS_CONDITION_RULE {
    PB_OBJ obj;
    PB_INT op;                             // CS_CONDITION_RULE_OPERATOR_OK
    CS_CONDITION_RULE_OPERAND* operandA;   // NULL when absent; value object, shared read-only
    CS_CONDITION_RULE_OPERAND* operandB;   // NULL when absent; value object, shared read-only
};

namespace {

using Rule = CS_CONDITION_RULE;
using Operand = CS_CONDITION_RULE_OPERAND;

void ruleFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_CONDITION_RULE);
    auto* rule = reinterpret_cast<Rule*>(obj);
    pb::releaseField(rule->operandA);
    pb::releaseField(rule->operandB);
}

Operand* get(Rule* rule, Operand* Rule::*field) {
    PB_ASSERT(rule);
    Operand* operand = rule->*field;
    return operand ? csConditionRuleOperandRetain(operand) : nullptr;
}

// The operand stored under key, when it is a sub-store.
void restoreOperand(PB_STORE* store, PB_STRING* key, Rule** rule, void (*set)(Rule**, Operand*)) {
    auto sub = pb::adopt(pbStoreStore(store, key));
    if (!sub) return;
    auto operand = pb::adopt(csConditionRuleOperandRestore(sub.get()));
    set(rule, operand.get());
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_CONDITION_RULE, &cs___module, "CS_CONDITION_RULE", ruleFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csConditionRule, CS_CONDITION_RULE, cs___sort_CS_CONDITION_RULE)

extern "C" PB_EXPORT CS_CONDITION_RULE* csConditionRuleCreate(void) {
    auto* rule = reinterpret_cast<Rule*>(pb___ObjCreate(sizeof(Rule), &cs___sort_CS_CONDITION_RULE));
    rule->op = CS_CONDITION_RULE_OPERATOR_BOOL_NEQ;
    return rule;
}

extern "C" PB_EXPORT CS_CONDITION_RULE* csConditionRuleCreateFrom(CS_CONDITION_RULE* source) {
    PB_ASSERT(source);
    Rule* rule = csConditionRuleCreate();
    rule->op = source->op;
    pb::setField(rule->operandA, source->operandA);
    pb::setField(rule->operandB, source->operandB);
    return rule;
}

extern "C" PB_EXPORT PB_INT csConditionRuleOperator(CS_CONDITION_RULE* rule) {
    PB_ASSERT(rule);
    return rule->op;
}

extern "C" PB_EXPORT void csConditionRuleSetOperator(CS_CONDITION_RULE** rule, PB_INT op) {
    PB_COW(rule, csConditionRuleCreateFrom);
    PB_ASSERT(CS_CONDITION_RULE_OPERATOR_OK( op ));
    (*rule)->op = op;
}

extern "C" PB_EXPORT CS_CONDITION_RULE_OPERAND* csConditionRuleOperandA(CS_CONDITION_RULE* rule) {
    return get(rule, &Rule::operandA);
}
extern "C" PB_EXPORT PB_BOOL csConditionRuleHasOperandA(CS_CONDITION_RULE* rule) {
    PB_ASSERT(rule);
    return rule->operandA != nullptr;
}
extern "C" PB_EXPORT void csConditionRuleSetOperandA(CS_CONDITION_RULE** rule, CS_CONDITION_RULE_OPERAND* operand) {
    PB_COW(rule, csConditionRuleCreateFrom);
    PB_ASSERT(operand);
    pb::setField((*rule)->operandA, operand);
}
extern "C" PB_EXPORT void csConditionRuleDelOperandA(CS_CONDITION_RULE** rule) {
    PB_COW(rule, csConditionRuleCreateFrom);
    pb::setField((*rule)->operandA, static_cast<Operand*>(nullptr));
}

extern "C" PB_EXPORT CS_CONDITION_RULE_OPERAND* csConditionRuleOperandB(CS_CONDITION_RULE* rule) {
    return get(rule, &Rule::operandB);
}
extern "C" PB_EXPORT PB_BOOL csConditionRuleHasOperandB(CS_CONDITION_RULE* rule) {
    PB_ASSERT(rule);
    return rule->operandB != nullptr;
}
extern "C" PB_EXPORT void csConditionRuleSetOperandB(CS_CONDITION_RULE** rule, CS_CONDITION_RULE_OPERAND* operand) {
    PB_COW(rule, csConditionRuleCreateFrom);
    PB_ASSERT(operand);
    pb::setField((*rule)->operandB, operand);
}
extern "C" PB_EXPORT void csConditionRuleDelOperandB(CS_CONDITION_RULE** rule) {
    PB_COW(rule, csConditionRuleCreateFrom);
    pb::setField((*rule)->operandB, static_cast<Operand*>(nullptr));
}

extern "C" PB_EXPORT PB_STORE* csConditionRuleStore(CS_CONDITION_RULE* rule) {
    PB_ASSERT(rule);
    PB_STORE* store = pbStoreCreate();
    auto name = pb::adopt(csConditionRuleOperatorToString(rule->op));
    pbStoreSetValue(&store, cs::storeKeys().operator_, name.get());
    if (rule->operandA) {
        auto sub = pb::adopt(csConditionRuleOperandStore(rule->operandA));
        pbStoreSetStore(&store, cs::storeKeys().operandA, sub.get());
    }
    if (rule->operandB) {
        auto sub = pb::adopt(csConditionRuleOperandStore(rule->operandB));
        pbStoreSetStore(&store, cs::storeKeys().operandB, sub.get());
    }
    return store;
}

extern "C" PB_EXPORT CS_CONDITION_RULE* csConditionRuleRestore(PB_STORE* store) {
    PB_ASSERT(store);
    Rule* rule = csConditionRuleCreate();
    if (auto name = pb::adopt(pbStoreValue(store, cs::storeKeys().operator_))) {
        PB_INT op = csConditionRuleOperatorFromString(name.get());
        if (CS_CONDITION_RULE_OPERATOR_OK( op )) rule->op = op;
    }
    restoreOperand(store, cs::storeKeys().operandA, &rule, csConditionRuleSetOperandA);
    restoreOperand(store, cs::storeKeys().operandB, &rule, csConditionRuleSetOperandB);
    return rule;
}
