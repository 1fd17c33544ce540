// Conditions: the public object, forwarding to its implementation.
#include "cs/condition/cs_condition.h"

#include "cs/base/cs_module.h"
#include "cs/condition/cs_condition_imp.h"
#include "pb/pb_stdfunc.hpp"

struct CS_CONDITION {
    PB_OBJ obj;
    CS___CONDITION_IMP* imp;  // set once at creation; never NULL
};

namespace {

// Halting first stops the process even while others still hold the
// implementation.
void conditionFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_CONDITION);
    auto* cond = reinterpret_cast<CS_CONDITION*>(obj);
    cs___ConditionImpHalt(cond->imp);
    pb::releaseField(cond->imp);
}

// The check every public operation makes before it forwards.
CS___CONDITION_IMP* impOf(CS_CONDITION* cond) {
    PB_ASSERT(cond);
    return cond->imp;
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_CONDITION, &cs___module, "CS_CONDITION", conditionFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csCondition, CS_CONDITION, cs___sort_CS_CONDITION)

extern "C" PB_EXPORT CS_CONDITION* csConditionCreate(CS_CONDITION_OPTIONS* opt, TR_ANCHOR* anchor) {
    PB_ASSERT(opt);
    auto* cond = reinterpret_cast<CS_CONDITION*>(pb___ObjCreate(sizeof(CS_CONDITION), &cs___sort_CS_CONDITION));
    cond->imp = cs___ConditionImpCreate(opt, anchor);
    return cond;
}

extern "C" PB_EXPORT CS_CONDITION_OPTIONS* csConditionOptions(CS_CONDITION* cond) {
    return cs___ConditionImpOptions(impOf(cond));
}
extern "C" PB_EXPORT void csConditionSetOptions(CS_CONDITION* cond, CS_CONDITION_OPTIONS* opt) {
    cs___ConditionImpSetOptions(impOf(cond), opt);
}
extern "C" PB_EXPORT PB_BOOL csConditionValue(CS_CONDITION* cond) { return cs___ConditionImpValue(impOf(cond)); }
extern "C" PB_EXPORT CS_STATUS* csConditionStatus(CS_CONDITION* cond) { return cs___ConditionImpStatus(impOf(cond)); }
extern "C" PB_EXPORT void csConditionUpdateAddSignalable(CS_CONDITION* cond, PB_SIGNALABLE* signalable) {
    cs___ConditionImpUpdateAddSignalable(impOf(cond), signalable);
}
extern "C" PB_EXPORT void csConditionUpdateDelSignalable(CS_CONDITION* cond, PB_SIGNALABLE* signalable) {
    cs___ConditionImpUpdateDelSignalable(impOf(cond), signalable);
}
extern "C" PB_EXPORT void csConditionTraceCompleteAnchor(CS_CONDITION* cond, TR_ANCHOR* anchor) {
    cs___ConditionImpTraceCompleteAnchor(impOf(cond), anchor);
}
