// Scheduler intervals: the table of their literal names.
#include "cs/scheduler/cs_scheduler_interval.h"

#include "pb/pb_enum.h"
#include "pb/pb_stdfunc.hpp"

// Module-wide state: NULL before start-up, all-ones after shutdown. Built
// once at start-up and then only read, so it needs no lock.
namespace {
PB_ENUM* intervalEnum = nullptr;
}  // namespace

extern "C" PB_EXPORT void cs___SchedulerIntervalStartup(void) {
    static const char* const names[] = {
        "CS_SCHEDULER_INTERVAL_EVENTS_PER_MILLISECOND", "CS_SCHEDULER_INTERVAL_EVENTS_PER_SECOND",
        "CS_SCHEDULER_INTERVAL_EVENTS_PER_MINUTE",      "CS_SCHEDULER_INTERVAL_EVENTS_PER_HOUR",
        "CS_SCHEDULER_INTERVAL_MILLISECONDS_PER_EVENT", "CS_SCHEDULER_INTERVAL_SECONDS_PER_EVENT",
        "CS_SCHEDULER_INTERVAL_MINUTES_PER_EVENT",      "CS_SCHEDULER_INTERVAL_HOURS_PER_EVENT",
    };
    intervalEnum = pbEnumCreate();
    for (PB_INT iv = 0; iv < PB_INT(sizeof names / sizeof names[0]); ++iv)
        pbEnumSetEnumerantCstr(&intervalEnum, names[iv], -1, iv);
}

extern "C" PB_EXPORT void cs___SchedulerIntervalShutdown(void) { pb::releaseField(intervalEnum); }

extern "C" PB_EXPORT PB_STRING* csSchedulerIntervalToString(PB_INT iv) {
    PB_ASSERT(CS_SCHEDULER_INTERVAL_OK( iv ));
    return pbEnumGenerate(intervalEnum, iv);
}

extern "C" PB_EXPORT PB_INT csSchedulerIntervalFromString(PB_STRING* pbs) {
    PB_ASSERT(pbs);
    return pbEnumParse(intervalEnum, pbs);
}
