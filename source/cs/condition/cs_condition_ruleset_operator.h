/* Ruleset operators: how a ruleset (cs_condition_ruleset.h) joins the
 * results of its rules. With n rules of which t are true:
 *
 *   CS_CONDITION_RULESET_OPERATOR_AND    0   t = n    (no rules: true)
 *   CS_CONDITION_RULESET_OPERATOR_OR     1   t >= 1   (no rules: false)
 *   CS_CONDITION_RULESET_OPERATOR_XOR    2   t = 1, exactly one; three true
 *                                            rules give false (no rules: false)
 *   CS_CONDITION_RULESET_OPERATOR_NAND   3   t < n    (no rules: false)
 *   CS_CONDITION_RULESET_OPERATOR_NOR    4   t = 0    (no rules: true)
 *
 *     PB_STRING* name = csConditionRulesetOperatorToString( CS_CONDITION_RULESET_OPERATOR_OR );
 *     PB_INT op = csConditionRulesetOperatorFromString( name );   // 1
 *     if ( !CS_CONDITION_RULESET_OPERATOR_OK( op ) ) ...          // unknown name
 *
 * The name table exists between cs___ConditionRulesetOperatorStartup and
 * cs___ConditionRulesetOperatorShutdown, which the module's lifecycle calls. */
#ifndef CS_CONDITION_RULESET_OPERATOR_H
#define CS_CONDITION_RULESET_OPERATOR_H

#include "pb/pb_string.h"

PB_BEGIN_DECLS

#define CS_CONDITION_RULESET_OPERATOR_AND 0
#define CS_CONDITION_RULESET_OPERATOR_OR 1
#define CS_CONDITION_RULESET_OPERATOR_XOR 2
#define CS_CONDITION_RULESET_OPERATOR_NAND 3
#define CS_CONDITION_RULESET_OPERATOR_NOR 4

#define CS_CONDITION_RULESET_OPERATOR_OK(op) \
    ((op) >= CS_CONDITION_RULESET_OPERATOR_AND && (op) <= CS_CONDITION_RULESET_OPERATOR_NOR)

/* The literal name of op. Precondition: CS_CONDITION_RULESET_OPERATOR_OK( op ). */
PB_EXPORT PB_STRING* csConditionRulesetOperatorToString(PB_INT op);
/* The operator named by string; a name that is none of the five gives a
 * value outside CS_CONDITION_RULESET_OPERATOR_OK. Precondition: string not NULL. */
PB_EXPORT PB_INT csConditionRulesetOperatorFromString(PB_STRING* string);

PB_EXPORT void cs___ConditionRulesetOperatorStartup(void);
PB_EXPORT void cs___ConditionRulesetOperatorShutdown(void);

PB_END_DECLS

#endif
