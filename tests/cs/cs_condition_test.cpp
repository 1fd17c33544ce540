// Conditions end to end: a condition configured by the configuration,
// reading a module's and an object's status, switching with hold times and
// hysteresis over simulated hours, followed by condition observers; the
// sort's callbacks; and on the threaded clock, conditions applied, replaced
// and removed while their processes run and statuses change.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "cs/condition/cs_condition_imp.h"
#include "cs_condition_test_util.hpp"
#include "pb/pb_runtime.h"
#include "pb/pb_runtime_clock.h"
#include "support/listener.hpp"
#include "support/live_objects.hpp"
#include "tr/tr.h"

namespace {

using ctest::probeReporter;
using ctest::setProbe;
using pb::adopt;
using vtest::encode;
using vtest::json;
using vtest::str;

// A configurable test class with a status of its own, reached through its
// sort's status callback, which checks that it gets the backend's context.
struct Gauge {
    PB_OBJ obj;
    CS_STATUS_REPORTER* rep;
};
void gaugeFree(PB_OBJ* obj) { csStatusReporterRelease(reinterpret_cast<Gauge*>(obj)->rep); }
PB_SORT_DEFINE(gaugeSort, &cs___module, "TEST_GAUGE", gaugeFree, nullptr, nullptr);
PB_SORT_DEFINE(contextSort, &cs___module, "TEST_GAUGE_CONTEXT", nullptr, nullptr, nullptr);
PB_OBJ* gaugeContext = nullptr;

Gauge* gauge(PB_OBJ* obj) { return reinterpret_cast<Gauge*>(obj); }
PB_OBJ* gaugeCreate(PB_OBJ*, PB_STORE*, TR_ANCHOR*) {
    auto* g = reinterpret_cast<Gauge*>(pb___ObjCreate(sizeof(Gauge), &gaugeSort));
    g->rep = csStatusReporterCreate(nullptr);
    return &g->obj;
}
CS_STATUS* gaugeStatus(PB_OBJ* context, PB_OBJ* obj) {
    EXPECT_EQ(context, gaugeContext);
    return csStatusReporterStatus(gauge(obj)->rep);
}

PB_BOOL reportedValue(CS_CONDITION* cond) {
    return csStatusItemBoolValue(adopt(csStatusItemsItemCstr(adopt(csStatusItems(
        adopt(csConditionStatus(cond)).get())).get(), "csConditionValue", -1)).get());
}

using Counter = vtest::Listener;

class CsCondition : public ctest::ProbeTest {
protected:
    pb::Ref<CS_SORT_BACKEND> gauges;
    void SetUp() override {
        ctest::ProbeTest::SetUp();
        gaugeContext = pb___ObjCreate(sizeof(PB_OBJ), &contextSort);
        gauges = adopt(csSortBackendCreate(&gaugeSort, gaugeCreate, nullptr, nullptr, nullptr, gaugeStatus, nullptr,
                                           gaugeContext));
    }
    void TearDown() override {
        gauges.reset();
        pbObjRelease(gaugeContext);
        ctest::ProbeTest::TearDown();
    }
    static pb::Ref<PB_OBJ> object(const char* name) { return adopt(csObjectTableLookupObjectByName(str(name).get())); }
    static CS_STATUS_REPORTER* gaugeReporter(const char* name) { return gauge(object(name).get())->rep; }
    static pb::Ref<CS_CONDITION> condition(const char* name) { return adopt(csConditionFrom(object(name).leak())); }
};

const char* kTypical = R"({"objects":{
    "gauge":{"sort":"TEST_GAUGE"},
    "alarm":{"sort":"CS_CONDITION","config":{"onHoldTime":500,"ruleset":{"rules":[
        {"operator":"CS_CONDITION_RULE_OPERATOR_INT_GT",
         "operandA":{"moduleName":"probe","statusItemName":"load","defaultValue":""},
         "operandB":{"defaultValue":"10"}},
        {"operator":"CS_CONDITION_RULE_OPERATOR_BOOL_EQ",
         "operandA":{"objectName":"gauge","statusItemName":"ready","defaultValue":"no"},
         "operandB":{"defaultValue":"yes"}}]}}}}})";

