/* The implementation object of the ConditionObserver
 * (CS___CONDITION_OBSERVER_IMP).
 *
 * An inner object observer (cs_object_observer.h) with the condition sort
 * as required sort holds the settings: an observed name, a fixed
 * condition, or both (the fixed one wins). A process
 * ("cs___ConditionObserverImpProcessFunc") listens to the inner observer
 * and to the observed condition; each run takes the condition the inner
 * observer sees and its value, and asserts the update signal when either
 * changed. Setters return at once; condition and value follow when the
 * process has run.
 *
 * The public object (cs_condition_observer.h) forwards every operation to
 * the function of the same name here and halts the implementation when
 * its last reference goes. Lock order: the implementation's monitor
 * before the inner object observer and before the condition. */
#ifndef CS_CONDITION_OBSERVER_IMP_H
#define CS_CONDITION_OBSERVER_IMP_H

#include "cs/condition/cs_condition.h"

PB_BEGIN_DECLS

typedef struct CS___CONDITION_OBSERVER_IMP CS___CONDITION_OBSERVER_IMP;

extern PB_EXPORT PB_SORT cs___sort_CS___CONDITION_OBSERVER_IMP;
PB_STDFUNCS_DECLARE(cs___ConditionObserverImp, CS___CONDITION_OBSERVER_IMP);

/* Runs the process function once before it returns. */
PB_EXPORT CS___CONDITION_OBSERVER_IMP* cs___ConditionObserverImpCreate(TR_ANCHOR* anchor);
/* Stops the process for good. Precondition: not yet halted. */
PB_EXPORT void cs___ConditionObserverImpHalt(CS___CONDITION_OBSERVER_IMP* imp);

PB_EXPORT PB_STRING* cs___ConditionObserverImpObservedName(CS___CONDITION_OBSERVER_IMP* imp);
PB_EXPORT PB_BOOL cs___ConditionObserverImpHasObservedName(CS___CONDITION_OBSERVER_IMP* imp);
PB_EXPORT void cs___ConditionObserverImpSetObservedName(CS___CONDITION_OBSERVER_IMP* imp, PB_STRING* name);
PB_EXPORT void cs___ConditionObserverImpDelObservedName(CS___CONDITION_OBSERVER_IMP* imp);

PB_EXPORT CS_CONDITION* cs___ConditionObserverImpFixedCondition(CS___CONDITION_OBSERVER_IMP* imp);
PB_EXPORT PB_BOOL cs___ConditionObserverImpHasFixedCondition(CS___CONDITION_OBSERVER_IMP* imp);
PB_EXPORT void cs___ConditionObserverImpSetFixedCondition(CS___CONDITION_OBSERVER_IMP* imp,
                                                          CS_CONDITION* condition);
PB_EXPORT void cs___ConditionObserverImpDelFixedCondition(CS___CONDITION_OBSERVER_IMP* imp);

PB_EXPORT void cs___ConditionObserverImpConfigure(CS___CONDITION_OBSERVER_IMP* imp, PB_STRING* optionalName,
                                                  CS_CONDITION* optionalCondition);
PB_EXPORT PB_BOOL cs___ConditionObserverImpConfigured(CS___CONDITION_OBSERVER_IMP* imp);

PB_EXPORT CS_CONDITION* cs___ConditionObserverImpCondition(CS___CONDITION_OBSERVER_IMP* imp);
PB_EXPORT PB_BOOL cs___ConditionObserverImpHasCondition(CS___CONDITION_OBSERVER_IMP* imp);
PB_EXPORT PB_BOOL cs___ConditionObserverImpConditionValue(CS___CONDITION_OBSERVER_IMP* imp);
PB_EXPORT PB_BOOL cs___ConditionObserverImpConditionValueWithFallback(CS___CONDITION_OBSERVER_IMP* imp,
                                                                      PB_BOOL unconfiguredValue,
                                                                      PB_BOOL missingValue);

PB_EXPORT void cs___ConditionObserverImpTraceCompleteAnchor(CS___CONDITION_OBSERVER_IMP* imp, TR_ANCHOR* anchor);
PB_EXPORT void cs___ConditionObserverImpUpdateAddSignalable(CS___CONDITION_OBSERVER_IMP* imp,
                                                            PB_SIGNALABLE* signalable);
PB_EXPORT void cs___ConditionObserverImpUpdateDelSignalable(CS___CONDITION_OBSERVER_IMP* imp,
                                                            PB_SIGNALABLE* signalable);

PB_END_DECLS

#endif
