/* Schedule flags: how a scheduler client's request is treated
 * (csSchedulerClientTrySchedule, cs_scheduler_client.h).
 *
 *   CS_SCHEDULER_SCHEDULE_FLAG_FORCE  1  a request that finds no free slot
 *                                        still gets a random time within its
 *                                        tolerance, reserving nothing
 *
 * Every other bit is dropped by csSchedulerScheduleFlagsNormalize. The text
 * form lists the names of the set flags:
 *
 *     PB_STRING* text = csSchedulerScheduleFlagsToString( CS_SCHEDULER_SCHEDULE_FLAG_FORCE );
 *     PB_INT flags = csSchedulerScheduleFlagsFromString( text );   // 1; unknown names add 0
 *
 * The name table exists between cs___SchedulerScheduleFlagsStartup and
 * cs___SchedulerScheduleFlagsShutdown, which the module's lifecycle calls. */
#ifndef CS_SCHEDULER_SCHEDULE_FLAGS_H
#define CS_SCHEDULER_SCHEDULE_FLAGS_H

#include "pb/pb_string.h"

PB_BEGIN_DECLS

#define CS_SCHEDULER_SCHEDULE_FLAG_FORCE 1

PB_EXPORT PB_INT csSchedulerScheduleFlagsNormalize(PB_INT flags);
PB_EXPORT PB_STRING* csSchedulerScheduleFlagsToString(PB_INT flags);
/* Precondition: string not NULL. */
PB_EXPORT PB_INT csSchedulerScheduleFlagsFromString(PB_STRING* string);

PB_EXPORT void cs___SchedulerScheduleFlagsStartup(void);
PB_EXPORT void cs___SchedulerScheduleFlagsShutdown(void);

PB_END_DECLS

#endif
