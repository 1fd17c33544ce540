/* Condition observers (CS_CONDITION_OBSERVER): follow one condition
 * (cs_condition.h), named in the object table or given directly, and its
 * value.
 *
 * The settings are those of an object observer (cs_object_observer.h)
 * that only accepts conditions: an observed name, a fixed condition, or
 * both (the fixed one wins). The observer follows the table and the
 * condition in a process of its own, so condition and value are taken
 * when that process has run, and each run that finds a new condition or a
 * new value asserts the update signal once:
 *
 *     CS_CONDITION_OBSERVER* obs = csConditionObserverCreate( NULL );
 *     csConditionObserverSetObservedName( obs, name );
 *     csConditionObserverUpdateAddSignalable( obs, signalable );
 *     PB_BOOL on = csConditionObserverConditionValueWithFallback( obs, PB_TRUE, PB_FALSE );
 *
 * The fallback gives unconfiguredValue while neither a name nor a fixed
 * condition is set, and missingValue while one is set but no condition is
 * found. Every function may be called from any thread. */
#ifndef CS_CONDITION_OBSERVER_H
#define CS_CONDITION_OBSERVER_H

#include "cs/condition/cs_condition.h"

PB_BEGIN_DECLS

typedef struct CS_CONDITION_OBSERVER CS_CONDITION_OBSERVER;

extern PB_EXPORT PB_SORT cs___sort_CS_CONDITION_OBSERVER;
PB_STDFUNCS_DECLARE(csConditionObserver, CS_CONDITION_OBSERVER);

/* The anchor, when given, is completed with the observer's trace stream. */
PB_EXPORT CS_CONDITION_OBSERVER* csConditionObserverCreate(TR_ANCHOR* anchor);

PB_EXPORT PB_STRING* csConditionObserverObservedName(CS_CONDITION_OBSERVER* obs);
PB_EXPORT PB_BOOL csConditionObserverHasObservedName(CS_CONDITION_OBSERVER* obs);
/* Precondition: csObjectRecordNameOk( name ). */
PB_EXPORT void csConditionObserverSetObservedName(CS_CONDITION_OBSERVER* obs, PB_STRING* name);
PB_EXPORT void csConditionObserverDelObservedName(CS_CONDITION_OBSERVER* obs);

PB_EXPORT CS_CONDITION* csConditionObserverFixedCondition(CS_CONDITION_OBSERVER* obs);
PB_EXPORT PB_BOOL csConditionObserverHasFixedCondition(CS_CONDITION_OBSERVER* obs);
PB_EXPORT void csConditionObserverSetFixedCondition(CS_CONDITION_OBSERVER* obs, CS_CONDITION* condition);
PB_EXPORT void csConditionObserverDelFixedCondition(CS_CONDITION_OBSERVER* obs);

/* Sets name and fixed condition in one step; NULL clears either. */
PB_EXPORT void csConditionObserverConfigure(CS_CONDITION_OBSERVER* obs, PB_STRING* optionalName,
                                            CS_CONDITION* optionalCondition);
PB_EXPORT PB_BOOL csConditionObserverConfigured(CS_CONDITION_OBSERVER* obs);

/* The condition observed now (a new reference) or NULL. */
PB_EXPORT CS_CONDITION* csConditionObserverCondition(CS_CONDITION_OBSERVER* obs);
PB_EXPORT PB_BOOL csConditionObserverHasCondition(CS_CONDITION_OBSERVER* obs);
/* Its value as last read; false without a condition. */
PB_EXPORT PB_BOOL csConditionObserverConditionValue(CS_CONDITION_OBSERVER* obs);
PB_EXPORT PB_BOOL csConditionObserverConditionValueWithFallback(CS_CONDITION_OBSERVER* obs,
                                                                PB_BOOL unconfiguredValue, PB_BOOL missingValue);

PB_EXPORT void csConditionObserverTraceCompleteAnchor(CS_CONDITION_OBSERVER* obs, TR_ANCHOR* anchor);
/* A signalable added here is notified once, at the next change. */
PB_EXPORT void csConditionObserverUpdateAddSignalable(CS_CONDITION_OBSERVER* obs, PB_SIGNALABLE* signalable);
PB_EXPORT void csConditionObserverUpdateDelSignalable(CS_CONDITION_OBSERVER* obs, PB_SIGNALABLE* signalable);

PB_END_DECLS

#endif
