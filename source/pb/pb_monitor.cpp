// Monitors: recursive exclusive locks that know their holder.
#include "pb/pb_monitor.h"

#include <atomic>
#include <mutex>
#include <thread>

#include "pb/pb_cxxobj.hpp"
#include "pb/pb_module.h"
#include "pb/pb_stdfunc.hpp"

// The holder is kept beside the mutex so that re-entry is counted instead of
// deadlocking, and so that a leave by a thread that does not hold the monitor
// is caught. Only the holder ever stores its own id, so a thread that reads
// its own id in owner holds the monitor, however stale the read.
struct PB_MONITOR {
    PB_OBJ obj;
    std::mutex lock;                     // held while any thread holds the monitor
    std::atomic<std::thread::id> owner;  // the holder, or no thread; written by the holder
    PB_INT depth;                        // entries of the holder; guarded by lock
};

namespace {

void monitorFree(PB_OBJ* obj);

bool heldByCaller(PB_MONITOR* monitor) {
    return monitor->owner.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_MONITOR, &pb___module, "PB_MONITOR", monitorFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(pbMonitor, PB_MONITOR, pb___sort_PB_MONITOR)

namespace {

void monitorFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, pb___sort_PB_MONITOR);
    pb::destroyObject<PB_MONITOR>(obj);
}

}  // namespace

extern "C" PB_EXPORT PB_MONITOR* pbMonitorCreate(void) {
    return pb::createObject<PB_MONITOR>(&pb___sort_PB_MONITOR);
}

extern "C" PB_EXPORT void pbMonitorEnter(PB_MONITOR* monitor) {
    PB_ASSERT(monitor);
    if (heldByCaller(monitor)) {
        ++monitor->depth;
        return;
    }
    monitor->lock.lock();
    monitor->owner.store(std::this_thread::get_id(), std::memory_order_relaxed);
    monitor->depth = 1;
}

extern "C" PB_EXPORT void pbMonitorLeave(PB_MONITOR* monitor) {
    PB_ASSERT(monitor);
    PB_ASSERT(heldByCaller(monitor));
    if (--monitor->depth > 0) return;
    monitor->owner.store(std::thread::id(), std::memory_order_relaxed);
    monitor->lock.unlock();
}
