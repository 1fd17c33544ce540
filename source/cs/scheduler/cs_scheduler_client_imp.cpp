// The scheduler client's implementation: its timer and its update signal.
#include "cs/scheduler/cs_scheduler_client_imp.h"

#include "cs/base/cs_module.h"
#include "cs/base/cs_update_signal.hpp"
#include "cs/scheduler/cs_scheduler.h"
#include "pb/pb_process.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_region.hpp"
#include "pb/pb_signal.h"
#include "pb/pb_stdfunc.hpp"
#include "pb/pb_timer.h"

struct CS___SCHEDULER_CLIENT_IMP {
    PB_OBJ obj;
    TR_STREAM* trStream;         // set once at creation
    PB_PROCESS* isProcess;       // set once at creation; runs cs___SchedulerClientImpProcessFunc
    PB_TIMER* intTimer;          // set once at creation; due at the granted time; guarded by intRegion
    PB_REGION* intRegion;        // set once at creation; guards intTimer and intUpdateSignal
    PB_SIGNAL* intUpdateSignal;  // asserted and replaced when the granted time arrives
};

namespace {

using Imp = CS___SCHEDULER_CLIENT_IMP;

void impFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS___SCHEDULER_CLIENT_IMP);
    auto* imp = reinterpret_cast<Imp*>(obj);
    pb::releaseField(imp->intUpdateSignal);
    pb::releaseField(imp->intRegion);
    pb::releaseField(imp->intTimer);  // the last reference unschedules it
    pb::releaseField(imp->isProcess);
    pb::releaseField(imp->trStream);
}

// Runs when the timer fires. A timer that is pending again was moved by a
// newer request after it fired; that request's time is the one to signal.
void cs___SchedulerClientImpProcessFunc(PB_OBJ* obj) {
    auto* imp = reinterpret_cast<Imp*>(obj);
    pb::Ref<PB_SIGNAL> fired;
    {
        pb::RegionExclusiveGuard guard(imp->intRegion);
        if (pbTimerScheduled(imp->intTimer)) return;
        fired = cs::takeUpdateSignal(imp->intUpdateSignal);
    }
    // Asserted outside the region, so a listener may ask again at once.
    pbSignalAssert(fired.get());
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS___SCHEDULER_CLIENT_IMP, &cs___module, "CS___SCHEDULER_CLIENT_IMP", impFree, nullptr,
               nullptr);
PB_STDFUNCS_DEFINE(cs___SchedulerClientImp, CS___SCHEDULER_CLIENT_IMP, cs___sort_CS___SCHEDULER_CLIENT_IMP)

extern "C" PB_EXPORT CS___SCHEDULER_CLIENT_IMP* cs___SchedulerClientImpCreate(TR_ANCHOR* anchor,
                                                                         CS_SCHEDULER* linkedScheduler) {
    auto* imp = reinterpret_cast<Imp*>(pb___ObjCreate(sizeof(Imp), &cs___sort_CS___SCHEDULER_CLIENT_IMP));
    imp->trStream = trStreamCreateCstr("CS_SCHEDULER_CLIENT", -1);
    if (anchor) trAnchorComplete(anchor, imp->trStream);
    if (linkedScheduler) {
        auto link = pb::adopt(trAnchorCreate(imp->trStream, 18));
        csSchedulerTraceCompleteAnchor(linkedScheduler, link.get());
    }
    imp->isProcess =
        pb___ProcessCreate(0, cs___SchedulerClientImpProcessFunc, &imp->obj, "cs___SchedulerClientImpProcessFunc");
    imp->intTimer = pbTimerCreateWithProcess(imp->isProcess);
    imp->intRegion = pbRegionCreate();
    imp->intUpdateSignal = pbSignalCreate();
    return imp;
}

// The process is halted outside the region: a run waiting for the region
// on another thread must be able to finish, since the halt waits for it.
extern "C" PB_EXPORT void cs___SchedulerClientImpHalt(CS___SCHEDULER_CLIENT_IMP* clientImp) {
    PB_ASSERT(clientImp);
    Imp* imp = clientImp;
    {
        pb::RegionExclusiveGuard guard(imp->intRegion);
        PB_ASSERT(!pbProcessHalted( imp->isProcess ));
        trStreamTextCstr(imp->trStream, "[cs___SchedulerClientImpHalt()]", -1);
    }
    pbProcessHalt(imp->isProcess);
}

extern "C" PB_EXPORT void cs___SchedulerClientImpTraceCompleteAnchor(CS___SCHEDULER_CLIENT_IMP* clientImp,
                                                                     TR_ANCHOR* anchor) {
    PB_ASSERT(clientImp);
    PB_ASSERT(anchor);
    trAnchorComplete(anchor, clientImp->trStream);
}

extern "C" PB_EXPORT PB_BOOL cs___SchedulerClientImpTrySchedule(CS___SCHEDULER_CLIENT_IMP* clientImp,
                                                                CS_SCHEDULER* sched, PB_INT flags, PB_INT milliseconds,
                                                                PB_INT millisecondsEarlier, PB_INT millisecondsLater) {
    PB_ASSERT(clientImp);
    PB_ASSERT(sched);
    pb::RegionExclusiveGuard guard(clientImp->intRegion);
    PB_INT time = cs___SchedulerSchedulerClientImpTrySchedule(sched, clientImp, flags, milliseconds,
                                                              millisecondsEarlier, millisecondsLater);
    if (time == -1) return PB_FALSE;
    pbTimerScheduleAt(clientImp->intTimer, time);
    return PB_TRUE;
}

extern "C" PB_EXPORT void cs___SchedulerClientImpUnschedule(CS___SCHEDULER_CLIENT_IMP* clientImp,
                                                            CS_SCHEDULER* sched) {
    PB_ASSERT(clientImp);
    PB_ASSERT(sched);
    pb::RegionExclusiveGuard guard(clientImp->intRegion);
    cs___SchedulerSchedulerClientImpUnschedule(sched, clientImp);
    pbTimerUnschedule(clientImp->intTimer);
}

extern "C" PB_EXPORT PB_BOOL cs___SchedulerClientImpScheduled(CS___SCHEDULER_CLIENT_IMP* clientImp) {
    PB_ASSERT(clientImp);
    pb::RegionSharedGuard guard(clientImp->intRegion);
    return pbTimerScheduled(clientImp->intTimer);
}

extern "C" PB_EXPORT void cs___SchedulerClientImpUpdateAddSignalable(CS___SCHEDULER_CLIENT_IMP* clientImp,
                                                                     PB_SIGNALABLE* signalable) {
    PB_ASSERT(clientImp);
    pb::RegionSharedGuard guard(clientImp->intRegion);
    pbSignalAddSignalable(clientImp->intUpdateSignal, signalable);
}

extern "C" PB_EXPORT void cs___SchedulerClientImpUpdateDelSignalable(CS___SCHEDULER_CLIENT_IMP* clientImp,
                                                                     PB_SIGNALABLE* signalable) {
    PB_ASSERT(clientImp);
    pb::RegionSharedGuard guard(clientImp->intRegion);
    pbSignalDelSignalable(clientImp->intUpdateSignal, signalable);
}
