/* Schedulers (CS_SCHEDULER): spread their clients' events over time at the
 * pace of their options (cs_scheduler_options.h).
 *
 * A scheduler divides time into slots of equal length and lets at most one
 * client (cs_scheduler_client.h) reserve each slot. The slot length in
 * milliseconds follows from the options' events e and interval:
 *
 *   EVENTS_PER_MILLISECOND  1            MILLISECONDS_PER_EVENT  e
 *   EVENTS_PER_SECOND       ceil(1000/e) SECONDS_PER_EVENT       e * 1000
 *   EVENTS_PER_MINUTE       ceil(60000/e) MINUTES_PER_EVENT      e * 60000
 *   EVENTS_PER_HOUR         ceil(86400000/e) HOURS_PER_EVENT     e * 86400000
 *
 * (the "hour" values use a day's length; products saturate; the length is
 * at least 1). Ten events per second give slots of 100 ms, three give
 * 334 ms.
 *
 *     CS_SCHEDULER* sched = csSchedulerCreate( opt, NULL );
 *     CS_SCHEDULER_CLIENT* client = csSchedulerClientCreate( sched, NULL );
 *     csSchedulerClientUpdateAddSignalable( client, signalable );
 *     if ( csSchedulerClientTrySchedule( client, 0, 500, 300, 0 ) ) ...
 *     csSchedulerSetOptions( sched, faster );   // for the next requests
 *
 * The scheduler is also the configurable sort CS_SCHEDULER, whose
 * configuration is the options' store form. Every function may be called
 * from any thread. Every client holds a reference to its scheduler. */
#ifndef CS_SCHEDULER_H
#define CS_SCHEDULER_H

#include "cs/scheduler/cs_scheduler_options.h"
#include "pb/pb_signalable.h"
#include "tr/tr_anchor.h"

PB_BEGIN_DECLS

typedef struct CS_SCHEDULER CS_SCHEDULER;
typedef struct CS___SCHEDULER_CLIENT_IMP CS___SCHEDULER_CLIENT_IMP;

extern PB_EXPORT PB_SORT cs___sort_CS_SCHEDULER;
PB_STDFUNCS_DECLARE(csScheduler, CS_SCHEDULER);

/* A scheduler pacing by opt; completes anchor (when not NULL) with its
 * trace stream, whose configuration is the options' store. */
PB_EXPORT CS_SCHEDULER* csSchedulerCreate(CS_SCHEDULER_OPTIONS* opt, TR_ANCHOR* anchor);
PB_EXPORT void csSchedulerTraceCompleteAnchor(CS_SCHEDULER* sched, TR_ANCHOR* anchor);

PB_EXPORT CS_SCHEDULER_OPTIONS* csSchedulerOptions(CS_SCHEDULER* sched);
/* Replaces the options and asserts the update signal; they apply before
 * the next request that the scheduler's process does not overtake. A new
 * slot length drops every reservation. */
PB_EXPORT void csSchedulerSetOptions(CS_SCHEDULER* sched, CS_SCHEDULER_OPTIONS* opt);

/* A signalable added here is notified once, at the next setting of
 * options. */
PB_EXPORT void csSchedulerUpdateAddSignalable(CS_SCHEDULER* sched, PB_SIGNALABLE* signalable);
PB_EXPORT void csSchedulerUpdateDelSignalable(CS_SCHEDULER* sched, PB_SIGNALABLE* signalable);

/* Used by the scheduler clients. */
PB_EXPORT PB_INT cs___SchedulerSchedulerClientImpTrySchedule(CS_SCHEDULER* sched, CS___SCHEDULER_CLIENT_IMP* clientImp,
                                                             PB_INT flags, PB_INT milliseconds,
                                                             PB_INT millisecondsEarlier, PB_INT millisecondsLater);
PB_EXPORT void cs___SchedulerSchedulerClientImpUnschedule(CS_SCHEDULER* sched, CS___SCHEDULER_CLIENT_IMP* clientImp);

PB_END_DECLS

#endif
