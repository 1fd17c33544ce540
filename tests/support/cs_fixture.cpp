#include "support/cs_fixture.hpp"

#include "cs/base/cs_module.h"
#include "pb/pb_runtime.h"
#include "pb/pb_runtime_clock.h"
#include "pb/pb_string.h"
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

std::string take(PB_STRING* s) {
    if (!s) return "<null>";
    PB_INT n = 0;
    char* c = pbStringConvertToCstr(s, &n);
    std::string out(c, size_t(n));
    pb___MemFree(c);
    pbStringRelease(s);
    return out;
}

}  // namespace vtest
