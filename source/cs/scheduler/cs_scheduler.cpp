// Schedulers: the public object, forwarding to its implementation.
#include "cs/scheduler/cs_scheduler.h"

#include "cs/base/cs_module.h"
#include "cs/scheduler/cs_scheduler_imp.h"
#include "pb/pb_stdfunc.hpp"

struct CS_SCHEDULER {
    PB_OBJ obj;
    CS___SCHEDULER_IMP* imp;  // set once at creation; never NULL
};

namespace {

// Halting first stops the process even while others still hold the
// implementation.
void schedulerFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_SCHEDULER);
    auto* sched = reinterpret_cast<CS_SCHEDULER*>(obj);
    cs___SchedulerImpHalt(sched->imp);
    pb::releaseField(sched->imp);
}

// The check every public operation makes before it forwards.
CS___SCHEDULER_IMP* impOf(CS_SCHEDULER* sched) {
    PB_ASSERT(sched);
    return sched->imp;
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_SCHEDULER, &cs___module, "CS_SCHEDULER", schedulerFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csScheduler, CS_SCHEDULER, cs___sort_CS_SCHEDULER)

extern "C" PB_EXPORT CS_SCHEDULER* csSchedulerCreate(CS_SCHEDULER_OPTIONS* opt, TR_ANCHOR* anchor) {
    PB_ASSERT(opt);
    auto* sched = reinterpret_cast<CS_SCHEDULER*>(pb___ObjCreate(sizeof(CS_SCHEDULER), &cs___sort_CS_SCHEDULER));
    sched->imp = cs___SchedulerImpCreate(opt, anchor);
    return sched;
}

extern "C" PB_EXPORT void csSchedulerTraceCompleteAnchor(CS_SCHEDULER* sched, TR_ANCHOR* anchor) {
    cs___SchedulerImpTraceCompleteAnchor(impOf(sched), anchor);
}

extern "C" PB_EXPORT CS_SCHEDULER_OPTIONS* csSchedulerOptions(CS_SCHEDULER* sched) {
    return cs___SchedulerImpOptions(impOf(sched));
}

extern "C" PB_EXPORT void csSchedulerSetOptions(CS_SCHEDULER* sched, CS_SCHEDULER_OPTIONS* opt) {
    cs___SchedulerImpSetOptions(impOf(sched), opt);
}

extern "C" PB_EXPORT void csSchedulerUpdateAddSignalable(CS_SCHEDULER* sched, PB_SIGNALABLE* signalable) {
    cs___SchedulerImpUpdateAddSignalable(impOf(sched), signalable);
}

extern "C" PB_EXPORT void csSchedulerUpdateDelSignalable(CS_SCHEDULER* sched, PB_SIGNALABLE* signalable) {
    cs___SchedulerImpUpdateDelSignalable(impOf(sched), signalable);
}

extern "C" PB_EXPORT PB_INT cs___SchedulerSchedulerClientImpTrySchedule(CS_SCHEDULER* sched,
                                                                        CS___SCHEDULER_CLIENT_IMP* clientImp,
                                                                        PB_INT flags, PB_INT milliseconds,
                                                                        PB_INT millisecondsEarlier,
                                                                        PB_INT millisecondsLater) {
    return cs___SchedulerImpSchedulerClientImpTrySchedule(impOf(sched), clientImp, flags, milliseconds,
                                                          millisecondsEarlier, millisecondsLater);
}

extern "C" PB_EXPORT void cs___SchedulerSchedulerClientImpUnschedule(CS_SCHEDULER* sched,
                                                                     CS___SCHEDULER_CLIENT_IMP* clientImp) {
    cs___SchedulerImpSchedulerClientImpUnschedule(impOf(sched), clientImp);
}
