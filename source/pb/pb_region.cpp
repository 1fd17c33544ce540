// Regions: shared / exclusive locks with nested entries and writer
// preference.
#include "pb/pb_region.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "pb/pb_cxxobj.hpp"
#include "pb/pb_module.h"
#include "pb/pb_stdfunc.hpp"

// The state word holds what the uncontended paths need: kWriter while a
// thread holds the region exclusive, kWaiting while any thread waits, and
// below them the number of threads that hold it shared (a reader counts once
// however often it entered; its nesting is kept per thread in sharedEntries,
// which is also how pbRegionLeave tells a reader from a thread that does not
// hold the region). Entering and leaving without contention is one
// compare-and-swap or one atomic add on it; with kWaiting set every change
// goes through the lock, so a waiter, which sets kWaiting under the lock
// before it looks at the state, is always woken.
struct PB_REGION {
    PB_OBJ obj;
    std::atomic<uint64_t> state;        // kWriter | kWaiting | readers
    std::atomic<std::thread::id> writer;  // the exclusive holder, or no thread; written by the holder
    PB_INT writerDepth;                 // entries of the exclusive holder (either mode); used by it alone
    std::mutex lock;                    // guards the waiter counts and the waits
    std::condition_variable changed;    // waiters for the holders to leave
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

constexpr uint64_t kWriter = uint64_t(1) << 63;
constexpr uint64_t kWaiting = uint64_t(1) << 62;
constexpr uint64_t kReaders = kWaiting - 1;

PB_INT readersOf(PB_REGION* region) { return PB_INT(region->state.load(std::memory_order_relaxed) & kReaders); }

// Only the holder ever stores its own id, so a thread that reads its own id
// holds the region exclusive, however stale the read.
bool heldExclusiveByCaller(PB_REGION* region) {
    return region->writer.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

bool heldSharedByCaller(PB_REGION* region) {
    return readersOf(region) > 0 && sharedEntryOf(region) != nullptr;
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

namespace {

// The slow paths: a waiter counts itself and sets kWaiting under the lock,
// then takes the region by compare-and-swap when it is open, else waits.
// The last waiter out clears kWaiting.
void waitAndEnter(PB_REGION* region, bool exclusive) {
    std::unique_lock<std::mutex> lock(region->lock);
    PB_INT& waiting = exclusive ? region->writersWaiting : region->readersWaiting;
    ++waiting;
    region->state.fetch_or(kWaiting, std::memory_order_relaxed);
    for (;;) {
        uint64_t s = region->state.load(std::memory_order_relaxed);
        // A writer needs the region free; a reader needs no writer in and none waiting.
        bool open = exclusive ? (s & ~kWaiting) == 0 : !(s & kWriter) && region->writersWaiting == 0;
        if (!open) {
            region->changed.wait(lock);
            continue;
        }
        if (region->state.compare_exchange_weak(s, exclusive ? s | kWriter : s + 1, std::memory_order_acquire,
                                                std::memory_order_relaxed))
            break;
    }
    --waiting;
    if (region->writersWaiting == 0 && region->readersWaiting == 0)
        region->state.fetch_and(~kWaiting, std::memory_order_relaxed);
}

// Wakes the waiters after a holder left; the lock orders the wake-up after
// a waiter's look at the state.
void wakeWaiters(PB_REGION* region) {
    std::lock_guard<std::mutex> lock(region->lock);
    region->changed.notify_all();
}

}  // namespace

// A new reader waits for the writer and for waiting writers; a thread that
// already reads or writes enters again at once.
extern "C" PB_EXPORT void pbRegionEnterShared(PB_REGION* region) {
    PB_ASSERT(region);
    if (auto* e = readersOf(region) > 0 ? sharedEntryOf(region) : nullptr) {
        ++e->second;
        return;
    }
    if (heldExclusiveByCaller(region)) {
        ++region->writerDepth;
        return;
    }
    uint64_t s = region->state.load(std::memory_order_relaxed);
    for (;;) {
        if (s & (kWriter | kWaiting)) {
            waitAndEnter(region, false);
            break;
        }
        if (region->state.compare_exchange_weak(s, s + 1, std::memory_order_acquire, std::memory_order_relaxed))
            break;
    }
    sharedEntries.emplace_back(region, 1);
}

extern "C" PB_EXPORT void pbRegionEnterExclusive(PB_REGION* region) {
    PB_ASSERT(region);
    PB_ASSERT(!heldSharedByCaller(region));
    if (heldExclusiveByCaller(region)) {
        ++region->writerDepth;
        return;
    }
    uint64_t free = 0;
    if (!region->state.compare_exchange_strong(free, kWriter, std::memory_order_acquire, std::memory_order_relaxed))
        waitAndEnter(region, true);
    region->writer.store(std::this_thread::get_id(), std::memory_order_relaxed);
    region->writerDepth = 1;
}

// A holder that finds kWaiting set leaves through the lock and wakes the
// waiters; otherwise leaving is one atomic operation.
extern "C" PB_EXPORT void pbRegionLeave(PB_REGION* region) {
    PB_ASSERT(region);
    if (heldExclusiveByCaller(region)) {
        if (--region->writerDepth > 0) return;
        region->writer.store(std::thread::id(), std::memory_order_relaxed);
        uint64_t held = kWriter;
        if (region->state.compare_exchange_strong(held, 0, std::memory_order_release, std::memory_order_relaxed))
            return;
        region->state.fetch_and(~kWriter, std::memory_order_release);
        wakeWaiters(region);
        return;
    }
    auto* entry = sharedEntryOf(region);
    PB_ASSERT(heldSharedByCaller(region));
    if (--entry->second > 0) return;
    sharedEntries.erase(sharedEntries.begin() + (entry - sharedEntries.data()));
    uint64_t before = region->state.fetch_sub(1, std::memory_order_release);
    if ((before & kWaiting) && (before & kReaders) == 1) wakeWaiters(region);
}
