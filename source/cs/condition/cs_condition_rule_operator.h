/* Rule operators: how a rule (cs_condition_rule.h) compares its two operands.
 *
 *   CS_CONDITION_RULE_OPERATOR_BOOL_EQ    0   booleans, A equals B
 *   CS_CONDITION_RULE_OPERATOR_BOOL_NEQ   1   booleans, A differs from B
 *   CS_CONDITION_RULE_OPERATOR_INT_LT     2   integers, A < B
 *   CS_CONDITION_RULE_OPERATOR_INT_LTEQ   3   integers, A <= B
 *   CS_CONDITION_RULE_OPERATOR_INT_EQ     4   integers, A = B
 *   CS_CONDITION_RULE_OPERATOR_INT_NEQ    5   integers, A != B
 *   CS_CONDITION_RULE_OPERATOR_INT_GTEQ   6   integers, A >= B
 *   CS_CONDITION_RULE_OPERATOR_INT_GT     7   integers, A > B
 *
 * The literal names are the text form of an operator, as in a rule's store:
 *
 *     PB_STRING* name = csConditionRuleOperatorToString( CS_CONDITION_RULE_OPERATOR_INT_GT );
 *     PB_INT op = csConditionRuleOperatorFromString( name );   // 7
 *     if ( !CS_CONDITION_RULE_OPERATOR_OK( op ) ) ...          // unknown name
 *
 * The name table exists between cs___ConditionRuleOperatorStartup and
 * cs___ConditionRuleOperatorShutdown, which the module's lifecycle calls. */
#ifndef CS_CONDITION_RULE_OPERATOR_H
#define CS_CONDITION_RULE_OPERATOR_H

#include "pb/pb_string.h"

PB_BEGIN_DECLS

#define CS_CONDITION_RULE_OPERATOR_BOOL_EQ 0
#define CS_CONDITION_RULE_OPERATOR_BOOL_NEQ 1
#define CS_CONDITION_RULE_OPERATOR_INT_LT 2
#define CS_CONDITION_RULE_OPERATOR_INT_LTEQ 3
#define CS_CONDITION_RULE_OPERATOR_INT_EQ 4
#define CS_CONDITION_RULE_OPERATOR_INT_NEQ 5
#define CS_CONDITION_RULE_OPERATOR_INT_GTEQ 6
#define CS_CONDITION_RULE_OPERATOR_INT_GT 7

#define CS_CONDITION_RULE_OPERATOR_OK(op) \
    ((op) >= CS_CONDITION_RULE_OPERATOR_BOOL_EQ && (op) <= CS_CONDITION_RULE_OPERATOR_INT_GT)

/* The literal name of op. Precondition: CS_CONDITION_RULE_OPERATOR_OK( op ). */
PB_EXPORT PB_STRING* csConditionRuleOperatorToString(PB_INT op);
/* The operator named by string; a name that is none of the eight gives a
 * value outside CS_CONDITION_RULE_OPERATOR_OK. Precondition: string not NULL. */
PB_EXPORT PB_INT csConditionRuleOperatorFromString(PB_STRING* string);

PB_EXPORT void cs___ConditionRuleOperatorStartup(void);
PB_EXPORT void cs___ConditionRuleOperatorShutdown(void);

PB_END_DECLS

#endif
