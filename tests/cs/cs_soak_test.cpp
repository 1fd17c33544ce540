// Every subsystem at once on the threaded clock: threads apply changing
// configurations, report status, switch conditions, contribute to counters
// and rates, schedule clients and set terminate controls, all together.
// At the end the totals match what was contributed, no slot was granted to
// two clients, the conditions hold the values the final status gives, a
// gather gives the configuration last applied, and after the runtime stops
// no object is left. The run is bounded by rounds (and a time cap, so a
// slow machine ends early rather than late); VORLIX_LONG_TESTS=1 runs for
// ten minutes instead.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "cs/cs.h"
#include "cs/control/cs_control_terminate_db.h"
#include "cs/scheduler/cs_scheduler_client_imp.h"
#include "cs_condition_test_util.hpp"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_runtime.h"
#include "pb/pb_runtime_clock.h"
#include "support/live_objects.hpp"
#include "support/store_text.hpp"
#include "tr/tr.h"

namespace {

using pb::adopt;
using Clock = std::chrono::steady_clock;

bool longRun() {
    const char* v = std::getenv("VORLIX_LONG_TESTS");
    return v && *v && std::string(v) != "0";
}

// The configuration of a round: a condition on the probe's "load" above a
// threshold, a condition following the first through its status, the
// scheduler "pace" at a changing speed and one of three stubs.
std::string roundConfig(int round, int threshold) {
    return R"({"objects":{
      "condLoad":{"sort":"CS_CONDITION","config":{"ruleset":{"rules":[{"operator":"CS_CONDITION_RULE_OPERATOR_INT_GT",
        "operandA":{"moduleName":"probe","statusItemName":"load","defaultValue":"0"},
        "operandB":{"defaultValue":")" + std::to_string(threshold) + R"("}}]}}},
      "condFollow":{"sort":"CS_CONDITION","config":{"ruleset":{"rules":[{"operator":"CS_CONDITION_RULE_OPERATOR_BOOL_EQ",
        "operandA":{"objectName":"condLoad","statusItemName":"csConditionValue","defaultValue":"false"},
        "operandB":{"defaultValue":"true"}}]}}},
      "pace":{"sort":"CS_SCHEDULER","config":{"events":)" + std::to_string(round % 4 + 1) +
           R"(,"interval":"CS_SCHEDULER_INTERVAL_EVENTS_PER_SECOND"}},
      "extra)" + std::to_string(round % 3) + R"(":{"sort":"CS_STUB","config":{"round":)" + std::to_string(round) +
           "}}}}";
}

// A terminate control and its identifier, read from its trace stream.
struct Control {
    pb::Ref<TR_STREAM> owner = adopt(trStreamCreateCstr("SOAK_OWNER", -1));
    pb::Ref<CS_CONTROL_TERMINATE> term = adopt(csControlTerminateCreate(adopt(trAnchorCreate(owner.get(), 1)).get()));
    pb::Ref<PB_IDENTIFIER> id = adopt(pbIdentifierTryCreateFromString(
        adopt(trPropertyValueString(adopt(trStreamPropertyCstr(adopt(trStreamLinkAt(owner.get(), 0)).get(),
                                                               "csControlTerminateIdentifier", -1))
                                        .get()))
            .get()));
};

class CsSoak : public testing::Test {
protected:
    std::map<std::string, PB_INT> before = vtest::liveObjectsBySort();
    pb::Ref<CS_MODULE_BACKEND> probe;
    void SetUp() override {
        pbRuntimeSetManualClock(PB_FALSE);
        pbRuntimeStart(nullptr);
        ASSERT_NE(pbRuntimeLoadModuleCstr("cs", -1), nullptr);
        ctest::probeReporter = csStatusReporterCreate(nullptr);
        probe = adopt(csModuleBackendCreate(&ctest::probeModule, nullptr, nullptr, nullptr, ctest::probeStatus, nullptr));
    }
    void TearDown() override {
        probe.reset();
        csStatusReporterRelease(ctest::probeReporter);
        pbRuntimeStop();
        pbRuntimeExecutorShutdown();
        pbRuntimeSetManualClock(PB_TRUE);
        EXPECT_EQ(vtest::liveObjectChanges(before), "") << "objects leaked";
    }
};

TEST_F(CsSoak, EverySubsystemAtOnceKeepsItsInvariants) {
    const bool soakLong = longRun();
    const int rounds = soakLong ? INT32_MAX : 5000;  // of the configuration thread; the others run as long
    const auto cap = Clock::now() + (soakLong ? std::chrono::minutes(10) : std::chrono::seconds(20));
    std::atomic<bool> stop{false};
    std::atomic<long long> operations{0};
    std::vector<std::thread> threads;
    auto worker = [&](auto body) {
        threads.emplace_back([&, body, seed = unsigned(threads.size())]() mutable {
            std::mt19937 random(seed);
            long long done = 0;
            for (int i = 0; !stop; ++i, ++done) body(i, random);
            operations += done;
        });
    };

    // Counters and rates: two threads, totals kept aside.
    auto rep = adopt(csStatusReporterCreate(nullptr));
    auto cnt = adopt(csCounterCreateCstr(rep.get(), "soakInUse", -1));
    auto rate = adopt(csRateCreateCstr(rep.get(), "soakRequests", -1));
    auto rateLimits = adopt(csRateLimitsCreate());
    csRateLimitsSetMaxSecond(rateLimits.out(), 50);
    std::atomic<PB_INT> counted{0}, contributed{0};
    for (int t = 1; t <= 2; ++t)
        worker([&, t](int, std::mt19937&) {
            csCounterModifyValue(cnt.get(), t);
            counted += t;
            auto tok = adopt(csCounterTokenCreateWithDelta(cnt.get(), 3));  // released at once: no net change
            csRateContribute(rate.get(), 1);
            contributed += 1;
            if (csRateTryContributeWithLimits(rate.get(), rateLimits.get(), 2)) contributed += 2;
        });

    // Status: the probe's "load" at random, and readers of the configuration.
    worker([&](int, std::mt19937& random) {
        ctest::setProbe("load", PB_INT(random() % 200));
        adopt(csConfigConfig(nullptr));
    });

    // Conditions switched directly: a free condition whose options flip
    // between two rulesets over the probe's "flag", which flips as well.
    auto flagIs = [](bool on) {
        auto opt = adopt(csConditionOptionsCreate());
        csConditionOptionsSetRuleset(opt.out(), ctest::rulesetOf(std::string(
            R"({"rules":[{"operator":"CS_CONDITION_RULE_OPERATOR_BOOL_EQ",
               "operandA":{"moduleName":"probe","statusItemName":"flag","defaultValue":"false"},
               "operandB":{"defaultValue":")") + (on ? "true" : "false") + "\"}}]}").get());
        return opt;
    };
    auto flagOn = flagIs(true), flagOff = flagIs(false);
    auto loose = adopt(csConditionCreate(flagOn.get(), nullptr));
    worker([&](int i, std::mt19937&) {
        csConditionSetOptions(loose.get(), (i % 3 ? flagOn : flagOff).get());
        csStatusReporterSetItemCstrBool(ctest::probeReporter, "flag", -1, i % 2);
    });

    // Scheduler: clients of a fixed scheduler (10 ms slots) record every
    // grant; a client's new request gives up its previous slot, so no slot
    // may ever be granted while another client holds it. Public clients of
    // the configured scheduler "pace" run alongside while its speed changes.
    auto fixedOptions = adopt(csSchedulerOptionsCreate());
    csSchedulerOptionsSetEvents(fixedOptions.out(), 100);
    csSchedulerOptionsSetInterval(fixedOptions.out(), CS_SCHEDULER_INTERVAL_EVENTS_PER_SECOND);
    auto fixed = adopt(csSchedulerCreate(fixedOptions.get(), nullptr));
    std::mutex slotsMutex;
    std::map<PB_INT, int> holder;   // slot -> client
    std::map<int, PB_INT> held;     // client -> slot
    int doubleGrants = 0, grants = 0;
    std::vector<pb::Ref<CS___SCHEDULER_CLIENT_IMP>> imps;
    for (int c = 0; c < 6; ++c) imps.push_back(adopt(cs___SchedulerClientImpCreate(nullptr, fixed.get())));
    for (int t = 0; t < 2; ++t)
        worker([&, t](int i, std::mt19937& random) {
            int client = t * 3 + i % 3;
            std::lock_guard guard(slotsMutex);
            PB_INT at = cs___SchedulerSchedulerClientImpTrySchedule(fixed.get(), imps[client].get(), 0,
                                                                    PB_INT(random() % 200), 0, 100);
            if (held.count(client)) holder.erase(held[client]), held.erase(client);
            if (at < 0) return;
            ++grants;
            PB_INT slot = at - at % 10;
            if (holder.count(slot)) ++doubleGrants;
            holder[slot] = client;
            held[client] = slot;
        });
    worker([&](int i, std::mt19937&) {
        auto sched = adopt(csSchedulerFrom(csObjectTableLookupObjectByName(vtest::str("pace").get())));
        if (!sched) return;
        auto client = adopt(csSchedulerClientCreate(sched.get(), nullptr));
        csSchedulerClientTrySchedule(client.get(), i % 2 ? CS_SCHEDULER_SCHEDULE_FLAG_FORCE : 0, 50, 50, 500);
        if (i % 3 == 0) csSchedulerClientUnschedule(client.get());
    });

    // Terminate controls: made and set by identifier through the database
    // while other controls come and go.
    std::vector<Control> controls(50);
    std::atomic<int> setByIdentifier{0};
    worker([&](int i, std::mt19937&) {
        if (i < int(controls.size()) && cs___ControlTerminateDbTerminateSetDesired(controls[size_t(i)].id.get()))
            ++setByIdentifier;
        Control passing;
        if (i % 2) csControlTerminateSetDesired(passing.term.get());
    });

    // The configuration thread: applies a changing configuration each
    // round; the last one applied and its threshold are kept.
    int threshold = 0;
    pb::Ref<PB_STORE> lastApplied;
    Clock::time_point start = Clock::now();
    int round = 0;
    for (; round < rounds && Clock::now() < cap; ++round) {
        threshold = round % 2 ? 150 : 50;
        csConfigSetConfig(vtest::json(roundConfig(round, threshold)).get());
        lastApplied = adopt(csConfigConfig(nullptr));
    }
    stop = true;
    for (auto& t : threads) t.join();
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    operations += round;

    // Totals: the counter holds every change. The rate's current hour is
    // its completed minutes plus the last sixty seconds (the run is shorter
    // than an hour), which overlap once a minute has completed: until then
    // it is exactly what was contributed, afterwards it holds all of that
    // and the completed minutes alone no more.
    EXPECT_EQ(csCounterValue(cnt.get()), counted.load());
    PB_INT minuteCurrent = 0, hourCurrent = 0;
    cs___RateValues(rate.get(), nullptr, nullptr, nullptr, &minuteCurrent, nullptr, &hourCurrent);
    if (hourCurrent == minuteCurrent) {
        EXPECT_EQ(hourCurrent, contributed.load());
    } else {
        EXPECT_GE(hourCurrent, contributed.load());
        EXPECT_LE(hourCurrent - minuteCurrent, contributed.load());
    }
    EXPECT_EQ(doubleGrants, 0) << "of " << grants << " grants";
    EXPECT_GT(grants, 0);
    for (auto& imp : imps) cs___SchedulerClientImpHalt(imp.get());

    // Conditions follow the final status.
    ctest::setProbe("load", threshold + 1);
    csStatusReporterSetItemCstrBool(ctest::probeReporter, "flag", -1, PB_TRUE);
    csConditionSetOptions(loose.get(), flagOn.get());
    auto condition = [](const char* name) {
        return adopt(csConditionFrom(csObjectTableLookupObjectByName(vtest::str(name).get())));
    };
    EXPECT_TRUE(ctest::settles(condition("condLoad").get(), true));
    EXPECT_TRUE(ctest::settles(condition("condFollow").get(), true));
    EXPECT_TRUE(ctest::settles(loose.get(), true));
    ctest::setProbe("load", threshold);
    EXPECT_TRUE(ctest::settles(condition("condLoad").get(), false));
    EXPECT_TRUE(ctest::settles(condition("condFollow").get(), false));

    // Every control that was set is desired.
    for (int i = 0; i < setByIdentifier; ++i) EXPECT_TRUE(csControlTerminateDesired(controls[size_t(i)].term.get()));

    // A gather gives what the last apply kept.
    csConfigGather();
    auto gathered = adopt(csConfigConfig(nullptr));
    EXPECT_EQ(vtest::encode(adopt(pbStoreStoreCstr(gathered.get(), "objects", -1)).get()),
              vtest::encode(adopt(pbStoreStoreCstr(lastApplied.get(), "objects", -1)).get()));

    csConfigSetConfig(vtest::json("{}").get());
    RecordProperty("operationsPerSecond", int(double(operations) / seconds));
    std::printf("soak: %lld operations in %.1f s (%.0f per second), %d applies, %d grants\n", operations.load(),
                seconds, double(operations) / seconds, round, grants);
}

}  // namespace
