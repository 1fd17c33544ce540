// The clock modes: the manual clock moves only when told, switching modes
// never turns the clock back, and the preconditions of the mode.
#include <gtest/gtest.h>

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
