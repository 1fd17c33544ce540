// Signals: asserted once, notifying each added signalable exactly once.
#include "pb/pb_signal.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "pb/pb_cxxobj.hpp"
#include "pb/pb_module.h"
#include "pb/pb_signalable.hpp"
#include "pb/pb_stdfunc.hpp"

// A signal that many wait on (a status watched by thousands of
// conditions) must add and remove in constant time: a long list gets an
// index from signalable to position, and a removal from it leaves a hole
// (NULL) so that the others keep their positions and their order.
struct PB_SIGNAL {
    PB_OBJ obj;
    std::mutex lock;                          // guards everything but asserted's reads
    std::atomic<bool> asserted;               // set once, under lock; read without it
    std::vector<PB_SIGNALABLE*> signalables;  // in order of adding; each retained or NULL (a hole); empty once asserted
    std::unordered_map<PB_SIGNALABLE*, size_t> positions;  // used while indexed; position of each signalable
    bool indexed = false;                     // signalables got long; positions is up to date
    size_t holes = 0;                         // NULL entries in signalables
    std::atomic<size_t> waiting{0};           // changed under lock; the signalables that are not holes
};

namespace {

void signalFree(PB_OBJ* obj);

// Lists up to this length are searched; longer ones are indexed.
constexpr size_t kIndexFrom = 32;

// Lock held.
bool contains(PB_SIGNAL* sig, PB_SIGNALABLE* signalable) {
    if (sig->indexed) return sig->positions.count(signalable) != 0;
    auto& list = sig->signalables;
    return std::find(list.begin(), list.end(), signalable) != list.end();
}

// Lock held. Drops the holes and indexes the list anew.
void reindex(PB_SIGNAL* sig) {
    auto& list = sig->signalables;
    list.erase(std::remove(list.begin(), list.end(), nullptr), list.end());
    sig->holes = 0;
    sig->positions.clear();
    for (size_t i = 0; i < list.size(); ++i) sig->positions.emplace(list[i], i);
    sig->indexed = true;
}

// Lock held; signalable not in the list yet.
void append(PB_SIGNAL* sig, PB_SIGNALABLE* signalable) {
    sig->signalables.push_back(pbSignalableRetain(signalable));
    sig->waiting.fetch_add(1, std::memory_order_relaxed);
    if (sig->indexed) {
        sig->positions.emplace(signalable, sig->signalables.size() - 1);
    } else if (sig->signalables.size() >= kIndexFrom) {
        reindex(sig);
    }
}

// Lock held. Takes signalable out of the list; its reference goes to the
// caller. False when it was not there.
bool remove(PB_SIGNAL* sig, PB_SIGNALABLE* signalable) {
    auto& list = sig->signalables;
    if (!sig->indexed) {
        auto it = std::find(list.begin(), list.end(), signalable);
        if (it == list.end()) return false;
        list.erase(it);
        sig->waiting.fetch_sub(1, std::memory_order_relaxed);
        return true;
    }
    auto it = sig->positions.find(signalable);
    if (it == sig->positions.end()) return false;
    sig->waiting.fetch_sub(1, std::memory_order_relaxed);
    list[it->second] = nullptr;
    sig->positions.erase(it);
    if (++sig->holes > list.size() / 2) reindex(sig);
    return true;
}

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_SIGNAL, &pb___module, "PB_SIGNAL", signalFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(pbSignal, PB_SIGNAL, pb___sort_PB_SIGNAL)

namespace {

void signalFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, pb___sort_PB_SIGNAL);
    auto* sig = reinterpret_cast<PB_SIGNAL*>(obj);
    for (PB_SIGNALABLE* s : sig->signalables)
        if (s) pbSignalableRelease(s);
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
        sig->positions = {};
        sig->indexed = false;
        sig->holes = 0;
        sig->waiting.store(0, std::memory_order_relaxed);
    }
    for (PB_SIGNALABLE* s : notify) {
        if (!s) continue;
        pb::signalableNotify(s);
        pbSignalableRelease(s);
    }
}

extern "C" PB_EXPORT PB_BOOL pbSignalAsserted(PB_SIGNAL* sig) {
    PB_ASSERT(sig);
    return sig->asserted.load(std::memory_order_acquire) ? PB_TRUE : PB_FALSE;
}

// Read without the signal's lock: the owner's lock orders this read after
// every add and removal that matters to the owner.
extern "C" PB_EXPORT PB_BOOL pbSignalHasSignalables(PB_SIGNAL* sig) {
    PB_ASSERT(sig);
    return sig->waiting.load(std::memory_order_relaxed) != 0 ? PB_TRUE : PB_FALSE;
}

extern "C" PB_EXPORT void pbSignalAddSignalable(PB_SIGNAL* sig, PB_SIGNALABLE* signalable) {
    PB_ASSERT(sig);
    PB_ASSERT(signalable);
    {
        std::lock_guard<std::mutex> guard(sig->lock);
        if (!sig->asserted.load(std::memory_order_relaxed)) {
            if (!contains(sig, signalable)) append(sig, signalable);
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
        if (!remove(sig, signalable)) return;
    }
    pbSignalableRelease(signalable);
}
