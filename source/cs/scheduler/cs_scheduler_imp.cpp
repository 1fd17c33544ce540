// The scheduler's implementation: slots, reservations and their expiry.
#include "cs/scheduler/cs_scheduler_imp.h"

#include <cmath>
#include <unordered_map>
#include <vector>

#include "cs/base/cs_module.h"
#include "cs/base/cs_update_signal.hpp"
#include "cs/scheduler/cs_scheduler_client_imp.h"
#include "cs/scheduler/cs_scheduler_schedule_flags.h"
#include "pb/pb_cxxobj.hpp"
#include "pb/pb_dict.h"
#include "pb/pb_int.h"
#include "pb/pb_process.h"
#include "pb/pb_random.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_region.hpp"
#include "pb/pb_signal.h"
#include "pb/pb_stdfunc.hpp"
#include "pb/pb_timer.h"
#include "pb/pb_timestamp.h"

struct CS___SCHEDULER_IMP {
    PB_OBJ obj;
    TR_STREAM* trStream;                    // set once at creation
    PB_PROCESS* isProcess;                  // set once at creation; runs cs___SchedulerImpProcessFunc
    PB_TIMER* intTimer;                     // set once at creation; due at the earliest reservation; guarded by intRegion
    PB_REGION* intRegion;                   // set once at creation; guards every field below
    PB_SIGNAL* intUpdateSignal;             // asserted and replaced whenever options are set
    CS_SCHEDULER_OPTIONS* extOptions;       // never NULL; value object, shared read-only
    CS_SCHEDULER_OPTIONS* intAppliedOptions;  // the options the slot length was computed from, or NULL
    PB_INT intSlotLength;                   // >= 1 once applied, -1 before
    PB_DICT* intReservations;               // slot start -> client implementation, earliest first
    PB_INT intLastExecutedTimestamp;        // start of the latest reservation whose time has passed, or -1
    // The slot each reserving client holds: the inverse of intReservations,
    // so that a client's reservation is found without a scan. Its pointers
    // are kept alive by intReservations.
    std::unordered_map<CS___SCHEDULER_CLIENT_IMP*, PB_INT> intSlotByClient;
};

namespace {

using Imp = CS___SCHEDULER_IMP;

void impFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS___SCHEDULER_IMP);
    auto* imp = reinterpret_cast<Imp*>(obj);
    pb::releaseField(imp->intReservations);
    pb::releaseField(imp->intAppliedOptions);
    pb::releaseField(imp->extOptions);
    pb::releaseField(imp->intUpdateSignal);
    pb::releaseField(imp->intRegion);
    pb::releaseField(imp->intTimer);  // the last reference unschedules it
    pb::releaseField(imp->isProcess);
    pb::releaseField(imp->trStream);
    pb::destroyObject<Imp>(obj);
}

constexpr PB_INT kMillisecondsPerDay = 86400000;

// The slot length of the options, at least 1 millisecond. The hour values
// use a day's length as their unit.
PB_INT slotLength(CS_SCHEDULER_OPTIONS* opt) {
    const PB_INT e = csSchedulerOptionsEvents(opt), iv = csSchedulerOptionsInterval(opt);
    PB_INT length = 1;
    switch (iv) {
        case CS_SCHEDULER_INTERVAL_EVENTS_PER_MILLISECOND: length = 1; break;
        case CS_SCHEDULER_INTERVAL_EVENTS_PER_SECOND: length = pbRealToInt(std::ceil(1000.0 / double(e))); break;
        case CS_SCHEDULER_INTERVAL_EVENTS_PER_MINUTE: length = pbRealToInt(std::ceil(60000.0 / double(e))); break;
        case CS_SCHEDULER_INTERVAL_EVENTS_PER_HOUR:
            length = pbRealToInt(std::ceil(double(kMillisecondsPerDay) / double(e)));
            break;
        case CS_SCHEDULER_INTERVAL_MILLISECONDS_PER_EVENT: length = e; break;
        case CS_SCHEDULER_INTERVAL_SECONDS_PER_EVENT: length = pbIntMulSaturating(e, 1000); break;
        case CS_SCHEDULER_INTERVAL_MINUTES_PER_EVENT: length = pbIntMulSaturating(e, 60000); break;
        case CS_SCHEDULER_INTERVAL_HOURS_PER_EVENT: length = pbIntMulSaturating(e, kMillisecondsPerDay); break;
        default: PB_ASSERT(CS_SCHEDULER_INTERVAL_OK( iv ));
    }
    return pbIntMax(length, 1);
}

