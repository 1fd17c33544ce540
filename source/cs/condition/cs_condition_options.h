/* Condition options (CS_CONDITION_OPTIONS): what a condition
 * (cs_condition.h) evaluates and how long it holds a value.
 *
 *   ruleset            ruleset, never absent; empty (AND) at first   "ruleset"
 *   hysteresisRuleset  ruleset, optional; decides while the value
 *                      is true                                      "hysteresisRuleset"
 *   onHoldTime         milliseconds >= 0, 100 by default            "onHoldTime"
 *   offHoldTime        milliseconds >= 0, 100 by default            "offHoldTime"
 *
 * A hold time set explicitly, even to 100, is no longer the default and is
 * always stored; a default one is stored only in the complete form.
 * Options are values: setters take the address of the caller's handle and
 * copy first when another holder shares the object.
 *
 *     CS_CONDITION_OPTIONS* opt = csConditionOptionsCreate();
 *     csConditionOptionsSetRuleset( &opt, rs );
 *     csConditionOptionsSetOnHoldTime( &opt, 5000 );
 *     PB_STORE* store = csConditionOptionsStore( opt, PB_FALSE ); */
#ifndef CS_CONDITION_OPTIONS_H
#define CS_CONDITION_OPTIONS_H

#include "cs/condition/cs_condition_ruleset.h"

PB_BEGIN_DECLS

typedef struct CS_CONDITION_OPTIONS CS_CONDITION_OPTIONS;

extern PB_EXPORT PB_SORT cs___sort_CS_CONDITION_OPTIONS;
PB_STDFUNCS_DECLARE(csConditionOptions, CS_CONDITION_OPTIONS);

PB_EXPORT CS_CONDITION_OPTIONS* csConditionOptionsCreate(void);
PB_EXPORT CS_CONDITION_OPTIONS* csConditionOptionsCreateFrom(CS_CONDITION_OPTIONS* source);

PB_EXPORT CS_CONDITION_RULESET* csConditionOptionsRuleset(CS_CONDITION_OPTIONS* opt);
PB_EXPORT void csConditionOptionsSetRuleset(CS_CONDITION_OPTIONS** opt, CS_CONDITION_RULESET* rs);

PB_EXPORT CS_CONDITION_RULESET* csConditionOptionsHysteresisRuleset(CS_CONDITION_OPTIONS* opt);
PB_EXPORT PB_BOOL csConditionOptionsHasHysteresisRuleset(CS_CONDITION_OPTIONS* opt);
PB_EXPORT void csConditionOptionsSetHysteresisRuleset(CS_CONDITION_OPTIONS** opt, CS_CONDITION_RULESET* rs);
PB_EXPORT void csConditionOptionsDelHysteresisRuleset(CS_CONDITION_OPTIONS** opt);

PB_EXPORT PB_INT csConditionOptionsOnHoldTime(CS_CONDITION_OPTIONS* opt);
PB_EXPORT PB_BOOL csConditionOptionsOnHoldTimeDefault(CS_CONDITION_OPTIONS* opt);
/* Precondition: msec >= 0. */
PB_EXPORT void csConditionOptionsSetOnHoldTime(CS_CONDITION_OPTIONS** opt, PB_INT msec);
PB_EXPORT void csConditionOptionsSetOnHoldTimeDefault(CS_CONDITION_OPTIONS** opt);

PB_EXPORT PB_INT csConditionOptionsOffHoldTime(CS_CONDITION_OPTIONS* opt);
PB_EXPORT PB_BOOL csConditionOptionsOffHoldTimeDefault(CS_CONDITION_OPTIONS* opt);
/* Precondition: msec >= 0. */
PB_EXPORT void csConditionOptionsSetOffHoldTime(CS_CONDITION_OPTIONS** opt, PB_INT msec);
PB_EXPORT void csConditionOptionsSetOffHoldTimeDefault(CS_CONDITION_OPTIONS** opt);

/* complete: write the hold times even when they are the defaults. */
PB_EXPORT PB_STORE* csConditionOptionsStore(CS_CONDITION_OPTIONS* opt, PB_BOOL complete);
/* Never NULL: missing or malformed keys (negative hold times among them)
 * leave the defaults. */
PB_EXPORT CS_CONDITION_OPTIONS* csConditionOptionsRestore(PB_STORE* store);

PB_END_DECLS

#endif
