// Counters and rates used from several threads while the clock runs
// threaded: the rate's steps run on the executor's threads between the
// contributions. No wait depends on speed: the threads go on until a step
// has run while they work (bounded by a generous limit), and the totals
// are checked against what the threads contributed and were admitted.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "support/live_objects.hpp"

namespace {

using pb::adopt;

struct CsCounterRateThreaded : testing::Test {
    VTEST_NO_LEAKS_IN_SCOPE();
    void SetUp() override {
        pbRuntimeSetManualClock(PB_FALSE);
        cs___StatusItemTypeStartup();
        cs___StatusReporterStartup();
        rep = adopt(csStatusReporterCreate(nullptr));
        rateRep = adopt(csStatusReporterCreate(nullptr));
    }
    void TearDown() override {
        rep.reset();
        rateRep.reset();
        pbRuntimeExecutorShutdown();
        cs___StatusReporterShutdown();
        cs___StatusItemTypeShutdown();
    }
    pb::Ref<CS_STATUS_REPORTER> rep;
    pb::Ref<CS_STATUS_REPORTER> rateRep;  // the rate's alone, so its changes are steps
};

TEST_F(CsCounterRateThreaded, TotalsMatchWhatWasContributedAndAdmitted) {
    constexpr int threads = 4, minRounds = 500;
    constexpr PB_INT maxMinute = 1500;
    auto cnt = adopt(csCounterCreateCstr(rep.get(), "fooInUse", -1));
    PB_INT created = pbTimestamp();
    auto rate = adopt(csRateCreateCstr(rateRep.get(), "fooRequests", -1));
    auto lim = adopt(csRateLimitsCreate());
    csRateLimitsSetMaxMinute(lim.out(), maxMinute);

    // Set when the rate's next step has written its items.
    std::atomic<bool> stepped{false};
    auto stat = adopt(csStatusReporterStatus(rateRep.get()));
    auto listener = adopt(pbSignalableCreateWithCallback(
        [](void* flag) { static_cast<std::atomic<bool>*>(flag)->store(true); }, &stepped));
    csStatusUpdateAddSignalable(stat.get(), listener.get());

    std::atomic<PB_INT> contributed{0}, admitted{0}, counted{0};
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            PB_INT mine = 0, ok = 0, delta = 0;
            for (int round = 0; round < minRounds || (!stepped && std::chrono::steady_clock::now() < limit); ++round) {
                csCounterModifyValue(cnt.get(), t + 1);
                auto tok = adopt(csCounterTokenCreateWithDelta(cnt.get(), 5));
                delta += t + 1;
                csRateContribute(rate.get(), 1);
                ++mine;
                if (csRateTryContributeWithLimits(rate.get(), lim.get(), 2)) ok += 2;
                if (round % 64 == 0) (void)csRateMinute(rate.get());
            }
            contributed += mine;
            admitted += ok;
            counted += delta;
        });
    }
    for (auto& w : workers) w.join();
    ASSERT_TRUE(stepped) << "no step ran within the limit";
    EXPECT_EQ(csCounterValue(cnt.get()), counted.load());
    PB_INT sd, sc, md, mc, hd, hc;
    cs___RateValues(rate.get(), &sd, &sc, &md, &mc, &hd, &hc);
    // Everything since creation is in the minute window while fewer than
    // 59 steps have passed.
    ASSERT_LT(pbTimestamp() - created, 59 * 1000) << "the run outlasted the minute window";
    EXPECT_EQ(mc, contributed + admitted);
    EXPECT_EQ(hc, contributed + admitted);
    EXPECT_LE(admitted, maxMinute);
    EXPECT_GT(admitted, 0);
    csStatusUpdateDelSignalable(stat.get(), listener.get());
}

}  // namespace
