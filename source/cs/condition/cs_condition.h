/* Conditions (CS_CONDITION): live booleans computed from the status of
 * modules and objects.
 *
 * A condition evaluates the rules of its options (cs_condition_options.h)
 * in a process of its own. It switches on when the main ruleset becomes
 * true; while it is on, the hysteresis ruleset (when the options have one)
 * decides when it switches off. After each switch it holds the new value
 * for the on or off hold time before it looks at its rules again. It
 * reports its value as the BOOL status item "csConditionValue" and asserts
 * its update signal at every switch:
 *
 *     CS_CONDITION* cond = csConditionCreate( options, NULL );
 *     csConditionUpdateAddSignalable( cond, signalable );   // hear the next switch
 *     PB_BOOL on = csConditionValue( cond );
 *     csConditionSetOptions( cond, newOptions );            // at the next run
 *     csConditionRelease( cond );                           // halts the process
 *
 * The sort CS_CONDITION is registered with the sort table while the module
 * runs (cs_condition_cs.h): a configuration entry of that sort creates a
 * condition, its "config" is the options' store form, and rules of other
 * conditions may read its status by its object name. Every function may be
 * called from any thread. */
#ifndef CS_CONDITION_H
#define CS_CONDITION_H

#include "cs/condition/cs_condition_options.h"
#include "cs/status/cs_status.h"
#include "pb/pb_signalable.h"
#include "tr/tr_anchor.h"

PB_BEGIN_DECLS

typedef struct CS_CONDITION CS_CONDITION;

extern PB_EXPORT PB_SORT cs___sort_CS_CONDITION;
PB_STDFUNCS_DECLARE(csCondition, CS_CONDITION);

/* Precondition: opt not NULL. The anchor, when given, is completed with
 * the condition's trace stream. */
PB_EXPORT CS_CONDITION* csConditionCreate(CS_CONDITION_OPTIONS* opt, TR_ANCHOR* anchor);
/* The options last given. */
PB_EXPORT CS_CONDITION_OPTIONS* csConditionOptions(CS_CONDITION* cond);
/* Precondition: opt not NULL. Takes effect at the next run of the process. */
PB_EXPORT void csConditionSetOptions(CS_CONDITION* cond, CS_CONDITION_OPTIONS* opt);
PB_EXPORT PB_BOOL csConditionValue(CS_CONDITION* cond);
/* The status holding "csConditionValue". */
PB_EXPORT CS_STATUS* csConditionStatus(CS_CONDITION* cond);
/* A signalable added here is notified once, at the next switch. */
PB_EXPORT void csConditionUpdateAddSignalable(CS_CONDITION* cond, PB_SIGNALABLE* signalable);
PB_EXPORT void csConditionUpdateDelSignalable(CS_CONDITION* cond, PB_SIGNALABLE* signalable);
PB_EXPORT void csConditionTraceCompleteAnchor(CS_CONDITION* cond, TR_ANCHOR* anchor);

PB_END_DECLS

#endif