TEST_F(CsCondition, TypicalConditionFromConfigurationToObserverAndBack) {
    auto config = json(kTypical);
    csConfigSetConfig(config.get());
    advance(0);
    auto alarm = condition("alarm");
    ASSERT_TRUE(alarm);
    EXPECT_FALSE(csConditionValue(alarm.get()));
    Counter heard([c = alarm.get()](PB_SIGNALABLE* s) { csConditionUpdateAddSignalable(c, s); });
    auto observer = adopt(csConditionObserverCreate(nullptr));
    csConditionObserverSetObservedName(observer.get(), str("alarm").get());
    advance(0);
    EXPECT_TRUE(csConditionObserverHasCondition(observer.get()));
    Counter observed([o = observer.get()](PB_SIGNALABLE* s) { csConditionObserverUpdateAddSignalable(o, s); });

    setProbe("load", 50);
    advance(0);
    EXPECT_FALSE(csConditionValue(alarm.get()));  // the object's item is still missing
    csStatusReporterSetItemCstrBool(gaugeReporter("gauge"), "ready", -1, PB_TRUE);
    advance(0);
    EXPECT_TRUE(csConditionValue(alarm.get()));
    EXPECT_TRUE(reportedValue(alarm.get()));
    EXPECT_EQ(heard.heard, 1);
    EXPECT_TRUE(csConditionObserverConditionValue(observer.get()));
    EXPECT_EQ(observed.heard, 1);

    // Off again only after the on hold time.
    setProbe("load", 3);
    advance(499);
    EXPECT_TRUE(csConditionValue(alarm.get()));
    advance(1);
    EXPECT_FALSE(csConditionValue(alarm.get()));
    EXPECT_EQ(heard.heard, 2);
    EXPECT_FALSE(csConditionObserverConditionValue(observer.get()));

    // The gathered configuration is the normalised one.
    csConfigGather();
    auto gathered = adopt(pbStoreStoreCstr(adopt(pbStoreStoreCstr(adopt(pbStoreStoreCstr(
        adopt(csConfigConfig(nullptr)).get(), "objects", -1)).get(), "alarm", -1)).get(), "config", -1));
    auto given = adopt(pbStoreStoreCstr(adopt(pbStoreStoreCstr(adopt(pbStoreStoreCstr(
        config.get(), "objects", -1)).get(), "alarm", -1)).get(), "config", -1));
    EXPECT_EQ(encode(gathered.get()),
              encode(adopt(csSortNormalizeConfig(csConditionSort(), given.get(), PB_FALSE, PB_FALSE)).get()));

    // Applied away, it is halted and freed; the observer falls back.
    auto anchorStream = adopt(trStreamCreateCstr("TEST", -1));
    csConditionTraceCompleteAnchor(alarm.get(), adopt(trAnchorCreate(anchorStream.get(), 12)).get());
    auto reader = adopt(trTextReaderCreate(adopt(trStreamLinkAt(anchorStream.get(), 0)).get()));
    alarm.reset();
    csConfigSetConfig(json("{}").get());
    advance(0);
    EXPECT_FALSE(csConditionObserverHasCondition(observer.get()));
    EXPECT_TRUE(csConditionObserverConditionValueWithFallback(observer.get(), PB_FALSE, PB_TRUE));
    ASSERT_EQ(trTextReaderLinesCount(reader.get()), 1);
    EXPECT_EQ(vtest::take(trTextReaderLineAt(reader.get(), 0)), "[cs___ConditionImpHalt()]");
}

TEST_F(CsCondition, ObjectReplacedUnderItsNameIsReadThroughItsSort) {
    csConfigSetConfig(json(kTypical).get());
    setProbe("load", 50);
    csStatusReporterSetItemCstrBool(gaugeReporter("gauge"), "ready", -1, PB_TRUE);
    advance(0);
    auto alarm = condition("alarm");
    EXPECT_TRUE(csConditionValue(alarm.get()));
    // A new gauge under the same name has no "ready": off after the hold.
    auto fresh = adopt(gaugeCreate(nullptr, nullptr, nullptr));
    csObjectTableSet(adopt(csObjectRecordCreate(str("gauge").get(), fresh.get())).get());
    advance(500);
    EXPECT_FALSE(csConditionValue(alarm.get()));
    csStatusReporterSetItemCstrBool(gauge(fresh.get())->rep, "ready", -1, PB_TRUE);
    advance(100);
    EXPECT_TRUE(csConditionValue(alarm.get()));
}

