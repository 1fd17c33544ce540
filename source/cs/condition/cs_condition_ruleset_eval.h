/* Ruleset evaluations (CS___CONDITION_RULESET_EVAL): one ruleset bound to
 * the live statuses its operands point to.
 *
 * Creation resolves every operand once: a module reference is used as it
 * is, a module name is looked up in the module table (a name that is not
 * registered then stays unresolved for the evaluation's life), an object
 * reference is used as it is, and an object name is followed by an object
 * observer, so that the object registered under it later or instead is
 * picked up. The evaluation takes the statuses of those modules and
 * objects, subscribes to their update signals and computes the value.
 *
 * It never re-evaluates by itself. A change of a watched status, of an
 * observed name or the end of a status sets the out-of-date alert; the
 * owner, notified through an alertable, calls cs___ConditionRulesetEvalUpdate,
 * which subscribes again and computes the value anew:
 *
 *     CS___CONDITION_RULESET_EVAL* eval = cs___ConditionRulesetEvalCreate( rs );
 *     cs___ConditionRulesetEvalOutOfDateAddAlertable( eval, alertable );
 *     ... notified ...
 *     PB_BOOL value = cs___ConditionRulesetEvalUpdate( eval );
 *
 * Missing modules, objects, statuses and items never fail: the operand's
 * default value stands in. Every function may be called from any thread;
 * the evaluation's monitor comes before the status regions, the module and
 * sort tables and the object observers in the lock order. */
#ifndef CS_CONDITION_RULESET_EVAL_H
#define CS_CONDITION_RULESET_EVAL_H

#include "cs/condition/cs_condition_ruleset.h"
#include "pb/pb_alertable.h"

PB_BEGIN_DECLS

typedef struct CS___CONDITION_RULESET_EVAL CS___CONDITION_RULESET_EVAL;

extern PB_EXPORT PB_SORT cs___sort_CS___CONDITION_RULESET_EVAL;
PB_STDFUNCS_DECLARE(cs___ConditionRulesetEval, CS___CONDITION_RULESET_EVAL);

/* Precondition: rs not NULL. The value is valid on return. */
PB_EXPORT CS___CONDITION_RULESET_EVAL* cs___ConditionRulesetEvalCreate(CS_CONDITION_RULESET* rs);
PB_EXPORT CS_CONDITION_RULESET* cs___ConditionRulesetEvalRuleset(CS___CONDITION_RULESET_EVAL* eval);
/* The value of the last evaluation. */
PB_EXPORT PB_BOOL cs___ConditionRulesetEvalValue(CS___CONDITION_RULESET_EVAL* eval);
PB_EXPORT PB_BOOL cs___ConditionRulesetEvalOutOfDate(CS___CONDITION_RULESET_EVAL* eval);
PB_EXPORT void cs___ConditionRulesetEvalOutOfDateAddAlertable(CS___CONDITION_RULESET_EVAL* eval,
                                                              PB_ALERTABLE* alertable);
PB_EXPORT void cs___ConditionRulesetEvalOutOfDateDelAlertable(CS___CONDITION_RULESET_EVAL* eval,
                                                              PB_ALERTABLE* alertable);
/* Unsets the alert, subscribes again, evaluates; returns the new value. */
PB_EXPORT PB_BOOL cs___ConditionRulesetEvalUpdate(CS___CONDITION_RULESET_EVAL* eval);

PB_END_DECLS

#endif
