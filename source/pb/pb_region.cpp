// Regions: shared / exclusive locks with nested entries and writer
// preference.
#include "pb/pb_region.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "pb/pb_cxxobj.hpp"
#include "pb/pb_module.h"
#include "pb/pb_stdfunc.hpp"

// A reader counts once in readers however often it entered; its nesting is
// kept per thread (sharedEntries), which is also how pbRegionLeave tells a
// reader from a thread that does not hold the region. readers changes only
// under lock but may be read without it: a thread that reads no readers
// holds the region shared nowhere, since its own entry would be counted.
struct PB_REGION {
    PB_OBJ obj;
    std::mutex lock;                    // guards the fields below
    std::condition_variable changed;    // waiters for the holders to leave
    std::atomic<PB_INT> readers;        // threads holding the region shared; written under lock
    std::thread::id writer;             // the exclusive holder, or no thread
    PB_INT writerDepth;                 // entries of the exclusive holder (either mode)
    PB_INT writersWaiting;              // threads waiting for exclusive access
    PB_INT readersWaiting;              // threads waiting for shared access
};

namespace {

// The regions the calling thread holds shared, with their entry counts.
thread_local std::vector<std::pair<PB_REGION*, PB_INT>> sharedEntries;

std::pair<PB_REGION*, PB_INT>* sharedEntryOf(PB_REGION* region) {
    for (auto& e : sharedEntries)
        if (e.first == region) return &e;
    return nullptr;
}

bool heldSharedByCaller(PB_REGION* region) {
    return region->readers.load(std::memory_order_relaxed) > 0 && sharedEntryOf(region) != nullptr;
}

void regionFree(PB_OBJ* obj);

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_REGION, &pb___module, "PB_REGION", regionFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(pbRegion, PB_REGION, pb___sort_PB_REGION)

namespace {

void regionFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, pb___sort_PB_REGION);
    pb::destroyObject<PB_REGION>(obj);
}

}  // namespace

extern "C" PB_EXPORT PB_REGION* pbRegionCreate(void) { return pb::createObject<PB_REGION>(&pb___sort_PB_REGION); }

// A new reader waits for the writer and for waiting writers; a thread that
// already reads or writes enters again at once.
extern "C" PB_EXPORT void pbRegionEnterShared(PB_REGION* region) {
    PB_ASSERT(region);
    if (auto* e = region->readers.load(std::memory_order_relaxed) > 0 ? sharedEntryOf(region) : nullptr) {
        ++e->second;
        return;
    }
    std::unique_lock<std::mutex> lock(region->lock);
    if (region->writer == std::this_thread::get_id()) {
        ++region->writerDepth;
        return;
    }
    auto open = [&] { return region->writer == std::thread::id() && region->writersWaiting == 0; };
    if (!open()) {
        ++region->readersWaiting;
        region->changed.wait(lock, open);
        --region->readersWaiting;
    }
    ++region->readers;
    sharedEntries.emplace_back(region, 1);
}

extern "C" PB_EXPORT void pbRegionEnterExclusive(PB_REGION* region) {
    PB_ASSERT(region);
    PB_ASSERT(!heldSharedByCaller(region));
    std::unique_lock<std::mutex> lock(region->lock);
    if (region->writer == std::this_thread::get_id()) {
        ++region->writerDepth;
        return;
    }
    ++region->writersWaiting;
    region->changed.wait(lock, [&] { return region->writer == std::thread::id() && region->readers == 0; });
    --region->writersWaiting;
    region->writer = std::this_thread::get_id();
    region->writerDepth = 1;
}

// Waiters count themselves under the lock before they wait, so a leave
// that finds none has nobody to wake (the common, uncontended case).
extern "C" PB_EXPORT void pbRegionLeave(PB_REGION* region) {
    PB_ASSERT(region);
    std::unique_lock<std::mutex> lock(region->lock);
    bool waiters = region->writersWaiting > 0 || region->readersWaiting > 0;
    if (region->writer == std::this_thread::get_id()) {
        if (--region->writerDepth > 0) return;
        region->writer = std::thread::id();
        if (waiters) region->changed.notify_all();
        return;
    }
    auto* entry = sharedEntryOf(region);
    PB_ASSERT(heldSharedByCaller(region));
    if (--entry->second > 0) return;
    sharedEntries.erase(sharedEntries.begin() + (entry - sharedEntries.data()));
    if (--region->readers == 0 && waiters) region->changed.notify_all();
}