// Main ruleset: load > 80; hysteresis: load > 50.
pb::Ref<CS_CONDITION_OPTIONS> hysteresisOptions(PB_INT onHold, PB_INT offHold) {
    auto rule = [](const char* limit) {
        return std::string(R"({"rules":[{"operator":"CS_CONDITION_RULE_OPERATOR_INT_GT",
            "operandA":{"moduleName":"probe","statusItemName":"load"},"operandB":{"defaultValue":")") + limit + "\"}}]}";
    };
    auto opt = adopt(csConditionOptionsCreate());
    csConditionOptionsSetRuleset(opt.out(), ctest::rulesetOf(rule("80")).get());
    csConditionOptionsSetHysteresisRuleset(opt.out(), ctest::rulesetOf(rule("50")).get());
    csConditionOptionsSetOnHoldTime(opt.out(), onHold);
    csConditionOptionsSetOffHoldTime(opt.out(), offHold);
    return opt;
}

TEST_F(CsCondition, HysteresisAndHoldTimesOverSimulatedHours) {
    const PB_INT minute = 60 * 1000, hour = 60 * minute;
    auto opt = hysteresisOptions(0, 5 * minute);
    auto cond = adopt(csConditionCreate(opt.get(), nullptr));
    Counter heard([c = cond.get()](PB_SIGNALABLE* s) { csConditionUpdateAddSignalable(c, s); });
    setProbe("load", 10);
    advance(hour);
    EXPECT_FALSE(csConditionValue(cond.get()));
    EXPECT_EQ(heard.heard, 0);

    setProbe("load", 90);  // on at once; with on hold 0 it watches again at once
    advance(0);
    EXPECT_TRUE(csConditionValue(cond.get()));
    setProbe("load", 60);  // below the main ruleset, above the hysteresis
    advance(3 * hour);
    EXPECT_TRUE(csConditionValue(cond.get()));
    setProbe("load", 40);
    advance(0);
    EXPECT_FALSE(csConditionValue(cond.get()));
    EXPECT_EQ(heard.heard, 2);

    // Off for at least the off hold time, however the load goes.
    setProbe("load", 95);
    advance(5 * minute - 1);
    EXPECT_FALSE(csConditionValue(cond.get()));
    advance(1);
    EXPECT_TRUE(csConditionValue(cond.get()));

    // Options given during a hold: the same object changes nothing, an
    // equal but distinct one is new and cuts the hold short.
    setProbe("load", 0);
    advance(0);
    EXPECT_FALSE(csConditionValue(cond.get()));
    setProbe("load", 99);
    csConditionSetOptions(cond.get(), opt.get());
    advance(minute);
    EXPECT_FALSE(csConditionValue(cond.get()));
    csConditionSetOptions(cond.get(), adopt(csConditionOptionsCreateFrom(opt.get())).get());
    advance(0);
    EXPECT_TRUE(csConditionValue(cond.get()));

    // New options switch off at once; then the default hold times (100 ms).
    auto defaults = hysteresisOptions(0, 0);
    csConditionOptionsSetOnHoldTimeDefault(defaults.out());
    csConditionOptionsSetOffHoldTimeDefault(defaults.out());
    csConditionSetOptions(cond.get(), defaults.get());
    setProbe("load", 0);
    advance(0);
    EXPECT_FALSE(csConditionValue(cond.get()));
    setProbe("load", 99);
    advance(99);
    EXPECT_FALSE(csConditionValue(cond.get()));
    advance(1);
    EXPECT_TRUE(csConditionValue(cond.get()));
    EXPECT_EQ(heard.heard, 7);
    // The trace holds the options the process applied last.
    auto linked = adopt(trStreamCreateCstr("TEST", -1));
    csConditionTraceCompleteAnchor(cond.get(), adopt(trAnchorCreate(linked.get(), 12)).get());
    auto traced = adopt(trStreamConfiguration(adopt(trStreamLinkAt(linked.get(), 0)).get()));
    EXPECT_EQ(encode(traced.get()), encode(adopt(csConditionOptionsStore(defaults.get(), PB_FALSE)).get()));
}

TEST_F(CsCondition, ObserverFallbacksFixedConditionsAndOtherSorts) {
    auto obs = adopt(csConditionObserverCreate(nullptr));
    EXPECT_TRUE(csConditionObserverConditionValueWithFallback(obs.get(), PB_TRUE, PB_FALSE));
    csConditionObserverSetObservedName(obs.get(), str("c").get());
    advance(0);
    EXPECT_FALSE(csConditionObserverConditionValueWithFallback(obs.get(), PB_TRUE, PB_FALSE));

    csConfigSetConfig(json(R"({"objects":{"c":{"sort":"CS_STUB"}}})").get());
    advance(0);
    EXPECT_FALSE(csConditionObserverHasCondition(obs.get()));  // another sort is not taken

    auto empty = adopt(csConditionOptionsCreate());  // AND of nothing: on at the first run
    auto a = adopt(csConditionCreate(empty.get(), nullptr));
    auto b = adopt(csConditionCreate(empty.get(), nullptr));
    advance(0);
    Counter heard([o = obs.get()](PB_SIGNALABLE* s) { csConditionObserverUpdateAddSignalable(o, s); });
    csObjectTableSet(adopt(csObjectRecordCreate(str("c").get(), csConditionObj(a.get()))).get());
    advance(0);
    EXPECT_TRUE(csConditionObserverConditionValue(obs.get()));
    EXPECT_EQ(heard.heard, 1);
    csObjectTableSet(adopt(csObjectRecordCreate(str("c").get(), csConditionObj(b.get()))).get());
    advance(0);
    EXPECT_EQ(heard.heard, 2);  // same value, other condition
    advance(1000);
    EXPECT_EQ(heard.heard, 2);  // nothing new

    csConditionObserverConfigure(obs.get(), nullptr, a.get());
    advance(0);
    EXPECT_EQ(adopt(csConditionObserverCondition(obs.get())).get(), a.get());
    csConditionObserverDelFixedCondition(obs.get());
    advance(0);
    EXPECT_FALSE(csConditionObserverHasCondition(obs.get()));
    EXPECT_FALSE(csConditionObserverConfigured(obs.get()));
    EXPECT_EQ(heard.heard, 4);
}

// Freed while what they watch lives on, a condition that evaluates and an
// observer of a condition leave nothing on the signals they listened to.
TEST_F(CsCondition, FreedBeforeWhatTheyWatchLeaveNothingBehind) {
    setProbe("load", 1);
    auto empty = adopt(csConditionOptionsCreate());
    auto watched = adopt(csConditionCreate(empty.get(), nullptr));
    advance(0);
    VTEST_NO_LEAKS_IN_SCOPE();
    auto opt = adopt(csConditionOptionsCreate());
    csConditionOptionsSetRuleset(opt.out(), ctest::rulesetOf(R"({"rules":[{"operator":"CS_CONDITION_RULE_OPERATOR_INT_GT",
        "operandA":{"moduleName":"probe","statusItemName":"load"},"operandB":{"defaultValue":"10"}}]})").get());
    auto cond = adopt(csConditionCreate(opt.get(), nullptr));
    auto obs = adopt(csConditionObserverCreate(nullptr));
    csConditionObserverSetFixedCondition(obs.get(), watched.get());
    advance(0);
    EXPECT_FALSE(csConditionValue(cond.get()));
    EXPECT_TRUE(csConditionObserverConditionValue(obs.get()));
}

