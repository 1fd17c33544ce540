#include "support/cs_fixture.hpp"

#include "cs/base/cs_module.h"
#include "pb/pb_runtime.h"
#include "pb/pb_runtime_clock.h"
#include "support/live_objects.hpp"

namespace vtest {

void CsModuleTest::SetUp() {
    before_ = liveObjectsBySort();
    pbRuntimeSetManualClock(PB_TRUE);
    pbRuntimeStart(nullptr);
    ASSERT_NE(pbRuntimeLoadModuleCstr("cs", -1), nullptr);
}

void CsModuleTest::TearDown() {
    pbRuntimeStop();
    pbRuntimeManualRunPending();
    EXPECT_EQ(liveObjectChanges(before_), "") << "objects leaked";
    // After final release no object of any sort of the module is alive.
    pbSortForEachSeen(
        [](PB_SORT* sort, void*) {
            if (pbSortModule(sort) == &cs___module) {
                EXPECT_EQ(pbSortLiveCount(sort), 0) << pbSortNameCstr(sort);
            }
        },
        nullptr);
}

void CsModuleTest::advance(PB_INT ms) { pbRuntimeManualAdvance(ms); }

}  // namespace vtest
