// Timers on the manual clock: due times, rescheduling, order, past due
// times, release while scheduled, and a long periodic run.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "pb/exec_test_support.hpp"
#include "support/live_objects.hpp"

namespace {

class PbTimer : public testing::Test {
protected:
    void SetUp() override { pbRuntimeSetManualClock(PB_TRUE); }
};

// A timer fires once at its due time; rescheduling replaces the due time
// (later or sooner); an unscheduled or released timer stays quiet.
TEST_F(PbTimer, FiresOnceAtItsLatestDueTime) {
    VTEST_NO_LEAKS_IN_SCOPE();
    int n[5] = {};
    pb::Ref<PB_TIMER> t[5];
    for (int i = 0; i < 5; ++i) t[i] = pb::adopt(pbTimerCreateWithCallback(vtest::countInto, &n[i]));
    pbTimerSchedule(t[0].get(), 100);
    pbTimerSchedule(t[1].get(), 100);
    pbTimerSchedule(t[1].get(), 300);
    pbTimerSchedule(t[2].get(), 300);
    pbTimerSchedule(t[2].get(), 50);
    pbTimerSchedule(t[3].get(), 10);
    pbTimerUnschedule(t[3].get());
    pbTimerSchedule(t[4].get(), 10);
    t[4].reset();
    EXPECT_TRUE(pbTimerScheduled(t[0].get()));
    EXPECT_FALSE(pbTimerScheduled(t[3].get()));
    pbRuntimeManualAdvance(99);
    EXPECT_EQ(n[0], 0);
    EXPECT_EQ(n[2], 1);
    pbRuntimeManualAdvance(1);
    EXPECT_EQ(n[0], 1);
    EXPECT_FALSE(pbTimerScheduled(t[0].get()));
    pbRuntimeManualAdvance(199);
    EXPECT_EQ(n[1], 0);
    pbRuntimeManualAdvance(1000);
    EXPECT_EQ((std::vector<int>(n, n + 5)), (std::vector<int>{1, 1, 1, 0, 0}));
}

// A due time in the past fires at the next advance (nothing fires before)
// without turning the clock back. A signal timer asserts its signal.
TEST_F(PbTimer, PastDueTimeFiresAtTheNextAdvance) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto sig = pb::adopt(pbSignalCreate());
    auto t = pb::adopt(pbTimerCreateWithSignal(sig.get()));
    pbRuntimeManualAdvance(1000);
    PB_INT now = pbTimestamp();
    pbTimerScheduleAt(t.get(), now - 500);
    EXPECT_FALSE(pbSignalAsserted(sig.get()));
    pbRuntimeManualRunPending();
    EXPECT_TRUE(pbSignalAsserted(sig.get()));
    EXPECT_EQ(pbTimestamp(), now);
}

// 1000 timers at random due times (many equal) fire in due-time order,
// equal ones in the order of scheduling, each once, each seeing the clock
// at its due time.
struct Firing {
    std::vector<std::pair<PB_INT, int>>* log;
    PB_INT due;
    int index;
};

TEST_F(PbTimer, ManyTimersFireInDueTimeOrder) {
    VTEST_NO_LEAKS_IN_SCOPE();
    std::mt19937 random(7);
    std::vector<std::pair<PB_INT, int>> log, expected;
    std::vector<Firing> firings(1000);
    std::vector<pb::Ref<PB_TIMER>> timers;
    PB_INT start = pbTimestamp();
    for (int i = 0; i < 1000; ++i) {
        PB_INT ms = PB_INT(random() % 51) * 100;
        firings[i] = {&log, start + ms, i};
        expected.emplace_back(start + ms, i);
        timers.push_back(pb::adopt(pbTimerCreateWithCallback(
            [](void* ctx) {
                auto* f = static_cast<Firing*>(ctx);
                EXPECT_EQ(pbTimestamp(), f->due);
                f->log->emplace_back(f->due, f->index);
            },
            &firings[i])));
        pbTimerSchedule(timers.back().get(), ms);
    }
    std::sort(expected.begin(), expected.end());
    pbRuntimeManualAdvance(2500);
    pbRuntimeManualAdvance(2500);
    EXPECT_EQ(log, expected);
    EXPECT_EQ(pbTimestamp(), start + 5000);
}

// A process that reschedules its own timer every second runs 3600 times in
// a simulated hour, each time at its due time; the first run off its due
// time stops the ticking.
struct Ticker {
    PB_TIMER* timer;
    PB_INT start;
    int runs;
    PB_INT offBy;  // how far the first run off its due time was off
};

TEST_F(PbTimer, PeriodicProcessRunsForASimulatedHour) {
    VTEST_NO_LEAKS_IN_SCOPE();
    Ticker ticker{};
    auto proc = vtest::processOver(&ticker, [](PB_OBJ* o) {
        auto* t = vtest::stateOf<Ticker>(o);
        t->offBy = pbTimestamp() - (t->start + 1000 * ++t->runs);
        if (t->offBy == 0) pbTimerSchedule(t->timer, 1000);
    });
    auto timer = pb::adopt(pbTimerCreateWithProcess(proc.get()));
    ticker = {timer.get(), pbTimestamp(), 0, 0};
    pbTimerSchedule(timer.get(), 1000);
    pbRuntimeManualAdvance(3600 * 1000);
    EXPECT_EQ(ticker.offBy, 0) << "run " << ticker.runs;
    EXPECT_EQ(ticker.runs, 3600);
    pbProcessHalt(proc.get());
    pbTimerUnschedule(timer.get());
}

TEST(PbTimerDeathTest, DelayMustNotBeNegative) {
    pbRuntimeSetManualClock(PB_TRUE);
    auto t = pb::adopt(pbTimerCreateWithCallback(vtest::countInto, nullptr));
    EXPECT_DEATH(pbTimerSchedule(t.get(), -1), "source/pb/pb_timer.cpp:[0-9]+: ms >= 0");
}

}  // namespace
