// Monitors: recursion, mutual exclusion between threads, the guard, and
// the leave precondition.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "pb/pb.h"
#include "pb/pb_monitor.hpp"
#include "pb/pb_ref.hpp"
#include "support/live_objects.hpp"

namespace {

// Threads that each enter twice (nested) and bump two plain counters must
// never interleave: the thread sanitizer sees any unguarded access, and the
// counters must stay equal and complete.
TEST(PbMonitor, NestedEntriesExcludeOtherThreads) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto monitor = pb::adopt(pbMonitorCreate());
    long a = 0, b = 0;
    bool unequal = false;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 5000; ++i) {
                pb::MonitorGuard outer(monitor.get());
                ++a;
                {
                    pb::MonitorGuard inner(monitor.get());
                    if (a != b + 1) unequal = true;
                }
                ++b;
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_FALSE(unequal);
    EXPECT_EQ(a, 20000);
    EXPECT_EQ(b, 20000);
}

TEST(PbMonitorDeathTest, LeaveNeedsTheHolder) {
    auto monitor = pb::adopt(pbMonitorCreate());
    EXPECT_DEATH(pbMonitorLeave(monitor.get()), "source/pb/pb_monitor.cpp:[0-9]+: heldByCaller\\(monitor\\)");
    pbMonitorEnter(monitor.get());
    pbMonitorLeave(monitor.get());
    EXPECT_DEATH(pbMonitorLeave(monitor.get()), "heldByCaller\\(monitor\\)");
}

}  // namespace
