/* Rulesets (CS_CONDITION_RULESET): an ordered list of rules
 * (cs_condition_rule.h) joined by one ruleset operator
 * (cs_condition_ruleset_operator.h); what a condition evaluates.
 *
 *   operator   ruleset operator, CS_CONDITION_RULESET_OPERATOR_AND at first  "operator"
 *   rules      vector of rules, evaluation order, empty at first         "rules" (array)
 *
 * Rulesets are values: every change takes the address of the caller's
 * handle and copies first when the ruleset is shared; copies share the
 * rules vector until one of them changes it.
 *
 *     CS_CONDITION_RULESET* rs = csConditionRulesetCreate();
 *     csConditionRulesetSetOperator( &rs, CS_CONDITION_RULESET_OPERATOR_OR );
 *     csConditionRulesetAppendRule( &rs, rule ); */
#ifndef CS_CONDITION_RULESET_H
#define CS_CONDITION_RULESET_H

#include "cs/condition/cs_condition_rule.h"
#include "cs/condition/cs_condition_ruleset_operator.h"
#include "pb/pb_vector.h"

PB_BEGIN_DECLS

typedef struct CS_CONDITION_RULESET CS_CONDITION_RULESET;

extern PB_EXPORT PB_SORT cs___sort_CS_CONDITION_RULESET;
PB_STDFUNCS_DECLARE(csConditionRuleset, CS_CONDITION_RULESET);

PB_EXPORT CS_CONDITION_RULESET* csConditionRulesetCreate(void);
PB_EXPORT CS_CONDITION_RULESET* csConditionRulesetCreateFrom(CS_CONDITION_RULESET* source);

PB_EXPORT PB_INT csConditionRulesetOperator(CS_CONDITION_RULESET* rs);
/* Precondition: CS_CONDITION_RULESET_OPERATOR_OK( op ). */
PB_EXPORT void csConditionRulesetSetOperator(CS_CONDITION_RULESET** rs, PB_INT op);

PB_EXPORT PB_INT csConditionRulesetRulesLength(CS_CONDITION_RULESET* rs);
/* The rule at index, 0..length-1 (a new reference). */
PB_EXPORT CS_CONDITION_RULE* csConditionRulesetRuleAt(CS_CONDITION_RULESET* rs, PB_INT index);
PB_EXPORT PB_VECTOR* csConditionRulesetRulesVector(CS_CONDITION_RULESET* rs);
/* Precondition: the vector holds only rules; it is kept, not copied. */
PB_EXPORT void csConditionRulesetSetRulesVector(CS_CONDITION_RULESET** rs, PB_VECTOR* vec);
PB_EXPORT void csConditionRulesetAppendRule(CS_CONDITION_RULESET** rs, CS_CONDITION_RULE* rule);
PB_EXPORT void csConditionRulesetPrependRule(CS_CONDITION_RULESET** rs, CS_CONDITION_RULE* rule);
/* Inserts before index. */
PB_EXPORT void csConditionRulesetInsertRule(CS_CONDITION_RULESET** rs, PB_INT index, CS_CONDITION_RULE* rule);
PB_EXPORT void csConditionRulesetSetRuleAt(CS_CONDITION_RULESET** rs, PB_INT index, CS_CONDITION_RULE* rule);
PB_EXPORT void csConditionRulesetClearRules(CS_CONDITION_RULESET** rs);

PB_EXPORT PB_STORE* csConditionRulesetStore(CS_CONDITION_RULESET* rs);
/* Never NULL: entries of "rules" that are not sub-stores are skipped. */
PB_EXPORT CS_CONDITION_RULESET* csConditionRulesetRestore(PB_STORE* store);

PB_END_DECLS

#endif
