// Processes on the manual clock: coalescing, one more run when scheduled
// while running, order, halting, and the run queue's references.
#include <gtest/gtest.h>

#include <string>

#include "pb/exec_test_support.hpp"
#include "support/live_objects.hpp"

namespace {

struct Runs {
    std::string* log;
    const char* mark;
    int scheduleAgain = 0;  // schedules the function issues during its run
    bool haltInside = false;
    PB_PROCESS* self = nullptr;
};

void step(PB_OBJ* object) {
    auto* r = vtest::stateOf<Runs>(object);
    *r->log += r->mark;
    if (r->haltInside) pbProcessHalt(r->self);
    for (; r->scheduleAgain > 0; --r->scheduleAgain) pbProcessSchedule(r->self);
}

// Schedules before a run coalesce into it; schedules during a run add one
// more run (queued behind the others), however many there are. Runs go in
// the order of scheduling; the run queue keeps a scheduled process alive.
TEST(PbProcess, SchedulesCoalesceAndRunInOrder) {
    VTEST_NO_LEAKS_IN_SCOPE();
    pbRuntimeSetManualClock(PB_TRUE);
    std::string log;
    Runs ra{&log, "a", 3}, rb{&log, "b"};
    auto a = vtest::processOver(&ra, step);
    PB_PROCESS* b = vtest::processOver(&rb, step).leak();
    ra.self = a.get();
    for (int i = 0; i < 3; ++i) pbProcessSchedule(a.get());
    pbProcessSchedule(b);
    pbProcessRelease(b);
    EXPECT_EQ(log, "");  // nothing runs in the background
    pbRuntimeManualRunPending();
    EXPECT_EQ(log, "aba");
    pbRuntimeManualRunPending();
    EXPECT_EQ(log, "aba");
}

// Halting takes a queued process off the queue for good; halting from
// inside the function marks it halted without waiting for itself.
TEST(PbProcess, HaltStopsRunsForGood) {
    VTEST_NO_LEAKS_IN_SCOPE();
    pbRuntimeSetManualClock(PB_TRUE);
    std::string log;
    Runs rp{&log, "p"}, rq{&log, "q", 1, true};
    auto p = vtest::processOver(&rp, step), q = vtest::processOver(&rq, step, "cs status");
    rq.self = q.get();
    pbProcessSchedule(p.get());
    pbProcessHalt(p.get());
    pbProcessSchedule(p.get());
    pbProcessSchedule(q.get());
    pbRuntimeManualRunPending();
    EXPECT_EQ(log, "q");
    EXPECT_TRUE(pbProcessHalted(p.get()));
    EXPECT_TRUE(pbProcessHalted(q.get()));
    EXPECT_TRUE(pbStringEqualsCstr(pb::adopt(pbProcessToString(q.get())).get(), "<PB_PROCESS cs status>", -1));
}

}  // namespace
