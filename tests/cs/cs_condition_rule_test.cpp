// Rules, rulesets and condition options as values (store forms, bad
// stores, copy-on-write), and their evaluation: every rule operator over a
// table of item values and defaults, every ruleset operator over rulesets
// of 0 to 3 rules, operands whose module or object is missing, comes later
// or ends, and the preconditions.
#include <gtest/gtest.h>

#include "cs/condition/cs_condition_ruleset_eval.h"
#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "cs_condition_test_util.hpp"

namespace {

using pb::adopt;
using vtest::encode;
using vtest::json;
using vtest::str;
using ctest::probeModule;
using ctest::probeReporter;
using ctest::rulesetOf;
using ctest::setProbe;

using Rule = pb::Ref<CS_CONDITION_RULE>;
using Ruleset = pb::Ref<CS_CONDITION_RULESET>;

const PB_MODULE_RECORD laterRecord = {2, "vorlix", "Vorlix Server", 4, 14, 21, "", "", "", "later", "Later", "1.0",
                                      "pb", ""};
PB_MODULE_DEFINE(laterModule, &laterRecord, nullptr, nullptr, nullptr, nullptr);

PB_BOOL evaluate(const Ruleset& rs) {
    auto eval = adopt(cs___ConditionRulesetEvalCreate(rs.get()));
    return cs___ConditionRulesetEvalValue(eval.get());
}

class CsConditionRule : public ctest::ProbeTest {
protected:
    void SetUp() override {
        ctest::ProbeTest::SetUp();
        csStatusReporterSetItemCstrBool(probeReporter, "b", -1, PB_TRUE);
        setProbe("i", 5);
        csStatusReporterSetItemCstrString(probeReporter, "s", -1, str("12").get());
        csStatusReporterSetItemCstrString(probeReporter, "t", -1, str("12x").get());
        csStatusReporterSetItemCstrStore(probeReporter, "st", -1, json("{}").get());
    }
};

// --- values ----------------------------------------------------------------

TEST_F(CsConditionRule, StoreFormsRoundTripAndDefaultsAreLeftOut) {
    EXPECT_EQ(encode(adopt(csConditionRulesetStore(adopt(csConditionRulesetCreate()).get())).get()),
              vtest::canonical(R"({"operator":"CS_CONDITION_RULESET_OPERATOR_AND","rules":[]})"));
    auto opt = adopt(csConditionOptionsCreate());
    EXPECT_EQ(encode(adopt(csConditionOptionsStore(opt.get(), PB_FALSE)).get()),
              vtest::canonical(R"({"ruleset":{"operator":"CS_CONDITION_RULESET_OPERATOR_AND","rules":[]}})"));
    auto complete = adopt(csConditionOptionsStore(opt.get(), PB_TRUE));
    PB_INT on = 0, off = 0;
    EXPECT_TRUE(pbStoreValueIntCstr(complete.get(), "onHoldTime", -1, &on) &&
                pbStoreValueIntCstr(complete.get(), "offHoldTime", -1, &off));
    EXPECT_EQ(on + off, 200);
    // The store forms are made once and shared; a change to the options
    // (copied first while a store form of them is held) gives new ones.
    auto shared = opt;
    csConditionOptionsSetOffHoldTime(opt.out(), 5);
    csConditionOptionsSetOnHoldTime(shared.out(), 6);
    EXPECT_TRUE(pbStoreValueIntCstr(adopt(csConditionOptionsStore(opt.get(), PB_FALSE)).get(), "offHoldTime", -1, &off));
    EXPECT_TRUE(pbStoreValueIntCstr(adopt(csConditionOptionsStore(shared.get(), PB_TRUE)).get(), "onHoldTime", -1, &on));
    EXPECT_EQ(on * 10 + off, 65);
    EXPECT_FALSE(pbStoreValueIntCstr(adopt(csConditionOptionsStore(shared.get(), PB_FALSE)).get(), "offHoldTime", -1, &off));

    const std::string full = vtest::canonical(R"({
        "ruleset":{"operator":"CS_CONDITION_RULESET_OPERATOR_XOR","rules":[
            {"operator":"CS_CONDITION_RULE_OPERATOR_INT_GTEQ",
             "operandA":{"moduleName":"probe","statusItemName":"load","defaultValue":"7"},
             "operandB":{"objectName":"a.b","defaultValue":""}}]},
        "hysteresisRuleset":{"operator":"CS_CONDITION_RULESET_OPERATOR_NOR","rules":[{"operator":"CS_CONDITION_RULE_OPERATOR_BOOL_NEQ"}]},
        "onHoldTime":100,"offHoldTime":0})");
    auto back = adopt(csConditionOptionsRestore(json(full).get()));
    EXPECT_FALSE(csConditionOptionsOnHoldTimeDefault(back.get()));  // an explicit 100 is kept
    EXPECT_EQ(encode(adopt(csConditionOptionsStore(back.get(), PB_FALSE)).get()), full);

