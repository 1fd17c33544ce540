// Ruleset operators: the table of their literal names.
#include "cs/condition/cs_condition_ruleset_operator.h"

#include "pb/pb_enum.h"
#include "pb/pb_stdfunc.hpp"

// Module-wide state: NULL before start-up, all-ones after shutdown. Built
// once at start-up and then only read, so it needs no lock.
namespace {
PB_ENUM* operatorEnum = nullptr;
}  // namespace

extern "C" PB_EXPORT void cs___ConditionRulesetOperatorStartup(void) {
    operatorEnum = pbEnumCreate();
    static const char* const names[] = {
        "CS_CONDITION_RULESET_OPERATOR_AND", "CS_CONDITION_RULESET_OPERATOR_OR",
        "CS_CONDITION_RULESET_OPERATOR_XOR", "CS_CONDITION_RULESET_OPERATOR_NAND",
        "CS_CONDITION_RULESET_OPERATOR_NOR",
    };
    for (PB_INT op = 0; op < PB_INT(sizeof names / sizeof names[0]); ++op)
        pbEnumSetEnumerantCstr(&operatorEnum, names[op], -1, op);
}

extern "C" PB_EXPORT void cs___ConditionRulesetOperatorShutdown(void) {
    pb::releaseField(operatorEnum);
}

extern "C" PB_EXPORT PB_STRING* csConditionRulesetOperatorToString(PB_INT op) {
    PB_ASSERT(CS_CONDITION_RULESET_OPERATOR_OK( op ));
    return pbEnumGenerate(operatorEnum, op);
}

extern "C" PB_EXPORT PB_INT csConditionRulesetOperatorFromString(PB_STRING* string) {
    PB_ASSERT(string);
    return pbEnumParse(operatorEnum, string);
}
