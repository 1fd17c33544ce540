/* The implementation object of scheduler clients (CS___SCHEDULER_CLIENT_IMP).
 *
 * A client implementation owns a timer that is due at the time its
 * scheduler last granted; when the timer fires, the process asserts the
 * update signal (unless a newer request has already moved the timer). It
 * does not refer to its scheduler: the public object (cs_scheduler_client.h)
 * passes the scheduler into every call that needs it, and the client holds
 * its own region while it calls into the scheduler (lock order client,
 * then scheduler). Every function may be called from any thread. */
#ifndef CS_SCHEDULER_CLIENT_IMP_H
#define CS_SCHEDULER_CLIENT_IMP_H

#include "pb/pb_signalable.h"
#include "tr/tr_anchor.h"

PB_BEGIN_DECLS

typedef struct CS___SCHEDULER_CLIENT_IMP CS___SCHEDULER_CLIENT_IMP;
typedef struct CS_SCHEDULER CS_SCHEDULER;

extern PB_EXPORT PB_SORT cs___sort_CS___SCHEDULER_CLIENT_IMP;
PB_STDFUNCS_DECLARE(cs___SchedulerClientImp, CS___SCHEDULER_CLIENT_IMP);

/* Completes anchor (when not NULL) with the new trace stream. When
 * linkedScheduler is given, the new stream links to the scheduler's stream
 * through an anchor of kind 18; no reference to the scheduler is kept. */
PB_EXPORT CS___SCHEDULER_CLIENT_IMP* cs___SchedulerClientImpCreate(TR_ANCHOR* anchor, CS_SCHEDULER* linkedScheduler);
/* Stops the process for good; called once, by the public object's free
 * function. */
PB_EXPORT void cs___SchedulerClientImpHalt(CS___SCHEDULER_CLIENT_IMP* clientImp);
PB_EXPORT void cs___SchedulerClientImpTraceCompleteAnchor(CS___SCHEDULER_CLIENT_IMP* clientImp, TR_ANCHOR* anchor);

/* Asks sched for a time and, when one is granted, moves the timer there.
 * A refused request leaves the timer as it was. */
PB_EXPORT PB_BOOL cs___SchedulerClientImpTrySchedule(CS___SCHEDULER_CLIENT_IMP* clientImp, CS_SCHEDULER* sched,
                                                     PB_INT flags, PB_INT milliseconds, PB_INT millisecondsEarlier,
                                                     PB_INT millisecondsLater);
/* Gives up the reservation at sched and stops the timer. */
PB_EXPORT void cs___SchedulerClientImpUnschedule(CS___SCHEDULER_CLIENT_IMP* clientImp, CS_SCHEDULER* sched);
/* True while the timer is pending. */
PB_EXPORT PB_BOOL cs___SchedulerClientImpScheduled(CS___SCHEDULER_CLIENT_IMP* clientImp);

/* A signalable added here is notified once, when the next granted time
 * arrives. */
PB_EXPORT void cs___SchedulerClientImpUpdateAddSignalable(CS___SCHEDULER_CLIENT_IMP* clientImp,
                                                          PB_SIGNALABLE* signalable);
PB_EXPORT void cs___SchedulerClientImpUpdateDelSignalable(CS___SCHEDULER_CLIENT_IMP* clientImp,
                                                          PB_SIGNALABLE* signalable);

PB_END_DECLS

#endif
