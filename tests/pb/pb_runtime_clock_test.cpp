// The clock modes: the manual clock moves only when told, switching modes
// never turns the clock back, and the preconditions of the mode.
#include <gtest/gtest.h>

#include <vector>

#include "pb/exec_test_support.hpp"

namespace {

TEST(PbRuntimeClock, SwitchingModesKeepsTheClockMonotonic) {
    pbRuntimeSetManualClock(PB_TRUE);
    EXPECT_TRUE(pbRuntimeManualClock());
    PB_INT start = pbTimestamp();
    pbRuntimeManualRunPending();
    EXPECT_EQ(pbTimestamp(), start);
    pbRuntimeManualAdvance(10 * 3600 * 1000);
    EXPECT_EQ(pbTimestamp(), start + 10 * 3600 * 1000);
    pbRuntimeSetManualClock(PB_FALSE);
    EXPECT_FALSE(pbRuntimeManualClock());
    EXPECT_GE(pbTimestamp(), start + 10 * 3600 * 1000);
    pbRuntimeSetManualClock(PB_TRUE);
    EXPECT_GE(pbTimestamp(), start + 10 * 3600 * 1000);
}

// A periodic task (a process that reschedules its timer 1000 ms after each
// run) runs five times at its due times in an advance of 5000 ms, but once,
// late, at the new time, in a jump of the same distance.
struct Periodic {
    pb::Ref<PB_TIMER> timer;
    std::vector<PB_INT> runs;
};

TEST(PbRuntimeClock, JumpFiresWhatFellDueOnceAndLate) {
    pbRuntimeSetManualClock(PB_TRUE);
    Periodic p;
    auto proc = vtest::processOver(&p, [](PB_OBJ* object) {
        auto* p = vtest::stateOf<Periodic>(object);
        p->runs.push_back(pbTimestamp());
        pbTimerSchedule(p->timer.get(), 1000);
    });
    p.timer = pb::adopt(pbTimerCreateWithProcess(proc.get()));
    PB_INT t0 = pbTimestamp();
    pbTimerSchedule(p.timer.get(), 1000);
    pbRuntimeManualAdvance(5000);
    EXPECT_EQ(p.runs, (std::vector<PB_INT>{t0 + 1000, t0 + 2000, t0 + 3000, t0 + 4000, t0 + 5000}));
    pbRuntimeManualJump(5000);
    EXPECT_EQ(pbTimestamp(), t0 + 10000);
    EXPECT_EQ(p.runs.back(), t0 + 10000);
    EXPECT_EQ(p.runs.size(), 6u);
    pbTimerUnschedule(p.timer.get());
}

TEST(PbRuntimeClockDeathTest, ModeAndAdvancePreconditions) {
    pbRuntimeSetManualClock(PB_TRUE);
    auto t = pb::adopt(pbTimerCreateWithCallback([](void*) { pbRuntimeManualAdvance(1); }, nullptr));
    pbTimerSchedule(t.get(), 0);
    EXPECT_DEATH(pbRuntimeSetManualClock(PB_FALSE), "pb_runtime_clock.cpp:[0-9]+: clock mode: nothingScheduled");
    EXPECT_DEATH(pbRuntimeManualRunPending(), "pb_runtime_clock.cpp:[0-9]+: manual clock: !nested");
    EXPECT_DEATH(pbRuntimeManualAdvance(-1), "pb_runtime_clock.cpp:[0-9]+: ms >= 0");
    pbTimerUnschedule(t.get());
}

}  // namespace
