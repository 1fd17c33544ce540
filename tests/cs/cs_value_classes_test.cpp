// Copy-on-write of every value class, one table: a setter called through one
// of two handles that share a value whose every field is away from its
// default changes that field only, in a copy, and leaves the other handle's
// value as it was. A copy that drops a field shows in the store form.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "support/cs_fixture.hpp"
#include "support/store_text.hpp"

namespace {

using pb::adopt;
using Store = pb::Ref<PB_STORE>;
using vtest::encode;
using vtest::json;
using vtest::str;

struct SetterCase {
    std::string name;
    const char* key;                        // the one entry of the store form the setter changes
    std::function<std::array<Store, 3>()> run;  // store forms: before, after through one handle, the other handle
};

// A value class: a value with every field set, and its store form.
template <class T>
struct ValueClass {
    const char* sort;
    std::function<pb::Ref<T>()> full;
    std::function<PB_STORE*(T*)> store;
    SetterCase operator()(const char* key, std::function<void(T**)> set) const {
        return {std::string(sort) + " " + key, key, [self = *this, set] {
                    auto one = self.full();
                    auto other = one;
                    Store before = adopt(self.store(one.get()));
                    set(one.out());
                    EXPECT_NE(one.get(), other.get()) << "no copy";
                    return std::array<Store, 3>{before, adopt(self.store(one.get())), adopt(self.store(other.get()))};
                }};
    }
};

template <class T>
std::function<pb::Ref<T>()> restored(T* (*restore)(PB_STORE*), const char* text) {
    return [=] { return adopt(restore(json(text).get())); };
}

const char* const kOperand = R"({"moduleName":"tr","objectName":"obj","statusItemName":"up","defaultValue":"7"})";
const char* const kRule = R"({"operator":"CS_CONDITION_RULE_OPERATOR_INT_GT","operandA":{"defaultValue":"1"},
                             "operandB":{"defaultValue":"2"}})";
const char* const kRuleset = R"({"operator":"CS_CONDITION_RULESET_OPERATOR_OR","rules":[{"operator":"CS_CONDITION_RULE_OPERATOR_INT_GT"}]})";