    // An operand with only live references stores its default value only.
    auto operand = adopt(csConditionRuleOperandCreate());
    csConditionRuleOperandSetModule(operand.out(), &probeModule);
    EXPECT_EQ(encode(adopt(csConditionRuleOperandStore(operand.get())).get()), vtest::canonical(R"({"defaultValue":""})"));
}

TEST_F(CsConditionRule, BadStoresRestoreToDefaultsAndNeverFail) {
    auto rule = adopt(csConditionRuleRestore(json(R"({"operator":"CS_NOPE","operandA":5,
        "operandB":{"moduleName":"bad name!","objectName":7,"statusItemName":"NotCamel","defaultValue":"1"}})").get()));
    EXPECT_EQ(csConditionRuleOperator(rule.get()), CS_CONDITION_RULE_OPERATOR_BOOL_NEQ);
    EXPECT_FALSE(csConditionRuleHasOperandA(rule.get()));
    EXPECT_EQ(encode(adopt(csConditionRuleStore(rule.get())).get()),
              vtest::canonical(R"({"operator":"CS_CONDITION_RULE_OPERATOR_BOOL_NEQ","operandB":{"defaultValue":"1"}})"));

    auto rs = rulesetOf(R"({"operator":1,"rules":[{"operator":"CS_CONDITION_RULE_OPERATOR_INT_EQ"},3,"x",{}]})");
    EXPECT_EQ(csConditionRulesetOperator(rs.get()), CS_CONDITION_RULESET_OPERATOR_AND);
    ASSERT_EQ(csConditionRulesetRulesLength(rs.get()), 2);
    EXPECT_EQ(csConditionRuleOperator(adopt(csConditionRulesetRuleAt(rs.get(), 0)).get()),
              CS_CONDITION_RULE_OPERATOR_INT_EQ);

    auto opt = adopt(csConditionOptionsRestore(json(R"({"ruleset":"x","onHoldTime":-5,"offHoldTime":"9"})").get()));
    EXPECT_TRUE(csConditionOptionsOnHoldTimeDefault(opt.get()));
    EXPECT_TRUE(csConditionOptionsOffHoldTimeDefault(opt.get()));
    EXPECT_EQ(csConditionOptionsOnHoldTime(opt.get()), 100);
    EXPECT_FALSE(csConditionOptionsHasHysteresisRuleset(opt.get()));
}

// --- evaluation ------------------------------------------------------------

// One rule: operand A from a probe item (or only a default), operand B a
// plain default. "-" stands for an absent operand.
bool ruleValue(const char* itemA, const char* defaultA, PB_INT op, const char* defaultB) {
    auto rule = adopt(csConditionRuleCreate());
    csConditionRuleSetOperator(rule.out(), op);
    if (std::string(defaultA) != "-") {
        auto a = adopt(csConditionRuleOperandCreate());
        csConditionRuleOperandSetModuleName(a.out(), str("probe").get());
        if (*itemA) csConditionRuleOperandSetStatusItemName(a.out(), str(itemA).get());
        csConditionRuleOperandSetDefaultValue(a.out(), str(defaultA).get());
        csConditionRuleSetOperandA(rule.out(), a.get());
    }
    if (std::string(defaultB) != "-") {
        auto b = adopt(csConditionRuleOperandCreate());
        csConditionRuleOperandSetDefaultValue(b.out(), str(defaultB).get());
        csConditionRuleSetOperandB(rule.out(), b.get());
    }
    auto rs = adopt(csConditionRulesetCreate());
    csConditionRulesetAppendRule(rs.out(), rule.get());
    return evaluate(rs);
}

TEST_F(CsConditionRule, EveryRuleOperatorOverItemsAndDefaults) {
    struct Case { const char* item; const char* defaultA; PB_INT op; const char* defaultB; bool expected; };
    const Case cases[] = {
        {"b", "", CS_CONDITION_RULE_OPERATOR_BOOL_EQ, "true", true},
        {"i", "", CS_CONDITION_RULE_OPERATOR_BOOL_EQ, "yes", true},       // 5 != 0
        {"missing", "on", CS_CONDITION_RULE_OPERATOR_BOOL_EQ, "1", true},  // default scanned
        {"missing", "", CS_CONDITION_RULE_OPERATOR_BOOL_NEQ, "-", false},  // "" does not scan: false
        {"st", "TRUE", CS_CONDITION_RULE_OPERATOR_BOOL_NEQ, "false", true},  // STORE: default
        {"", "-", CS_CONDITION_RULE_OPERATOR_BOOL_NEQ, "-", false},
        {"i", "", CS_CONDITION_RULE_OPERATOR_INT_LT, "6", true},
        {"i", "", CS_CONDITION_RULE_OPERATOR_INT_LT, "5", false},
        {"i", "", CS_CONDITION_RULE_OPERATOR_INT_LTEQ, "5", true},
        {"s", "", CS_CONDITION_RULE_OPERATOR_INT_EQ, "12", true},          // a STRING that scans
        {"t", "3", CS_CONDITION_RULE_OPERATOR_INT_EQ, "3", true},          // scans in part: default
        {"b", "", CS_CONDITION_RULE_OPERATOR_INT_EQ, "1", true},
        {"", "-", CS_CONDITION_RULE_OPERATOR_INT_EQ, "-", true},           // 0 = 0
        {"missing", "x", CS_CONDITION_RULE_OPERATOR_INT_NEQ, "0", false},  // default does not scan: 0
        {"i", "", CS_CONDITION_RULE_OPERATOR_INT_GTEQ, "5", true},
        {"i", "", CS_CONDITION_RULE_OPERATOR_INT_GT, "-", true},           // 5 > absent 0
        {"i", "", CS_CONDITION_RULE_OPERATOR_INT_GT, "0x10", false},
        {"", "-9", CS_CONDITION_RULE_OPERATOR_INT_GT, "-10", true},        // no item name: default
    };
    for (const Case& c : cases)
        EXPECT_EQ(ruleValue(c.item, c.defaultA, c.op, c.defaultB), c.expected)
            << c.item << " " << c.defaultA << " op " << c.op << " " << c.defaultB;
}

TEST_F(CsConditionRule, EveryRulesetOperatorOverZeroToThreeRules) {
    const char* T = R"({"operator":"CS_CONDITION_RULE_OPERATOR_INT_EQ"})";   // 0 = 0
    const char* F = R"({"operator":"CS_CONDITION_RULE_OPERATOR_BOOL_NEQ"})";  // false != false
    struct Case { const char* op; std::vector<const char*> rules; bool expected; };
    const Case cases[] = {
        {"AND", {}, true},      {"AND", {T, T}, true},    {"AND", {T, F}, false},
        {"OR", {}, false},      {"OR", {F, T}, true},     {"OR", {F, F}, false},
        {"XOR", {}, false},     {"XOR", {F, T}, true},    {"XOR", {T, T}, false},  {"XOR", {T, T, T}, false},
        {"NAND", {}, false},    {"NAND", {T, F}, true},   {"NAND", {T, T}, false},
        {"NOR", {}, true},      {"NOR", {F, F}, true},    {"NOR", {F, T}, false},
    };
    for (const Case& c : cases) {
        std::string text = std::string(R"({"operator":"CS_CONDITION_RULESET_OPERATOR_)") + c.op + R"(","rules":[)";
        for (size_t i = 0; i < c.rules.size(); ++i) text += (i ? "," : "") + std::string(c.rules[i]);
        EXPECT_EQ(evaluate(rulesetOf(text + "]}")), c.expected) << text;
    }
}

TEST_F(CsConditionRule, MissingModulesAndObjectsFallBackUntilTheyAreThere) {
    auto rs = rulesetOf(R"({"operator":"CS_CONDITION_RULESET_OPERATOR_OR","rules":[
        {"operator":"CS_CONDITION_RULE_OPERATOR_BOOL_EQ",
         "operandA":{"moduleName":"later","statusItemName":"up","defaultValue":"false"},"operandB":{"defaultValue":"true"}},
        {"operator":"CS_CONDITION_RULE_OPERATOR_BOOL_EQ",
         "operandA":{"objectName":"probeObj","statusItemName":"up","defaultValue":"false"},"operandB":{"defaultValue":"true"}}]})");
    auto eval = adopt(cs___ConditionRulesetEvalCreate(rs.get()));
    EXPECT_FALSE(cs___ConditionRulesetEvalValue(eval.get()));

    // A module registered after the evaluation was made stays unseen by it.
    auto reporter = adopt(csStatusReporterCreate(nullptr));
    csStatusReporterSetItemCstrBool(reporter.get(), "up", -1, PB_TRUE);
    static CS_STATUS_REPORTER* laterReporter;
    laterReporter = reporter.get();
    auto later = adopt(csModuleBackendCreate(&laterModule, nullptr, nullptr, nullptr,
                                             [](PB_OBJ*) { return csStatusReporterStatus(laterReporter); }, nullptr));
    EXPECT_FALSE(cs___ConditionRulesetEvalOutOfDate(eval.get()));
    EXPECT_FALSE(cs___ConditionRulesetEvalUpdate(eval.get()));
    EXPECT_TRUE(evaluate(rs));  // a new evaluation resolves it
    later.reset();

    // An object registered later under the name sets the alert; the update
    // reads its status. Its sort has no status callback: the default holds.
    auto stub = adopt(csStubCreate());
    csObjectTableSet(adopt(csObjectRecordCreate(str("probeObj").get(), csStubObj(stub.get()))).get());
    EXPECT_TRUE(cs___ConditionRulesetEvalOutOfDate(eval.get()));
    EXPECT_FALSE(cs___ConditionRulesetEvalUpdate(eval.get()));
    EXPECT_FALSE(cs___ConditionRulesetEvalOutOfDate(eval.get()));

    // A watched status that ends sets the alert and is dropped; the module
    // gives no other status, so its operand keeps the default.
    auto probeEval = adopt(cs___ConditionRulesetEvalCreate(rulesetOf(R"({"rules":[{"operator":"CS_CONDITION_RULE_OPERATOR_INT_EQ",
        "operandA":{"moduleName":"probe","statusItemName":"i","defaultValue":"1"},"operandB":{"defaultValue":"5"}}]})").get()));
    EXPECT_TRUE(cs___ConditionRulesetEvalValue(probeEval.get()));
    auto ended = adopt(csStatusReporterStatus(probeReporter));
    cs___StatusSetEnd(ended.get());
    EXPECT_TRUE(cs___ConditionRulesetEvalOutOfDate(probeEval.get()));
    csStatusReporterRelease(probeReporter);
    probeReporter = csStatusReporterCreate(nullptr);  // a new status without "i"
    EXPECT_FALSE(cs___ConditionRulesetEvalUpdate(probeEval.get()));
}