// The start of the slot that contains t (truncating remainder, as in C).
PB_INT slotOf(const Imp* imp, PB_INT t) { return t - t % imp->intSlotLength; }
#define SLOT(t) slotOf(imp, (t))

// Takes the earliest reservation out of both indexes, keeping the client
// implementation alive in held until the region is left.
void dropEarliest(Imp* imp, pb::Ref<PB_OBJ>& held) {
    held = pb::adopt(pbDictValueAt(imp->intReservations, 0));
    imp->intSlotByClient.erase(cs___SchedulerClientImpFrom(held.get()));
    pbDictDelAt(&imp->intReservations, 0);
}

// Applies new options and expires passed reservations; runs at creation,
// after new options, and when the timer fires. What it drops is released
// after the region is left.
void cs___SchedulerImpProcessFunc(PB_OBJ* obj) {
    auto* imp = reinterpret_cast<Imp*>(obj);
    pb::Ref<PB_DICT> dropped;
    pb::Ref<CS_SCHEDULER_OPTIONS> previous;
    std::vector<pb::Ref<PB_OBJ>> expired;
    pb::RegionExclusiveGuard guard(imp->intRegion);
    if (imp->extOptions != imp->intAppliedOptions) {
        previous = pb::adopt(imp->intAppliedOptions);
        imp->intAppliedOptions = csSchedulerOptionsRetain(imp->extOptions);
        auto store = pb::adopt(csSchedulerOptionsStore(imp->intAppliedOptions));
        trStreamSetConfiguration(imp->trStream, store.get());
        PB_INT length = slotLength(imp->intAppliedOptions);
        if (length != imp->intSlotLength) {
            imp->intSlotLength = length;
            dropped = pb::adopt(imp->intReservations);
            imp->intReservations = pbDictCreate();
            imp->intSlotByClient.clear();
        }
    }
    if (pbTimerScheduled(imp->intTimer)) return;
    PB_INT now = pbTimestamp();
    while (pbDictLength(imp->intReservations) > 0) {
        PB_INT k = pbDictIntKeyAt(imp->intReservations, 0);
        if (k > now) {
            pbTimerScheduleAt(imp->intTimer, k);
            break;
        }
        imp->intLastExecutedTimestamp = k;
        dropEarliest(imp, expired.emplace_back());
    }
}

// Reserves slot for the client and keeps the timer due at the earliest
// reservation. Runs with the region held.
PB_INT grant(Imp* imp, CS___SCHEDULER_CLIENT_IMP* clientImp, PB_INT time, PB_INT slot) {
    pbDictSetIntKey(&imp->intReservations, slot, cs___SchedulerClientImpObj(clientImp));
    imp->intSlotByClient[clientImp] = slot;
    if (pbDictIntKeyAt(imp->intReservations, 0) == slot) pbTimerScheduleAt(imp->intTimer, slot);
    return time;
}

// Gives up the client's reservation, if any; the dictionary's reference to
// the client goes to held. Runs with the region held.
void unreserve(Imp* imp, CS___SCHEDULER_CLIENT_IMP* clientImp, pb::Ref<PB_OBJ>& held) {
    auto it = imp->intSlotByClient.find(clientImp);
    if (it == imp->intSlotByClient.end()) return;
    held = pb::retain(cs___SchedulerClientImpObj(clientImp));
    pbDictDelIntKey(&imp->intReservations, it->second);
    imp->intSlotByClient.erase(it);
}