// --- the threaded clock ----------------------------------------------------

// The runtime with its worker threads; no object may outlive the test.
class CsConditionThreaded : public testing::Test {
protected:
    std::map<std::string, PB_INT> before = vtest::liveObjectsBySort();
    void SetUp() override {
        pbRuntimeSetManualClock(PB_FALSE);
        pbRuntimeStart(nullptr);
        ASSERT_NE(pbRuntimeLoadModuleCstr("cs", -1), nullptr);
        probeReporter = csStatusReporterCreate(nullptr);
        probe = adopt(csModuleBackendCreate(&ctest::probeModule, nullptr, nullptr, nullptr, ctest::probeStatus, nullptr));
    }
    void TearDown() override {
        probe.reset();
        csStatusReporterRelease(probeReporter);
        pbRuntimeStop();
        pbRuntimeExecutorShutdown();
        pbRuntimeSetManualClock(PB_TRUE);
        EXPECT_EQ(vtest::liveObjectChanges(before), "") << "objects leaked";
    }
    pb::Ref<CS_MODULE_BACKEND> probe;
};

std::string conditionsConfig(int round) {
    // Each of four names is a condition, another sort, or absent, in turn.
    // Condition ci holds while the probe item "ci" differs from the value
    // of the next condition (hold times 0), so its process follows both a
    // module's status and, through an object observer, another object.
    std::string objects;
    for (int i = 0; i < 4; ++i) {
        std::string name = "c" + std::to_string(i), next = "c" + std::to_string((i + 1) % 4);
        std::string entry;
        if ((round + i) % 3 == 0)
            entry = R"({"sort":"CS_CONDITION","config":{"onHoldTime":0,"offHoldTime":0,"ruleset":{"rules":[
                {"operator":"CS_CONDITION_RULE_OPERATOR_INT_NEQ",
                 "operandA":{"moduleName":"probe","statusItemName":")" + name + R"("},
                 "operandB":{"objectName":")" + next + R"(","statusItemName":"csConditionValue"}}]}}})";
        if ((round + i) % 3 == 1) entry = R"({"sort":"CS_STUB"})";
        if (!entry.empty()) objects += (objects.empty() ? "\"" : ",\"") + name + "\":" + entry;
    }
    return "{\"objects\":{" + objects + "}}";
}

