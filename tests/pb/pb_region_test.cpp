// Regions: concurrent readers, exclusive writers, nesting, the guards, and
// the preconditions of entering and leaving.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "pb/exec_test_support.hpp"
#include "pb/pb_region.hpp"
#include "support/live_objects.hpp"

namespace {

// Readers are inside together (each waits, inside, for all to arrive; an
// exclusive lock would time out). Writers change two fields that readers
// must always see equal. Nested entries of both kinds are mixed in.
TEST(PbRegion, ReadersShareAndWritersExclude) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto region = pb::adopt(pbRegionCreate());
    vtest::Counter inside;
    long x = 0, y = 0;
    std::atomic<bool> apart{false}, torn{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            {
                pb::RegionSharedGuard read(region.get());
                inside.add();
                if (!inside.waitFor(4)) apart = true;
            }
            for (int i = 0; i < 3000; ++i) {
                if ((i + t) % 3 == 0) {
                    pb::RegionExclusiveGuard write(region.get());
                    ++x;
                    pb::RegionSharedGuard nested(region.get());  // part of the exclusive hold
                    ++y;
                } else {
                    pb::RegionSharedGuard read(region.get());
                    pb::RegionSharedGuard again(region.get());
                    if (x != y) torn = true;
                }
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_FALSE(apart);
    EXPECT_FALSE(torn);
    EXPECT_EQ(x, 4000);
    EXPECT_EQ(y, 4000);
}

// A reader that enters again while a writer waits must not wait behind
// that writer (it would wait for itself); the writer gets in afterwards.
TEST(PbRegion, ReentryOfAReaderDoesNotWaitForAWaitingWriter) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto region = pb::adopt(pbRegionCreate());
    vtest::Counter writerStarting, writerDone;
    pbRegionEnterShared(region.get());
    std::thread writer([&] {
        writerStarting.add();
        pb::RegionExclusiveGuard write(region.get());
        writerDone.add();
    });
    ASSERT_TRUE(writerStarting.waitFor(1));
    for (int i = 0; i < 1000; ++i) {
        pbRegionEnterShared(region.get());
        pbRegionLeave(region.get());
    }
    EXPECT_EQ(writerDone.value(), 0);
    pbRegionLeave(region.get());
    EXPECT_TRUE(writerDone.waitFor(1));
    writer.join();
}

TEST(PbRegionDeathTest, EnterAndLeavePreconditions) {
    auto region = pb::adopt(pbRegionCreate());
    EXPECT_DEATH(pbRegionLeave(region.get()), "source/pb/pb_region.cpp:[0-9]+: heldSharedByCaller\\(region\\)");
    pbRegionEnterShared(region.get());
    EXPECT_DEATH(pbRegionEnterExclusive(region.get()), "!heldSharedByCaller\\(region\\)");
    pbRegionLeave(region.get());
}

}  // namespace
