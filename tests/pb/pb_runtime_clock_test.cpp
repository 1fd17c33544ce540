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

// A jump moves the clock first and fires late: a periodic task (a process
// that reschedules its timer 1000 ms after each run) that an advance runs
// five times at its due times runs once after a jump of the same distance,
// seeing the new time; timers still ahead stay quiet, and one that fell due
// and is scheduled again at or before the new time fires again.
struct Periodic {
    pb::Ref<PB_TIMER> timer;
    std::vector<PB_INT> runs;
    PB_INT rescheduleIn = 1000;
};

void periodicRun(PB_OBJ* object) {
    auto* p = vtest::stateOf<Periodic>(object);
    p->runs.push_back(pbTimestamp());
    if (p->rescheduleIn >= 0) pbTimerSchedule(p->timer.get(), p->rescheduleIn);
}

TEST(PbRuntimeClock, JumpFiresWhatFellDueOnceAndLate) {
    pbRuntimeSetManualClock(PB_TRUE);
    Periodic a, b;
    auto pa = vtest::processOver(&a, periodicRun);
    auto pbp = vtest::processOver(&b, periodicRun);
    a.timer = pb::adopt(pbTimerCreateWithProcess(pa.get()));
    b.timer = pb::adopt(pbTimerCreateWithProcess(pbp.get()));
    PB_INT t0 = pbTimestamp();
    pbTimerSchedule(a.timer.get(), 1000);
    pbRuntimeManualAdvance(5000);
    EXPECT_EQ(a.runs, (std::vector<PB_INT>{t0 + 1000, t0 + 2000, t0 + 3000, t0 + 4000, t0 + 5000}));
    a.runs.clear();
    pbRuntimeManualJump(5000);
    EXPECT_EQ(pbTimestamp(), t0 + 10000);
    EXPECT_EQ(a.runs, (std::vector<PB_INT>{t0 + 10000}));
    int quiet = 0;
    auto ahead = pb::adopt(pbTimerCreateWithCallback(vtest::countInto, &quiet));
    pbTimerSchedule(ahead.get(), 301);
    b.rescheduleIn = 0;
    pbTimerSchedule(b.timer.get(), 100);
    // b keeps rescheduling itself for "now": stop it after a few runs.
    auto stopper = pb::adopt(pbTimerCreateWithCallback(
        [](void* ctx) { static_cast<Periodic*>(ctx)->rescheduleIn = -1; }, &b));
    pbTimerSchedule(stopper.get(), 200);
    pbRuntimeManualJump(300);
    EXPECT_EQ(quiet, 0);
    EXPECT_EQ(b.runs, (std::vector<PB_INT>{t0 + 10300, t0 + 10300}));
    pbTimerUnschedule(a.timer.get());
    pbTimerUnschedule(ahead.get());
}

TEST(PbRuntimeClockDeathTest, ModeAndAdvancePreconditions) {
    pbRuntimeSetManualClock(PB_TRUE);
    auto t = pb::adopt(pbTimerCreateWithCallback([](void*) { pbRuntimeManualAdvance(1); }, nullptr));
    pbTimerSchedule(t.get(), 0);
    EXPECT_DEATH(pbRuntimeSetManualClock(PB_FALSE), "pb_runtime_clock.cpp:[0-9]+: clock mode: nothingScheduled");
    EXPECT_DEATH(pbRuntimeManualRunPending(), "pb_runtime_clock.cpp:[0-9]+: manual clock: !nested");
    EXPECT_DEATH(pbRuntimeManualAdvance(-1), "pb_runtime_clock.cpp:[0-9]+: ms >= 0");
    EXPECT_DEATH(pbRuntimeManualJump(-1), "pb_runtime_clock.cpp:[0-9]+: ms >= 0");
    pbTimerUnschedule(t.get());
}

}  // namespace
