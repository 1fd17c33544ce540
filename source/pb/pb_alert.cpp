// Alerts: a settable level that notifies its alertables on every set.
#include "pb/pb_alert.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

#include "pb/pb_alertable.hpp"
#include "pb/pb_cxxobj.hpp"
#include "pb/pb_module.h"
#include "pb/pb_stdfunc.hpp"

struct PB_ALERT {
    PB_OBJ obj;
    std::mutex lock;                        // guards changes of isSet, and alertables
    std::atomic<bool> isSet;                // changed under lock; read without it
    std::vector<PB_ALERTABLE*> alertables;  // guarded by lock; each retained
};

namespace {

void alertFree(PB_OBJ* obj);

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_ALERT, &pb___module, "PB_ALERT", alertFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(pbAlert, PB_ALERT, pb___sort_PB_ALERT)

namespace {

void alertFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, pb___sort_PB_ALERT);
    auto* alert = reinterpret_cast<PB_ALERT*>(obj);
    for (PB_ALERTABLE* a : alert->alertables) pbAlertableRelease(a);
    pb::destroyObject<PB_ALERT>(obj);
}

}  // namespace

extern "C" PB_EXPORT PB_ALERT* pbAlertCreate(void) { return pb::createObject<PB_ALERT>(&pb___sort_PB_ALERT); }

// Notifies a snapshot of the alertables, each retained for the call, after
// leaving the lock.
extern "C" PB_EXPORT void pbAlertSet(PB_ALERT* alert) {
    PB_ASSERT(alert);
    std::vector<PB_ALERTABLE*> notify;
    {
        std::lock_guard<std::mutex> guard(alert->lock);
        if (alert->isSet.load(std::memory_order_relaxed)) return;
        alert->isSet.store(true, std::memory_order_release);
        notify.reserve(alert->alertables.size());
        for (PB_ALERTABLE* a : alert->alertables) notify.push_back(pbAlertableRetain(a));
    }
    for (PB_ALERTABLE* a : notify) {
        pb::alertableNotify(a);
        pbAlertableRelease(a);
    }
}

extern "C" PB_EXPORT void pbAlertUnset(PB_ALERT* alert) {
    PB_ASSERT(alert);
    std::lock_guard<std::mutex> guard(alert->lock);
    alert->isSet.store(false, std::memory_order_release);
}

extern "C" PB_EXPORT PB_BOOL pbAlertIsSet(PB_ALERT* alert) {
    PB_ASSERT(alert);
    return alert->isSet.load(std::memory_order_acquire) ? PB_TRUE : PB_FALSE;
}

extern "C" PB_EXPORT void pbAlertAddAlertable(PB_ALERT* alert, PB_ALERTABLE* alertable) {
    PB_ASSERT(alert);
    PB_ASSERT(alertable);
    bool notify;
    {
        std::lock_guard<std::mutex> guard(alert->lock);
        auto& list = alert->alertables;
        if (std::find(list.begin(), list.end(), alertable) == list.end()) {
            list.push_back(pbAlertableRetain(alertable));
        }
        notify = alert->isSet.load(std::memory_order_relaxed);
    }
    if (notify) pb::alertableNotify(alertable);
}

extern "C" PB_EXPORT void pbAlertDelAlertable(PB_ALERT* alert, PB_ALERTABLE* alertable) {
    PB_ASSERT(alert);
    PB_ASSERT(alertable);
    {
        std::lock_guard<std::mutex> guard(alert->lock);
        auto& list = alert->alertables;
        auto it = std::find(list.begin(), list.end(), alertable);
        if (it == list.end()) return;
        list.erase(it);
    }
    pbAlertableRelease(alertable);
}
