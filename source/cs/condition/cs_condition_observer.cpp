// Condition observers: the public object, forwarding to its implementation.
#include "cs/condition/cs_condition_observer.h"

#include "cs/base/cs_module.h"
#include "cs/condition/cs_condition_observer_imp.h"
#include "pb/pb_stdfunc.hpp"

struct CS_CONDITION_OBSERVER {
    PB_OBJ obj;
    CS___CONDITION_OBSERVER_IMP* imp;  // set once at creation; never NULL
};

namespace {

// Halting first stops the process even while others still hold the
// implementation.
void observerFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_CONDITION_OBSERVER);
    auto* obs = reinterpret_cast<CS_CONDITION_OBSERVER*>(obj);
    cs___ConditionObserverImpHalt(obs->imp);
    pb::releaseField(obs->imp);
}

// The check every public operation makes before it forwards.
CS___CONDITION_OBSERVER_IMP* impOf(CS_CONDITION_OBSERVER* obs) {
    PB_ASSERT(obs);
    return obs->imp;
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_CONDITION_OBSERVER, &cs___module, "CS_CONDITION_OBSERVER", observerFree, nullptr,
               nullptr);
PB_STDFUNCS_DEFINE(csConditionObserver, CS_CONDITION_OBSERVER, cs___sort_CS_CONDITION_OBSERVER)

extern "C" PB_EXPORT CS_CONDITION_OBSERVER* csConditionObserverCreate(TR_ANCHOR* anchor) {
    auto* obs = reinterpret_cast<CS_CONDITION_OBSERVER*>(
        pb___ObjCreate(sizeof(CS_CONDITION_OBSERVER), &cs___sort_CS_CONDITION_OBSERVER));
    obs->imp = cs___ConditionObserverImpCreate(anchor);
    return obs;
}

extern "C" PB_EXPORT PB_STRING* csConditionObserverObservedName(CS_CONDITION_OBSERVER* obs) {
    return cs___ConditionObserverImpObservedName(impOf(obs));
}
extern "C" PB_EXPORT PB_BOOL csConditionObserverHasObservedName(CS_CONDITION_OBSERVER* obs) {
    return cs___ConditionObserverImpHasObservedName(impOf(obs));
}
extern "C" PB_EXPORT void csConditionObserverSetObservedName(CS_CONDITION_OBSERVER* obs, PB_STRING* name) {
    cs___ConditionObserverImpSetObservedName(impOf(obs), name);
}
extern "C" PB_EXPORT void csConditionObserverDelObservedName(CS_CONDITION_OBSERVER* obs) {
    cs___ConditionObserverImpDelObservedName(impOf(obs));
}

extern "C" PB_EXPORT CS_CONDITION* csConditionObserverFixedCondition(CS_CONDITION_OBSERVER* obs) {
    return cs___ConditionObserverImpFixedCondition(impOf(obs));
}
extern "C" PB_EXPORT PB_BOOL csConditionObserverHasFixedCondition(CS_CONDITION_OBSERVER* obs) {
    return cs___ConditionObserverImpHasFixedCondition(impOf(obs));
}
extern "C" PB_EXPORT void csConditionObserverSetFixedCondition(CS_CONDITION_OBSERVER* obs, CS_CONDITION* condition) {
    cs___ConditionObserverImpSetFixedCondition(impOf(obs), condition);
}
extern "C" PB_EXPORT void csConditionObserverDelFixedCondition(CS_CONDITION_OBSERVER* obs) {
    cs___ConditionObserverImpDelFixedCondition(impOf(obs));
}

extern "C" PB_EXPORT void csConditionObserverConfigure(CS_CONDITION_OBSERVER* obs, PB_STRING* optionalName,
                                                       CS_CONDITION* optionalCondition) {
    cs___ConditionObserverImpConfigure(impOf(obs), optionalName, optionalCondition);
}
extern "C" PB_EXPORT PB_BOOL csConditionObserverConfigured(CS_CONDITION_OBSERVER* obs) {
    return cs___ConditionObserverImpConfigured(impOf(obs));
}

extern "C" PB_EXPORT CS_CONDITION* csConditionObserverCondition(CS_CONDITION_OBSERVER* obs) {
    return cs___ConditionObserverImpCondition(impOf(obs));
}
extern "C" PB_EXPORT PB_BOOL csConditionObserverHasCondition(CS_CONDITION_OBSERVER* obs) {
    return cs___ConditionObserverImpHasCondition(impOf(obs));
}
extern "C" PB_EXPORT PB_BOOL csConditionObserverConditionValue(CS_CONDITION_OBSERVER* obs) {
    return cs___ConditionObserverImpConditionValue(impOf(obs));
}
extern "C" PB_EXPORT PB_BOOL csConditionObserverConditionValueWithFallback(CS_CONDITION_OBSERVER* obs,
                                                                           PB_BOOL unconfiguredValue,
                                                                           PB_BOOL missingValue) {
    return cs___ConditionObserverImpConditionValueWithFallback(impOf(obs), unconfiguredValue, missingValue);
}

extern "C" PB_EXPORT void csConditionObserverTraceCompleteAnchor(CS_CONDITION_OBSERVER* obs, TR_ANCHOR* anchor) {
    cs___ConditionObserverImpTraceCompleteAnchor(impOf(obs), anchor);
}
extern "C" PB_EXPORT void csConditionObserverUpdateAddSignalable(CS_CONDITION_OBSERVER* obs,
                                                                 PB_SIGNALABLE* signalable) {
    cs___ConditionObserverImpUpdateAddSignalable(impOf(obs), signalable);
}
extern "C" PB_EXPORT void csConditionObserverUpdateDelSignalable(CS_CONDITION_OBSERVER* obs,
                                                                 PB_SIGNALABLE* signalable) {
    cs___ConditionObserverImpUpdateDelSignalable(impOf(obs), signalable);
}
