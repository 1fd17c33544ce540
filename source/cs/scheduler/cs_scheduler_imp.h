/* The implementation object of schedulers (CS___SCHEDULER_IMP).
 *
 * Time is divided into slots of one length, computed from the options;
 * at most one client implementation reserves each slot. The slot that
 * contains t starts at t - (t rem length). Reservations are kept by slot
 * start, earliest first; the scheduler's timer fires at the earliest one,
 * and its process then closes every slot whose start has passed: the
 * latest such start becomes the last executed timestamp, and a slot that
 * starts at or before the slot of that timestamp is never granted again.
 *
 * A request (cs___SchedulerImpSchedulerClientImpTrySchedule) first gives
 * up the client's own reservation, then looks for a free open slot near
 * target = now + milliseconds: the target's own slot (granted at target);
 * else the nearest earlier slot whose last millisecond is not before
 * target - millisecondsEarlier (granted at that last millisecond); else the
 * nearest later slot whose start is not after target + millisecondsLater
 * (granted at its start). Without a free slot it gives -1, or with
 * CS_SCHEDULER_SCHEDULE_FLAG_FORCE a random time within the tolerance that
 * reserves nothing.
 *
 * New options take effect in the process: only a change of the slot
 * length drops the reservations (the clients' timers keep running).
 *
 * Every function may be called from any thread; a region guards the
 * state. The scheduler never calls into a client: a client holds its own
 * lock while it calls here (lock order client, then scheduler). The
 * public object (cs_scheduler.h) forwards every operation here. */
#ifndef CS_SCHEDULER_IMP_H
#define CS_SCHEDULER_IMP_H

#include "cs/scheduler/cs_scheduler_options.h"
#include "pb/pb_signalable.h"
#include "tr/tr_anchor.h"

PB_BEGIN_DECLS

typedef struct CS___SCHEDULER_IMP CS___SCHEDULER_IMP;
typedef struct CS___SCHEDULER_CLIENT_IMP CS___SCHEDULER_CLIENT_IMP;

extern PB_EXPORT PB_SORT cs___sort_CS___SCHEDULER_IMP;
PB_STDFUNCS_DECLARE(cs___SchedulerImp, CS___SCHEDULER_IMP);

/* A new implementation with opt applied; completes anchor (when not NULL)
 * with its trace stream. */
PB_EXPORT CS___SCHEDULER_IMP* cs___SchedulerImpCreate(CS_SCHEDULER_OPTIONS* opt, TR_ANCHOR* anchor);
/* Stops the process for good; called once, by the public object's free
 * function. */
PB_EXPORT void cs___SchedulerImpHalt(CS___SCHEDULER_IMP* imp);
PB_EXPORT void cs___SchedulerImpTraceCompleteAnchor(CS___SCHEDULER_IMP* imp, TR_ANCHOR* anchor);

PB_EXPORT CS_SCHEDULER_OPTIONS* cs___SchedulerImpOptions(CS___SCHEDULER_IMP* imp);
PB_EXPORT void cs___SchedulerImpSetOptions(CS___SCHEDULER_IMP* imp, CS_SCHEDULER_OPTIONS* opt);

/* The granted time (a pbTimestamp value) or -1. Preconditions:
 * milliseconds, millisecondsEarlier and millisecondsLater >= 0,
 * millisecondsEarlier <= milliseconds, milliseconds + millisecondsLater
 * does not overflow. */
PB_EXPORT PB_INT cs___SchedulerImpSchedulerClientImpTrySchedule(CS___SCHEDULER_IMP* imp,
                                                                CS___SCHEDULER_CLIENT_IMP* clientImp, PB_INT flags,
                                                                PB_INT milliseconds, PB_INT millisecondsEarlier,
                                                                PB_INT millisecondsLater);
/* Drops the client's reservation, if it holds one. */
PB_EXPORT void cs___SchedulerImpSchedulerClientImpUnschedule(CS___SCHEDULER_IMP* imp,
                                                             CS___SCHEDULER_CLIENT_IMP* clientImp);

/* A signalable added here is notified once, at the next setting of
 * options. */
PB_EXPORT void cs___SchedulerImpUpdateAddSignalable(CS___SCHEDULER_IMP* imp, PB_SIGNALABLE* signalable);
PB_EXPORT void cs___SchedulerImpUpdateDelSignalable(CS___SCHEDULER_IMP* imp, PB_SIGNALABLE* signalable);

PB_END_DECLS

#endif
