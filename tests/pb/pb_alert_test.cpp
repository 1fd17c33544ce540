// Alerts and alertables: a notification on every set of an unset alert,
// alertables that stay registered, no lost wake-ups.
#include <gtest/gtest.h>

#include "pb/exec_test_support.hpp"
#include "support/live_objects.hpp"

namespace {

TEST(PbAlert, NotifiesOnEverySetOfAnUnsetAlert) {
    VTEST_NO_LEAKS_IN_SCOPE();
    pbRuntimeSetManualClock(PB_TRUE);
    int a = 0, late = 0, runs = 0;
    auto proc = vtest::processOver(&runs, [](PB_OBJ* o) { ++*vtest::stateOf<int>(o); });
    auto aa = pb::adopt(pbAlertableCreateWithCallback(vtest::countInto, &a));
    auto alate = pb::adopt(pbAlertableCreateWithCallback(vtest::countInto, &late));
    auto ap = pb::adopt(pbAlertableCreateWithProcess(proc.get()));
    auto alert = pb::adopt(pbAlertCreate());
    for (auto* x : {aa.get(), ap.get(), aa.get()}) pbAlertAddAlertable(alert.get(), x);
    pbAlertSet(alert.get());
    pbAlertSet(alert.get());  // already set: nothing new
    EXPECT_TRUE(pbAlertIsSet(alert.get()));
    EXPECT_EQ(a, 1);
    pbAlertAddAlertable(alert.get(), alate.get());  // set: notified at once
    EXPECT_EQ(late, 1);
    pbAlertUnset(alert.get());
    EXPECT_FALSE(pbAlertIsSet(alert.get()));
    pbAlertDelAlertable(alert.get(), alate.get());
    pbAlertDelAlertable(alert.get(), alate.get());  // not there any more
    pbAlertSet(alert.get());                          // registrations survive
    EXPECT_EQ(a, 2);
    EXPECT_EQ(late, 1);
    // Both sets scheduled the process; the schedules coalesce into one run.
    EXPECT_EQ(runs, 0);
    pbRuntimeManualRunPending();
    EXPECT_EQ(runs, 1);
}

}  // namespace
