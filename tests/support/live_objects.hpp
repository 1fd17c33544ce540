// Leak checks for tests: a snapshot of the live-object count of every sort.
#pragma once

#include <map>
#include <string>

#include "pb/pb_obj.h"

namespace vtest {

// Live objects per sort name, for sorts that ever had objects.
std::map<std::string, PB_INT> liveObjectsBySort();

// Sorts whose live count differs from the snapshot, as "NAME: before -> now".
std::string liveObjectChanges(const std::map<std::string, PB_INT>& before);

}  // namespace vtest

// Asserts at scope end that no object of any sort was leaked in the scope.
#define VTEST_NO_LEAKS_IN_SCOPE() \
    ::vtest::LeakGuard vtestLeakGuard_
namespace vtest {
struct LeakGuard {
    std::map<std::string, PB_INT> before = liveObjectsBySort();
    ~LeakGuard();
};
}  // namespace vtest
