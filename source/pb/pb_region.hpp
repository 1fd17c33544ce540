// pb::RegionSharedGuard and pb::RegionExclusiveGuard: hold a region in one
// mode for the life of a scope.
//
//     pb::RegionSharedGuard reading( table->region );
#pragma once

#include "pb/pb_region.h"

namespace pb {

class RegionSharedGuard {
public:
    explicit RegionSharedGuard(PB_REGION* region) : region_(region) { pbRegionEnterShared(region_); }
    ~RegionSharedGuard() { pbRegionLeave(region_); }
    RegionSharedGuard(const RegionSharedGuard&) = delete;
    RegionSharedGuard& operator=(const RegionSharedGuard&) = delete;

private:
    PB_REGION* region_;
};

class RegionExclusiveGuard {
public:
    explicit RegionExclusiveGuard(PB_REGION* region) : region_(region) { pbRegionEnterExclusive(region_); }
    ~RegionExclusiveGuard() { pbRegionLeave(region_); }
    RegionExclusiveGuard(const RegionExclusiveGuard&) = delete;
    RegionExclusiveGuard& operator=(const RegionExclusiveGuard&) = delete;

private:
    PB_REGION* region_;
};

}  // namespace pb
