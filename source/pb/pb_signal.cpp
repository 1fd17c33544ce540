// Signals: asserted once, notifying each added signalable exactly once.
#include "pb/pb_signal.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

#include "pb/pb_cxxobj.hpp"
#include "pb/pb_module.h"
#include "pb/pb_signalable.hpp"
#include "pb/pb_stdfunc.hpp"

struct PB_SIGNAL {
    PB_OBJ obj;
    std::mutex lock;                          // guards asserted's changes and signalables
    std::atomic<bool> asserted;               // set once, under lock; read without it
    std::vector<PB_SIGNALABLE*> signalables;  // guarded by lock; each retained; empty once asserted
};

namespace {

void signalFree(PB_OBJ* obj);

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_SIGNAL, &pb___module, "PB_SIGNAL", signalFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(pbSignal, PB_SIGNAL, pb___sort_PB_SIGNAL)

namespace {

void signalFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, pb___sort_PB_SIGNAL);
    auto* sig = reinterpret_cast<PB_SIGNAL*>(obj);
    for (PB_SIGNALABLE* s : sig->signalables) pbSignalableRelease(s);
    pb::destroyObject<PB_SIGNAL>(obj);
}

}  // namespace

extern "C" PB_EXPORT PB_SIGNAL* pbSignalCreate(void) {
    return pb::createObject<PB_SIGNAL>(&pb___sort_PB_SIGNAL);
}

// Takes the signalables out under the lock and notifies them after leaving
// it, so that a notified signalable may add to or assert this signal.
extern "C" PB_EXPORT void pbSignalAssert(PB_SIGNAL* sig) {
    PB_ASSERT(sig);
    std::vector<PB_SIGNALABLE*> notify;
    {
        std::lock_guard<std::mutex> guard(sig->lock);
        if (sig->asserted.load(std::memory_order_relaxed)) return;
        sig->asserted.store(true, std::memory_order_release);
        notify.swap(sig->signalables);
    }
    for (PB_SIGNALABLE* s : notify) {
        pb::signalableNotify(s);
        pbSignalableRelease(s);
    }
}

extern "C" PB_EXPORT PB_BOOL pbSignalAsserted(PB_SIGNAL* sig) {
    PB_ASSERT(sig);
    return sig->asserted.load(std::memory_order_acquire) ? PB_TRUE : PB_FALSE;
}

extern "C" PB_EXPORT void pbSignalAddSignalable(PB_SIGNAL* sig, PB_SIGNALABLE* signalable) {
    PB_ASSERT(sig);
    PB_ASSERT(signalable);
    {
        std::lock_guard<std::mutex> guard(sig->lock);
        if (!sig->asserted.load(std::memory_order_relaxed)) {
            auto& list = sig->signalables;
            if (std::find(list.begin(), list.end(), signalable) == list.end()) {
                list.push_back(pbSignalableRetain(signalable));
            }
            return;
        }
    }
    pb::signalableNotify(signalable);
}

extern "C" PB_EXPORT void pbSignalDelSignalable(PB_SIGNAL* sig, PB_SIGNALABLE* signalable) {
    PB_ASSERT(sig);
    PB_ASSERT(signalable);
    {
        std::lock_guard<std::mutex> guard(sig->lock);
        auto& list = sig->signalables;
        auto it = std::find(list.begin(), list.end(), signalable);
        if (it == list.end()) return;
        list.erase(it);
    }
    pbSignalableRelease(signalable);
}
