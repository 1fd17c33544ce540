// The threaded clock mode: worker threads, the timer thread, and signals
// and processes used from many threads at once. Every wait is bounded and
// waits for a condition, never for time to pass.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "pb/exec_test_support.hpp"
#include "support/live_objects.hpp"

namespace {

using vtest::Counter;

class PbExecutorThreaded : public testing::Test {
protected:
    void SetUp() override { pbRuntimeSetManualClock(PB_FALSE); }
    void TearDown() override { pbRuntimeExecutorShutdown(); }
};

// Runs never overlap (the plain counter would be a data race), and every
// schedule is followed by a run that started after it: each scheduling
// thread publishes its last number before its last schedule, and some run
// must see it.
constexpr int schedulers = 4, schedulesEach = 2000;

struct Shared {
    std::atomic<int> active{0};
    std::atomic<bool> overlapped{false};
    int runs = 0;  // touched only inside runs
    std::atomic<int> published[schedulers] = {};
    bool seen[schedulers] = {};  // touched only inside runs
    Counter caughtUp;            // threads whose last number a run has seen
};

void observe(PB_OBJ* object) {
    auto* s = vtest::stateOf<Shared>(object);
    if (s->active.fetch_add(1) != 0) s->overlapped = true;
    ++s->runs;
    for (int i = 0; i < schedulers; ++i) {
        if (s->published[i].load() == schedulesEach && !s->seen[i]) {
            s->seen[i] = true;
            s->caughtUp.add();
        }
    }
    s->active.fetch_sub(1);
}

TEST_F(PbExecutorThreaded, ManyThreadsScheduleWithoutLostOrOverlappingRuns) {
    VTEST_NO_LEAKS_IN_SCOPE();
    Shared shared;
    auto proc = vtest::processOver(&shared, observe);
    std::vector<std::thread> threads;
    for (int t = 0; t < schedulers; ++t) {
        threads.emplace_back([&, t] {
            for (int k = 1; k <= schedulesEach; ++k) {
                shared.published[t].store(k);
                pbProcessSchedule(proc.get());
            }
        });
    }
    for (auto& t : threads) t.join();
    ASSERT_TRUE(shared.caughtUp.waitFor(schedulers));
    pbProcessHalt(proc.get());
    EXPECT_FALSE(shared.overlapped);
    EXPECT_LE(shared.runs, schedulers * schedulesEach);
}

// pbProcessHalt on another thread returns only after the run in progress
// finished, and nothing runs afterwards, not even the run asked for while
// it ran (unless that one started before the halt).
struct Blocking {
    Counter started, release;
    int runs = 0;  // written in runs, read after the halt
    bool finished = false;
};

TEST_F(PbExecutorThreaded, HaltWaitsForTheRunInProgress) {
    VTEST_NO_LEAKS_IN_SCOPE();
    Blocking b;
    auto proc = vtest::processOver(&b, [](PB_OBJ* o) {
        auto* b = vtest::stateOf<Blocking>(o);
        ++b->runs;
        b->started.add();
        EXPECT_TRUE(b->release.waitFor(1));
        b->finished = true;
    });
    pbProcessSchedule(proc.get());
    ASSERT_TRUE(b.started.waitFor(1));
    pbProcessSchedule(proc.get());
    Counter halting;
    bool finishedAtHalt = false;
    int runsAtHalt = 0;
    std::thread halter([&] {
        halting.add();
        pbProcessHalt(proc.get());
        finishedAtHalt = b.finished;
        runsAtHalt = b.runs;
        pbProcessSchedule(proc.get());
    });
    ASSERT_TRUE(halting.waitFor(1));
    b.release.add();
    halter.join();
    pbRuntimeExecutorShutdown();  // nothing can still be running now
    EXPECT_TRUE(finishedAtHalt);
    EXPECT_EQ(b.runs, runsAtHalt);
}

// Threads race to assert a signal and to add listeners to it: every
// listener hears it exactly once, whether it was added before or after.
TEST_F(PbExecutorThreaded, RacingAssertsAndAddsNotifyEachListenerOnce) {
    VTEST_NO_LEAKS_IN_SCOPE();
    for (int round = 0; round < 200; ++round) {
        auto sig = pb::adopt(pbSignalCreate());
        std::atomic<int> counts[16] = {};
        std::vector<pb::Ref<PB_SIGNALABLE>> items;
        for (auto& c : counts) {
            items.push_back(pb::adopt(pbSignalableCreateWithCallback(
                [](void* ctx) { static_cast<std::atomic<int>*>(ctx)->fetch_add(1); }, &c)));
        }
        std::vector<std::thread> threads;
        for (int half = 0; half < 2; ++half) {
            threads.emplace_back([&, half] {
                for (int i = 0; i < 8; ++i) pbSignalAddSignalable(sig.get(), items[half * 8 + i].get());
            });
            threads.emplace_back([&] { pbSignalAssert(sig.get()); });
        }
        for (auto& t : threads) t.join();
        for (auto& c : counts) ASSERT_EQ(c.load(), 1) << "round " << round;
    }
}

// The timer thread fires at or after the due time: a periodic process
// checks it, while timers released while scheduled race the timer thread;
// a halt then stops the period.
struct Periodic {
    PB_TIMER* timer = nullptr;
    PB_INT due = 0;      // touched only inside runs
    bool early = false;  // likewise
    Counter runs;
};

TEST_F(PbExecutorThreaded, PeriodicProcessRunsOnTimeUntilHalted) {
    VTEST_NO_LEAKS_IN_SCOPE();
    Periodic p;
    auto proc = vtest::processOver(&p, [](PB_OBJ* o) {
        auto* p = vtest::stateOf<Periodic>(o);
        if (pbTimestamp() < p->due) p->early = true;
        p->due = pbTimestamp() + 2;
        pbTimerSchedule(p->timer, 2);
        p->runs.add();
    });
    auto timer = pb::adopt(pbTimerCreateWithProcess(proc.get()));
    p.timer = timer.get();
    pbTimerSchedule(timer.get(), 0);
    std::atomic<int> fired{0};
    for (int i = 0; i < 100; ++i) {
        PB_TIMER* dropped = pbTimerCreateWithCallback(
            [](void* ctx) { static_cast<std::atomic<int>*>(ctx)->fetch_add(1); }, &fired);
        pbTimerSchedule(dropped, i % 3);
        pbTimerRelease(dropped);
    }
    ASSERT_TRUE(p.runs.waitFor(5));
    pbProcessHalt(proc.get());
    int runs = p.runs.value();
    pbRuntimeExecutorShutdown();
    EXPECT_EQ(p.runs.value(), runs);
    EXPECT_FALSE(p.early);
    pbTimerUnschedule(timer.get());
}

}  // namespace