TEST_F(CsConditionThreaded, AppliesStatusesAndObserversRaceWithoutDeadlockOrLostSwitch) {
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int w = 0; w < 2; ++w)
        threads.emplace_back([&, w] {
            for (PB_INT i = 0; !stop; ++i) setProbe(("c" + std::to_string((i + w) % 4)).c_str(), i % 2);
        });
    threads.emplace_back([&] {
        while (!stop) {
            auto obs = adopt(csConditionObserverCreate(nullptr));
            csConditionObserverSetObservedName(obs.get(), str("c1").get());
            csConditionObserverConditionValue(obs.get());
        }
    });
    for (int round = 0; round < 60; ++round) csConfigSetConfig(json(conditionsConfig(round)).get());
    stop = true;
    for (auto& t : threads) t.join();

    // c0 and c3 are conditions, c1 a stub: c0 is 7 != 0, then c3 is 1 != 1.
    csConfigSetConfig(json(conditionsConfig(0)).get());
    setProbe("c0", 7);
    setProbe("c3", 1);
    auto c0 = adopt(csConditionFrom(csObjectTableLookupObjectByName(str("c0").get())));
    auto c3 = adopt(csConditionFrom(csObjectTableLookupObjectByName(str("c3").get())));
    ASSERT_TRUE(c0 && c3);
    EXPECT_TRUE(ctest::settles(c0.get(), true));
    EXPECT_TRUE(ctest::settles(c3.get(), false));
    EXPECT_TRUE(csConditionValue(c0.get()));
}

// --- preconditions ---------------------------------------------------------

using CsConditionDeathTest = CsCondition;

TEST_F(CsConditionDeathTest, PreconditionsStopTheProcess) {
    EXPECT_DEATH(csConditionCreate(nullptr, nullptr), "cs_condition.cpp:[0-9]+: opt\n");
    auto imp = adopt(cs___ConditionImpCreate(adopt(csConditionOptionsCreate()).get(), nullptr));
    cs___ConditionImpHalt(imp.get());
    EXPECT_DEATH(cs___ConditionImpHalt(imp.get()), "cs_condition_imp.cpp:[0-9]+: !pbProcessHalted\\( imp->isProcess \\)\n");
}

}  // namespace
