/* Scheduler clients (CS_SCHEDULER_CLIENT): ask their scheduler
 * (cs_scheduler.h) for a time to run one event.
 *
 * A request names a time about milliseconds from now and a tolerance of
 * millisecondsEarlier before it and millisecondsLater after it. The
 * scheduler grants the target itself when its slot is free, else the
 * nearest free earlier slot within the tolerance (at the slot's last
 * millisecond), else the nearest free later one (at its first
 * millisecond). At the granted time the client's update signal is
 * asserted: the owner's event may run.
 *
 *     CS_SCHEDULER_CLIENT* client = csSchedulerClientCreate( sched, NULL );
 *     csSchedulerClientUpdateAddSignalable( client, signalable );
 *     if ( !csSchedulerClientTrySchedule( client, 0, 1000, 200, 200 ) ) ...  // no free slot
 *     ... notified: run the event, add the signalable again, ask again ...
 *     csSchedulerClientRelease( client );   // gives up its reservation
 *
 * A request gives up the client's earlier reservation first; a refused one
 * leaves an earlier granted time running. With
 * CS_SCHEDULER_SCHEDULE_FLAG_FORCE a request that finds no free slot gets a
 * random time within its tolerance that reserves nothing.
 *
 * Note the name of the removing function: csSchedulerclientUpdateDelSignalable.
 * Every function may be called from any thread. */
#ifndef CS_SCHEDULER_CLIENT_H
#define CS_SCHEDULER_CLIENT_H

#include "cs/scheduler/cs_scheduler.h"
#include "cs/scheduler/cs_scheduler_schedule_flags.h"

PB_BEGIN_DECLS

typedef struct CS_SCHEDULER_CLIENT CS_SCHEDULER_CLIENT;

extern PB_EXPORT PB_SORT cs___sort_CS_SCHEDULER_CLIENT;
PB_STDFUNCS_DECLARE(csSchedulerClient, CS_SCHEDULER_CLIENT);

/* A client of sched; completes anchor (when not NULL) with its trace
 * stream, which links to the scheduler's. */
PB_EXPORT CS_SCHEDULER_CLIENT* csSchedulerClientCreate(CS_SCHEDULER* sched, TR_ANCHOR* anchor);
PB_EXPORT void csSchedulerClientTraceCompleteAnchor(CS_SCHEDULER_CLIENT* client, TR_ANCHOR* anchor);
PB_EXPORT CS_SCHEDULER* csSchedulerClientScheduler(CS_SCHEDULER_CLIENT* client);

/* True when a time was granted. Preconditions: milliseconds,
 * millisecondsEarlier and millisecondsLater >= 0; millisecondsEarlier <=
 * milliseconds; milliseconds + millisecondsLater does not overflow. */
PB_EXPORT PB_BOOL csSchedulerClientTrySchedule(CS_SCHEDULER_CLIENT* client, PB_INT flags, PB_INT milliseconds,
                                               PB_INT millisecondsEarlier, PB_INT millisecondsLater);
/* Gives up the reservation and stops the timer. */
PB_EXPORT void csSchedulerClientUnschedule(CS_SCHEDULER_CLIENT* client);
/* True while a granted time has not yet arrived. */
PB_EXPORT PB_BOOL csSchedulerClientScheduled(CS_SCHEDULER_CLIENT* client);

/* A signalable added here is notified once, when the next granted time
 * arrives. */
PB_EXPORT void csSchedulerClientUpdateAddSignalable(CS_SCHEDULER_CLIENT* client, PB_SIGNALABLE* signalable);
PB_EXPORT void csSchedulerclientUpdateDelSignalable(CS_SCHEDULER_CLIENT* client, PB_SIGNALABLE* signalable);

PB_END_DECLS

#endif