bool reserved(Imp* imp, PB_INT slot) { return pbDictHasIntKey(imp->intReservations, slot); }

}  // namespace

PB_SORT_DEFINE(cs___sort_CS___SCHEDULER_IMP, &cs___module, "CS___SCHEDULER_IMP", impFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(cs___SchedulerImp, CS___SCHEDULER_IMP, cs___sort_CS___SCHEDULER_IMP)

extern "C" PB_EXPORT CS___SCHEDULER_IMP* cs___SchedulerImpCreate(CS_SCHEDULER_OPTIONS* opt, TR_ANCHOR* anchor) {
    PB_ASSERT(opt);
    auto* imp = pb::createObject<Imp>(&cs___sort_CS___SCHEDULER_IMP);
    imp->trStream = trStreamCreateCstr("CS_SCHEDULER", -1);
    if (anchor) trAnchorComplete(anchor, imp->trStream);
    imp->isProcess = pb___ProcessCreate(0, cs___SchedulerImpProcessFunc, &imp->obj, "cs___SchedulerImpProcessFunc");
    imp->intTimer = pbTimerCreateWithProcess(imp->isProcess);
    imp->intRegion = pbRegionCreate();
    imp->intUpdateSignal = pbSignalCreate();
    imp->extOptions = csSchedulerOptionsRetain(opt);
    imp->intAppliedOptions = nullptr;
    imp->intSlotLength = -1;
    imp->intReservations = pbDictCreate();
    imp->intLastExecutedTimestamp = -1;
    cs___SchedulerImpProcessFunc(&imp->obj);
    return imp;
}

// The process is halted outside the region: a run waiting for the region
// on another thread must be able to finish, since the halt waits for it.
extern "C" PB_EXPORT void cs___SchedulerImpHalt(CS___SCHEDULER_IMP* imp) {
    PB_ASSERT(imp);
    {
        pb::RegionExclusiveGuard guard(imp->intRegion);
        PB_ASSERT(!pbProcessHalted( imp->isProcess ));
        trStreamTextCstr(imp->trStream, "[cs___SchedulerImpHalt()]", -1);
    }
    pbProcessHalt(imp->isProcess);
    pb::RegionExclusiveGuard guard(imp->intRegion);
    pbTimerUnschedule(imp->intTimer);
}

extern "C" PB_EXPORT void cs___SchedulerImpTraceCompleteAnchor(CS___SCHEDULER_IMP* imp, TR_ANCHOR* anchor) {
    PB_ASSERT(imp);
    PB_ASSERT(anchor);
    trAnchorComplete(anchor, imp->trStream);
}

extern "C" PB_EXPORT CS_SCHEDULER_OPTIONS* cs___SchedulerImpOptions(CS___SCHEDULER_IMP* imp) {
    PB_ASSERT(imp);
    pb::RegionSharedGuard guard(imp->intRegion);
    return csSchedulerOptionsRetain(imp->extOptions);
}

// The watchers hear of the change at once; the process applies it.
extern "C" PB_EXPORT void cs___SchedulerImpSetOptions(CS___SCHEDULER_IMP* imp, CS_SCHEDULER_OPTIONS* opt) {
    PB_ASSERT(imp);
    PB_ASSERT(opt);
    pb::Ref<CS_SCHEDULER_OPTIONS> previous;
    pb::Ref<PB_SIGNAL> fired;
    {
        pb::RegionExclusiveGuard guard(imp->intRegion);
        previous = pb::adopt(imp->extOptions);
        imp->extOptions = csSchedulerOptionsRetain(opt);
        fired = cs::takeUpdateSignal(imp->intUpdateSignal);
    }
    pbSignalAssert(fired.get());
    pbProcessSchedule(imp->isProcess);
}

extern "C" PB_EXPORT PB_INT cs___SchedulerImpSchedulerClientImpTrySchedule(CS___SCHEDULER_IMP* imp,
                                                                           CS___SCHEDULER_CLIENT_IMP* clientImp,
                                                                           PB_INT flags, PB_INT milliseconds,
                                                                           PB_INT millisecondsEarlier,
                                                                           PB_INT millisecondsLater) {
    PB_ASSERT(imp);
    PB_ASSERT(clientImp);
    PB_ASSERT(milliseconds >= 0);
    PB_ASSERT(millisecondsEarlier >= 0);
    PB_ASSERT(millisecondsEarlier <= milliseconds);
    PB_ASSERT(millisecondsLater >= 0);
    PB_ASSERT(PB_INT_ADD_OK( milliseconds, millisecondsLater ));
    flags = csSchedulerScheduleFlagsNormalize(flags);

    pb::Ref<PB_OBJ> given;  // the reservation this request gives up
    pb::RegionExclusiveGuard guard(imp->intRegion);
    unreserve(imp, clientImp, given);
    const PB_INT now = pbTimestamp();
    const PB_INT target = pbIntAddSaturating(now, milliseconds);
    const PB_INT last = SLOT(imp->intLastExecutedTimestamp);

    // The target's own slot.
    const PB_INT own = SLOT(target);
    if (own > last && !reserved(imp, own)) return grant(imp, clientImp, target, own);

    // Earlier slots, latest first, each at its last millisecond.
    const PB_INT earliest = pbIntSubSaturating(target, millisecondsEarlier);
    for (PB_INT t = own - 1; t >= earliest;) {
        PB_INT slot = SLOT(t);
        if (slot <= last) break;
        if (!reserved(imp, slot)) return grant(imp, clientImp, t, slot);
        t = slot - 1;
    }

    // Later slots, earliest first, each at its first millisecond; a slot
    // may start exactly at target + millisecondsLater.
    const PB_INT latest = pbIntAddSaturating(target, millisecondsLater);
    for (PB_INT slot = own;;) {
        if (!PB_INT_ADD_OK(slot, imp->intSlotLength)) break;
        slot += imp->intSlotLength;
        if (slot > latest) break;
        PB_ASSERT(slot > SLOT( imp->intLastExecutedTimestamp ));
        if (!reserved(imp, slot)) return grant(imp, clientImp, slot, slot);
    }

    if (!(flags & CS_SCHEDULER_SCHEDULE_FLAG_FORCE)) return -1;
    return pbIntAddSaturating(
        now, pbRandomNonNegativeIntRange(milliseconds - millisecondsEarlier, milliseconds + millisecondsLater));
}

extern "C" PB_EXPORT void cs___SchedulerImpSchedulerClientImpUnschedule(CS___SCHEDULER_IMP* imp,
                                                                        CS___SCHEDULER_CLIENT_IMP* clientImp) {
    PB_ASSERT(imp);
    PB_ASSERT(clientImp);
    pb::Ref<PB_OBJ> given;
    pb::RegionExclusiveGuard guard(imp->intRegion);
    unreserve(imp, clientImp, given);
}

extern "C" PB_EXPORT void cs___SchedulerImpUpdateAddSignalable(CS___SCHEDULER_IMP* imp, PB_SIGNALABLE* signalable) {
    PB_ASSERT(imp);
    pb::RegionSharedGuard guard(imp->intRegion);
    pbSignalAddSignalable(imp->intUpdateSignal, signalable);
}

extern "C" PB_EXPORT void cs___SchedulerImpUpdateDelSignalable(CS___SCHEDULER_IMP* imp, PB_SIGNALABLE* signalable) {
    PB_ASSERT(imp);
    pb::RegionSharedGuard guard(imp->intRegion);
    pbSignalDelSignalable(imp->intUpdateSignal, signalable);
}
