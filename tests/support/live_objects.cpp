#include "support/live_objects.hpp"

#include <gtest/gtest.h>

namespace vtest {

std::map<std::string, PB_INT> liveObjectsBySort() {
    std::map<std::string, PB_INT> counts;
    pbSortForEachSeen(
        [](PB_SORT* sort, void* ctx) {
            (*static_cast<std::map<std::string, PB_INT>*>(ctx))[pbSortNameCstr(sort)] += pbSortLiveCount(sort);
        },
        &counts);
    return counts;
}

std::string liveObjectChanges(const std::map<std::string, PB_INT>& before) {
    std::string out;
    for (const auto& [name, now] : liveObjectsBySort()) {
        auto it = before.find(name);
        PB_INT was = it == before.end() ? 0 : it->second;
        if (was != now) out += name + ": " + std::to_string(was) + " -> " + std::to_string(now) + "\n";
    }
    return out;
}

LeakGuard::~LeakGuard() { EXPECT_EQ(liveObjectChanges(before), "") << "objects leaked"; }

}  // namespace vtest
