// Counters and rates used from several threads while the clock runs
// threaded, so that the rate's steps run on the executor between the
// contributions. No wait depends on speed: the threads go on until a step
// has run while they work (within a generous limit).
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

TEST(CsCounterRateThreaded, TotalsMatchWhatWasContributedAndAdmitted) {
    VTEST_NO_LEAKS_IN_SCOPE();
    pbRuntimeSetManualClock(PB_FALSE);
    cs___StatusItemTypeStartup();
    cs___StatusReporterStartup();
    {
        auto rep = adopt(csStatusReporterCreate(nullptr));
        auto rateRep = adopt(csStatusReporterCreate(nullptr));  // the rate's alone: its changes are steps
        auto cnt = adopt(csCounterCreateCstr(rep.get(), "fooInUse", -1));
        PB_INT created = pbTimestamp();
        auto rate = adopt(csRateCreateCstr(rateRep.get(), "fooRequests", -1));
        auto lim = adopt(csRateLimitsCreate());
        csRateLimitsSetMaxMinute(lim.out(), 1500);
        std::atomic<bool> stepped{false};
        auto stat = adopt(csStatusReporterStatus(rateRep.get()));
        auto listener = adopt(pbSignalableCreateWithCallback(
            [](void* flag) { static_cast<std::atomic<bool>*>(flag)->store(true); }, &stepped));
        csStatusUpdateAddSignalable(stat.get(), listener.get());

        std::atomic<PB_INT> contributed{0}, admitted{0}, counted{0};
        auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        std::vector<std::thread> workers;
        for (int t = 1; t <= 4; ++t) {
            workers.emplace_back([&, t] {
                for (int round = 0; round < 500 || (!stepped && std::chrono::steady_clock::now() < limit); ++round) {
                    csCounterModifyValue(cnt.get(), t);
                    auto tok = adopt(csCounterTokenCreateWithDelta(cnt.get(), 5));
                    counted += t;
                    csRateContribute(rate.get(), 1);
                    contributed += 1;
                    if (csRateTryContributeWithLimits(rate.get(), lim.get(), 2)) admitted += 2;
                }
            });
        }
        for (auto& w : workers) w.join();
        ASSERT_TRUE(stepped) << "no step ran within the limit";
        EXPECT_EQ(csCounterValue(cnt.get()), counted.load());
        PB_INT minuteCurrent;
        cs___RateValues(rate.get(), nullptr, nullptr, nullptr, &minuteCurrent, nullptr, nullptr);
        // Everything since creation is in the minute window until 59 steps have passed.
        ASSERT_LT(pbTimestamp() - created, 59 * 1000) << "the run outlasted the minute window";
        EXPECT_EQ(minuteCurrent, contributed + admitted);
        EXPECT_LE(admitted, 1500);
        csStatusUpdateDelSignalable(stat.get(), listener.get());
    }
    pbRuntimeExecutorShutdown();
    cs___StatusReporterShutdown();
    cs___StatusItemTypeShutdown();
}

}  // namespace
