/* Rules (CS_CONDITION_RULE): the smallest test of a condition, comparing two
 * operands (cs_condition_rule_operand.h) with one operator
 * (cs_condition_rule_operator.h).
 *
 *   operator   rule operator, CS_CONDITION_RULE_OPERATOR_BOOL_NEQ at first  "operator"
 *   operandA   rule operand, optional                                     "operandA"
 *   operandB   rule operand, optional                                     "operandB"
 *
 * An absent operand counts as false, or 0; so a new rule evaluates
 * false != false, which is false. Rules are values: setters take the
 * address of the caller's handle and copy first when the rule is shared;
 * a rule keeps a reference to the operand it is given (no copy).
 *
 *     CS_CONDITION_RULE* rule = csConditionRuleCreate();
 *     csConditionRuleSetOperator( &rule, CS_CONDITION_RULE_OPERATOR_INT_GT );
 *     csConditionRuleSetOperandA( &rule, operand ); */
#ifndef CS_CONDITION_RULE_H
#define CS_CONDITION_RULE_H

#include "cs/condition/cs_condition_rule_operand.h"
#include "cs/condition/cs_condition_rule_operator.h"

PB_BEGIN_DECLS

typedef struct CS_CONDITION_RULE CS_CONDITION_RULE;

extern PB_EXPORT PB_SORT cs___sort_CS_CONDITION_RULE;
PB_STDFUNCS_DECLARE(csConditionRule, CS_CONDITION_RULE);

PB_EXPORT CS_CONDITION_RULE* csConditionRuleCreate(void);
PB_EXPORT CS_CONDITION_RULE* csConditionRuleCreateFrom(CS_CONDITION_RULE* source);

PB_EXPORT PB_INT csConditionRuleOperator(CS_CONDITION_RULE* rule);
/* Precondition: CS_CONDITION_RULE_OPERATOR_OK( op ). */
PB_EXPORT void csConditionRuleSetOperator(CS_CONDITION_RULE** rule, PB_INT op);

PB_EXPORT CS_CONDITION_RULE_OPERAND* csConditionRuleOperandA(CS_CONDITION_RULE* rule);
PB_EXPORT PB_BOOL csConditionRuleHasOperandA(CS_CONDITION_RULE* rule);
PB_EXPORT void csConditionRuleSetOperandA(CS_CONDITION_RULE** rule, CS_CONDITION_RULE_OPERAND* operand);
PB_EXPORT void csConditionRuleDelOperandA(CS_CONDITION_RULE** rule);
PB_EXPORT CS_CONDITION_RULE_OPERAND* csConditionRuleOperandB(CS_CONDITION_RULE* rule);
PB_EXPORT PB_BOOL csConditionRuleHasOperandB(CS_CONDITION_RULE* rule);
PB_EXPORT void csConditionRuleSetOperandB(CS_CONDITION_RULE** rule, CS_CONDITION_RULE_OPERAND* operand);
PB_EXPORT void csConditionRuleDelOperandB(CS_CONDITION_RULE** rule);

PB_EXPORT PB_STORE* csConditionRuleStore(CS_CONDITION_RULE* rule);
/* Never NULL: an unknown or missing operator leaves BOOL_NEQ. */
PB_EXPORT CS_CONDITION_RULE* csConditionRuleRestore(PB_STORE* store);

PB_END_DECLS

#endif
