// Ruleset operators: the table of their literal names.
#include "cs/condition/cs_condition_ruleset_operator.h"

#include "pb/pb_enum.h"
#include "pb/pb_stdfunc.hpp"

// Module-wide state: NULL before start-up, all-ones after shutdown. Built
// once at start-up and then only read, so it needs no lock.
PB_ENUM* cs___ConditionRulesetOperatorEnum = nullptr;

extern "C" PB_EXPORT void cs___ConditionRulesetOperatorStartup(void) {
    cs___ConditionRulesetOperatorEnum = pbEnumCreate();
    static const char* const names[] = {
        "CS_CONDITION_RULESET_OPERATOR_AND", "CS_CONDITION_RULESET_OPERATOR_OR",
        "CS_CONDITION_RULESET_OPERATOR_XOR", "CS_CONDITION_RULESET_OPERATOR_NAND",
        "CS_CONDITION_RULESET_OPERATOR_NOR",
    };
    for (PB_INT op = 0; op < PB_INT(sizeof names / sizeof names[0]); ++op)
        pbEnumSetEnumerantCstr(&cs___ConditionRulesetOperatorEnum, names[op], -1, op);
}

extern "C" PB_EXPORT void cs___ConditionRulesetOperatorShutdown(void) {
    pb::releaseField(cs___ConditionRulesetOperatorEnum);
}

extern "C" PB_EXPORT PB_STRING* csConditionRulesetOperatorToString(PB_INT op) {
    PB_ASSERT(CS_CONDITION_RULESET_OPERATOR_OK( op ));
    return pbEnumGenerate(cs___ConditionRulesetOperatorEnum, op);
}

extern "C" PB_EXPORT PB_INT csConditionRulesetOperatorFromString(PB_STRING* string) {
    PB_ASSERT(string);
    return pbEnumParse(cs___ConditionRulesetOperatorEnum, string);
}