// --- preconditions ---------------------------------------------------------

using CsConditionRuleDeathTest = CsConditionRule;

TEST_F(CsConditionRuleDeathTest, PreconditionsStopTheProcess) {
    auto rule = adopt(csConditionRuleCreate());
    EXPECT_DEATH(csConditionRuleSetOperator(rule.out(), 8), "cs_condition_rule.cpp:[0-9]+: CS_CONDITION_RULE_OPERATOR_OK\\( op \\)\n");
    auto rs = adopt(csConditionRulesetCreate());
    EXPECT_DEATH(csConditionRulesetSetOperator(rs.out(), -1), ": CS_CONDITION_RULESET_OPERATOR_OK\\( op \\)\n");
    auto vec = adopt(pbVectorCreate());
    pbVectorAppendObj(vec.out(), csConditionRulesetObj(rs.get()));
    EXPECT_DEATH(csConditionRulesetSetRulesVector(rs.out(), vec.get()),
                 ": pbVectorContainsOnly\\( vec, csConditionRuleSort\\(\\) \\)\n");
    auto operand = adopt(csConditionRuleOperandCreate());
    EXPECT_DEATH(csConditionRuleOperandSetStatusItemName(operand.out(), str("Upper").get()),
                 ": pbNameCamelCaseOk\\( statusItemName, PB_TRUE \\)\n");
    auto opt = adopt(csConditionOptionsCreate());
    EXPECT_DEATH(csConditionOptionsSetOffHoldTime(opt.out(), -1), "cs_condition_options.cpp:[0-9]+: msec >= 0\n");
}

}  // namespace
