// Rule operators: the table of their literal names.
#include "cs/condition/cs_condition_rule_operator.h"

#include "pb/pb_enum.h"
#include "pb/pb_stdfunc.hpp"

// Module-wide state: NULL before start-up, all-ones after shutdown. Built
// once at start-up and then only read, so it needs no lock.
namespace {
PB_ENUM* operatorEnum = nullptr;
}  // namespace

extern "C" PB_EXPORT void cs___ConditionRuleOperatorStartup(void) {
    operatorEnum = pbEnumCreate();
    static const char* const names[] = {
        "CS_CONDITION_RULE_OPERATOR_BOOL_EQ",  "CS_CONDITION_RULE_OPERATOR_BOOL_NEQ",
        "CS_CONDITION_RULE_OPERATOR_INT_LT",   "CS_CONDITION_RULE_OPERATOR_INT_LTEQ",
        "CS_CONDITION_RULE_OPERATOR_INT_EQ",   "CS_CONDITION_RULE_OPERATOR_INT_NEQ",
        "CS_CONDITION_RULE_OPERATOR_INT_GTEQ", "CS_CONDITION_RULE_OPERATOR_INT_GT",
    };
    for (PB_INT op = 0; op < PB_INT(sizeof names / sizeof names[0]); ++op)
        pbEnumSetEnumerantCstr(&operatorEnum, names[op], -1, op);
}

extern "C" PB_EXPORT void cs___ConditionRuleOperatorShutdown(void) { pb::releaseField(operatorEnum); }

extern "C" PB_EXPORT PB_STRING* csConditionRuleOperatorToString(PB_INT op) {
    PB_ASSERT(CS_CONDITION_RULE_OPERATOR_OK( op ));
    return pbEnumGenerate(operatorEnum, op);
}

extern "C" PB_EXPORT PB_INT csConditionRuleOperatorFromString(PB_STRING* string) {
    PB_ASSERT(string);
    return pbEnumParse(operatorEnum, string);
}
