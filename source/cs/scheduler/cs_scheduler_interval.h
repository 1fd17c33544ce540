/* Scheduler intervals: how the number of events in scheduler options
 * (cs_scheduler_options.h) is read.
 *
 *   CS_SCHEDULER_INTERVAL_EVENTS_PER_MILLISECOND   0   events per millisecond
 *   CS_SCHEDULER_INTERVAL_EVENTS_PER_SECOND        1   events per second
 *   CS_SCHEDULER_INTERVAL_EVENTS_PER_MINUTE        2   events per minute
 *   CS_SCHEDULER_INTERVAL_EVENTS_PER_HOUR          3   events per hour (of a day's length, see cs_scheduler.h)
 *   CS_SCHEDULER_INTERVAL_MILLISECONDS_PER_EVENT   4   milliseconds between events
 *   CS_SCHEDULER_INTERVAL_SECONDS_PER_EVENT        5   seconds between events
 *   CS_SCHEDULER_INTERVAL_MINUTES_PER_EVENT        6   minutes between events
 *   CS_SCHEDULER_INTERVAL_HOURS_PER_EVENT          7   hours between events (of a day's length)
 *
 * The literal names are the text form of an interval:
 *
 *     PB_STRING* name = csSchedulerIntervalToString( CS_SCHEDULER_INTERVAL_EVENTS_PER_SECOND );
 *     PB_INT iv = csSchedulerIntervalFromString( name );    // 1
 *     if ( !CS_SCHEDULER_INTERVAL_OK( iv ) ) ...            // unknown name
 *
 * The name table exists between cs___SchedulerIntervalStartup and
 * cs___SchedulerIntervalShutdown, which the module's lifecycle calls. */
#ifndef CS_SCHEDULER_INTERVAL_H
#define CS_SCHEDULER_INTERVAL_H

#include "pb/pb_string.h"

PB_BEGIN_DECLS

#define CS_SCHEDULER_INTERVAL_EVENTS_PER_MILLISECOND 0
#define CS_SCHEDULER_INTERVAL_EVENTS_PER_SECOND 1
#define CS_SCHEDULER_INTERVAL_EVENTS_PER_MINUTE 2
#define CS_SCHEDULER_INTERVAL_EVENTS_PER_HOUR 3
#define CS_SCHEDULER_INTERVAL_MILLISECONDS_PER_EVENT 4
#define CS_SCHEDULER_INTERVAL_SECONDS_PER_EVENT 5
#define CS_SCHEDULER_INTERVAL_MINUTES_PER_EVENT 6
#define CS_SCHEDULER_INTERVAL_HOURS_PER_EVENT 7

#define CS_SCHEDULER_INTERVAL_OK(iv) \
    ((iv) >= CS_SCHEDULER_INTERVAL_EVENTS_PER_MILLISECOND && (iv) <= CS_SCHEDULER_INTERVAL_HOURS_PER_EVENT)

/* The literal name of iv. Precondition: CS_SCHEDULER_INTERVAL_OK( iv ). */
PB_EXPORT PB_STRING* csSchedulerIntervalToString(PB_INT iv);
/* The interval named by string; a name that is no literal gives a value
 * outside CS_SCHEDULER_INTERVAL_OK. Precondition: string not NULL. */
PB_EXPORT PB_INT csSchedulerIntervalFromString(PB_STRING* string);

PB_EXPORT void cs___SchedulerIntervalStartup(void);
PB_EXPORT void cs___SchedulerIntervalShutdown(void);

PB_END_DECLS

#endif