std::vector<SetterCase> cases() {
    auto rule = [] { return adopt(csConditionRuleCreate()); };
    auto ruleset = [] { return adopt(csConditionRulesetCreate()); };
    auto operand = [] { return adopt(csConditionRuleOperandCreate()); };
    ValueClass<CS_OPTIONS> options{"CS_OPTIONS", [] {
        auto opt = adopt(csOptionsCreate(adopt(pbIdentifierCreate()).get()));
        csOptionsSetComment(opt.out(), str("c").get());
        csOptionsSetIncludePrivateData(opt.out(), PB_TRUE);
        csOptionsSetMaintenanceMode(opt.out(), PB_TRUE);
        return opt;
    }, csOptionsStore};
    ValueClass<CS_WRAPPED_OPTIONS> wrapped{"CS_WRAPPED_OPTIONS",
        restored(csWrappedOptionsRestore, R"({"sort":"TEST_X","mode":"CS_WRAPPED_MODE_DISABLED","config":{"a":1}})"),
        csWrappedOptionsStore};
    ValueClass<CS_CONDITION_OPTIONS> condition{"CS_CONDITION_OPTIONS",
        restored(csConditionOptionsRestore, R"({"ruleset":{"operator":"CS_CONDITION_RULESET_OPERATOR_OR"},
            "hysteresisRuleset":{"operator":"CS_CONDITION_RULESET_OPERATOR_XOR"},"onHoldTime":5,"offHoldTime":6})"),
        [](CS_CONDITION_OPTIONS* o) { return csConditionOptionsStore(o, PB_FALSE); }};
    ValueClass<CS_CONDITION_RULESET> rulesets{"CS_CONDITION_RULESET", restored(csConditionRulesetRestore, kRuleset),
                                              csConditionRulesetStore};
    ValueClass<CS_CONDITION_RULE> rules{"CS_CONDITION_RULE", restored(csConditionRuleRestore, kRule),
                                        csConditionRuleStore};
    ValueClass<CS_CONDITION_RULE_OPERAND> operands{"CS_CONDITION_RULE_OPERAND",
                                                   restored(csConditionRuleOperandRestore, kOperand),
                                                   csConditionRuleOperandStore};
    ValueClass<CS_COUNTER_LIMITS> counter{"CS_COUNTER_LIMITS",
                                          restored(csCounterLimitsRestore, R"({"minValue":-3,"maxValue":9})"),
                                          csCounterLimitsStore};
    ValueClass<CS_RATE_LIMITS> rate{"CS_RATE_LIMITS", restored(csRateLimitsRestore, R"({"minSecond":1,"maxSecond":2,
        "minMinute":3,"maxMinute":4,"minHour":5,"maxHour":6})"), csRateLimitsStore};
    ValueClass<CS_SCHEDULER_OPTIONS> scheduler{"CS_SCHEDULER_OPTIONS", [] {
        auto opt = adopt(csSchedulerOptionsCreate());
        csSchedulerOptionsSetEvents(opt.out(), 3);
        csSchedulerOptionsSetInterval(opt.out(), CS_SCHEDULER_INTERVAL_SECONDS_PER_EVENT);
        return opt;
    }, csSchedulerOptionsStore};
    ValueClass<CS_STATUS_ITEMS> items{"CS_STATUS_ITEMS", [] {
        auto items = adopt(csStatusItemsCreate());
        csStatusItemsSetItem(items.out(), str("up").get(), adopt(csStatusItemCreateBool(PB_TRUE)).get());
        csStatusItemsSetItem(items.out(), str("load").get(), adopt(csStatusItemCreateInt(7)).get());
        return items;
    }, csStatusItemsStore};
    ValueClass<CS_UPDATE_OBJECT> entry{"CS_UPDATE_OBJECT", restored(csUpdateObjectTryRestore, R"({"sort":"CS_WRAPPED",
        "protected":true,"visible":false,"comment":"c","metaData":{"m":1},
        "config":{"mode":"CS_WRAPPED_MODE_DISABLED","sort":"CS_A","config":{"a":1}}})"), csUpdateObjectStore};
    return {
        options("systemIdentifier", [](auto o) { csOptionsSetSystemIdentifier(o, adopt(pbIdentifierCreate()).get()); }),
        options("comment", [](auto o) { csOptionsSetComment(o, str("d").get()); }),
        options("comment", [](auto o) { csOptionsDelComment(o); }),
        options("includePrivateData", [](auto o) { csOptionsSetIncludePrivateData(o, PB_FALSE); }),
        options("maintenanceMode", [](auto o) { csOptionsSetMaintenanceMode(o, PB_FALSE); }),
        wrapped("sort", [](auto o) { csWrappedOptionsSetSortName(o, str("TEST_Y").get()); }),
        wrapped("sort", [](auto o) { csWrappedOptionsDelSortName(o); }),
        wrapped("mode", [](auto o) { csWrappedOptionsSetMode(o, CS_WRAPPED_MODE_DISABLED_HERE); }),
        wrapped("config", [](auto o) { csWrappedOptionsSetConfig(o, json(R"({"b":2})").get()); }),
        condition("ruleset", [=](auto o) { csConditionOptionsSetRuleset(o, ruleset().get()); }),
        condition("hysteresisRuleset", [=](auto o) { csConditionOptionsSetHysteresisRuleset(o, ruleset().get()); }),
        condition("hysteresisRuleset", [](auto o) { csConditionOptionsDelHysteresisRuleset(o); }),
        condition("onHoldTime", [](auto o) { csConditionOptionsSetOnHoldTime(o, 50); }),
        condition("onHoldTime", [](auto o) { csConditionOptionsSetOnHoldTimeDefault(o); }),
        condition("offHoldTime", [](auto o) { csConditionOptionsSetOffHoldTime(o, 60); }),
        condition("offHoldTime", [](auto o) { csConditionOptionsSetOffHoldTimeDefault(o); }),
        rulesets("operator", [](auto o) { csConditionRulesetSetOperator(o, CS_CONDITION_RULESET_OPERATOR_XOR); }),
        rulesets("rules", [=](auto o) { csConditionRulesetAppendRule(o, rule().get()); }),
        rulesets("rules", [](auto o) { csConditionRulesetClearRules(o); }),
        rules("operator", [](auto o) { csConditionRuleSetOperator(o, CS_CONDITION_RULE_OPERATOR_INT_LT); }),
        rules("operandA", [=](auto o) { csConditionRuleSetOperandA(o, operand().get()); }),
        rules("operandA", [](auto o) { csConditionRuleDelOperandA(o); }),
        rules("operandB", [=](auto o) { csConditionRuleSetOperandB(o, operand().get()); }),
        rules("operandB", [](auto o) { csConditionRuleDelOperandB(o); }),
        operands("moduleName", [](auto o) { csConditionRuleOperandSetModuleName(o, str("pb").get()); }),
        operands("moduleName", [](auto o) { csConditionRuleOperandDelModuleName(o); }),
        operands("objectName", [](auto o) { csConditionRuleOperandSetObjectName(o, str("other").get()); }),
        operands("objectName", [](auto o) { csConditionRuleOperandDelObjectName(o); }),
        operands("statusItemName", [](auto o) { csConditionRuleOperandSetStatusItemName(o, str("down").get()); }),
        operands("statusItemName", [](auto o) { csConditionRuleOperandDelStatusItemName(o); }),
        operands("defaultValue", [](auto o) { csConditionRuleOperandSetDefaultValue(o, str("8").get()); }),
        counter("minValue", [](auto o) { csCounterLimitsSetMinValue(o, -4); }),
        counter("minValue", [](auto o) { csCounterLimitsDelMinValue(o); }),
        counter("maxValue", [](auto o) { csCounterLimitsSetMaxValue(o, 10); }),
        counter("maxValue", [](auto o) { csCounterLimitsDelMaxValue(o); }),
        rate("minSecond", [](auto o) { csRateLimitsSetMinSecond(o, 0); }),
        rate("maxSecond", [](auto o) { csRateLimitsDelMaxSecond(o); }),
        rate("minMinute", [](auto o) { csRateLimitsDelMinMinute(o); }),
        rate("maxMinute", [](auto o) { csRateLimitsSetMaxMinute(o, 40); }),
        rate("minHour", [](auto o) { csRateLimitsSetMinHour(o, 50); }),
        rate("maxHour", [](auto o) { csRateLimitsDelMaxHour(o); }),
        scheduler("events", [](auto o) { csSchedulerOptionsSetEvents(o, 4); }),
        scheduler("interval", [](auto o) { csSchedulerOptionsSetInterval(o, CS_SCHEDULER_INTERVAL_EVENTS_PER_HOUR); }),
        items("up", [](auto o) { csStatusItemsSetItem(o, str("up").get(), adopt(csStatusItemCreateBool(PB_FALSE)).get()); }),
        items("load", [](auto o) { csStatusItemsDelItem(o, str("load").get()); }),
        entry("config", [](auto o) { csUpdateObjectSetSortName(o, str("CS_B").get()); }),
        entry("config", [](auto o) { csUpdateObjectSetWrappedMode(o, CS_WRAPPED_MODE_FALLBACK); }),
        entry("config", [](auto o) { csUpdateObjectSetConfig(o, json(R"({"b":2})").get()); }),
        entry("protected", [](auto o) { csUpdateObjectSetProtected(o, PB_FALSE); }),
        entry("visible", [](auto o) { csUpdateObjectSetVisible(o, PB_TRUE); }),
        entry("comment", [](auto o) { csUpdateObjectSetComment(o, str("d").get()); }),
        entry("comment", [](auto o) { csUpdateObjectDelComment(o); }),
        entry("metaData", [](auto o) { csUpdateObjectSetMetaData(o, json(R"({"m":2})").get()); }),
    };
}

using CsValueClasses = vtest::CsModuleTest;

TEST_F(CsValueClasses, SetterThroughASharedHandleChangesOneFieldOfACopy) {
    for (const SetterCase& c : cases()) {
        SCOPED_TRACE(c.name);
        auto [before, after, other] = c.run();
        EXPECT_EQ(encode(other.get()), encode(before.get())) << "the other handle's value changed";
        EXPECT_NE(encode(after.get()), encode(before.get())) << "the setter changed nothing";
        pbStoreDelCstr(before.out(), c.key, -1);
        pbStoreDelCstr(after.out(), c.key, -1);
        EXPECT_EQ(encode(after.get()), encode(before.get())) << "other fields changed";
    }
}

}  // namespace
