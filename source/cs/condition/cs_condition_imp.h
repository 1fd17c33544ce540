/* The implementation object of the Condition (CS___CONDITION_IMP).
 *
 * A process ("cs___ConditionImpProcessFunc") does the work. Its first run
 * takes the options and creates an evaluation (cs_condition_ruleset_eval.h)
 * of the main ruleset; each later run that finds the evaluation out of
 * date updates it. When the evaluation's value differs from the
 * condition's value, the condition switches: it writes the status item
 * "csConditionValue", asserts its update signal, drops the evaluation and
 * holds the new value for the on or off hold time. When the hold timer
 * fires, a new evaluation starts with the ruleset that fits the value: the
 * hysteresis ruleset while the value is true (when the options have one),
 * else the main ruleset. New options cut a hold short and start a new
 * evaluation at the next run.
 *
 * The public object (cs_condition.h) forwards every operation to the
 * function of the same name here and halts the implementation when its
 * last reference goes. Lock order: the implementation's monitor before
 * the evaluation's monitor and before its status reporter's. */
#ifndef CS_CONDITION_IMP_H
#define CS_CONDITION_IMP_H

#include "cs/condition/cs_condition_options.h"
#include "cs/status/cs_status.h"
#include "pb/pb_signalable.h"
#include "tr/tr_anchor.h"

PB_BEGIN_DECLS

typedef struct CS___CONDITION_IMP CS___CONDITION_IMP;

extern PB_EXPORT PB_SORT cs___sort_CS___CONDITION_IMP;
PB_STDFUNCS_DECLARE(cs___ConditionImp, CS___CONDITION_IMP);

/* Precondition: opt not NULL. The anchor, when given, is completed with
 * the condition's trace stream. */
PB_EXPORT CS___CONDITION_IMP* cs___ConditionImpCreate(CS_CONDITION_OPTIONS* opt, TR_ANCHOR* anchor);
/* Stops the process for good. Precondition: not yet halted. */
PB_EXPORT void cs___ConditionImpHalt(CS___CONDITION_IMP* imp);

PB_EXPORT CS_CONDITION_OPTIONS* cs___ConditionImpOptions(CS___CONDITION_IMP* imp);
/* Takes effect at the next run of the process, which it schedules. */
PB_EXPORT void cs___ConditionImpSetOptions(CS___CONDITION_IMP* imp, CS_CONDITION_OPTIONS* opt);
PB_EXPORT PB_BOOL cs___ConditionImpValue(CS___CONDITION_IMP* imp);
PB_EXPORT CS_STATUS* cs___ConditionImpStatus(CS___CONDITION_IMP* imp);
PB_EXPORT void cs___ConditionImpUpdateAddSignalable(CS___CONDITION_IMP* imp, PB_SIGNALABLE* signalable);
PB_EXPORT void cs___ConditionImpUpdateDelSignalable(CS___CONDITION_IMP* imp, PB_SIGNALABLE* signalable);
PB_EXPORT void cs___ConditionImpTraceCompleteAnchor(CS___CONDITION_IMP* imp, TR_ANCHOR* anchor);

PB_END_DECLS

#endif
