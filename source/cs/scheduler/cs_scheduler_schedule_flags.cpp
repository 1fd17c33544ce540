// Schedule flags: normalisation and the table of their names.
#include "cs/scheduler/cs_scheduler_schedule_flags.h"

#include "pb/pb_flagset.h"
#include "pb/pb_stdfunc.hpp"

// Module-wide state: NULL before start-up, all-ones after shutdown. Built
// once at start-up and then only read, so it needs no lock.
PB_FLAGSET* cs___SchedulerScheduleFlagsFlagset = nullptr;

extern "C" PB_EXPORT void cs___SchedulerScheduleFlagsStartup(void) {
    cs___SchedulerScheduleFlagsFlagset = pbFlagsetCreate();
    PB_ASSERT(!pbFlagsetHasFlagCstr( *(&cs___SchedulerScheduleFlagsFlagset), "CS_SCHEDULER_SCHEDULE_FLAG_FORCE", -1 ));
    pbFlagsetSetFlagCstr(&cs___SchedulerScheduleFlagsFlagset, "CS_SCHEDULER_SCHEDULE_FLAG_FORCE", -1,
                         CS_SCHEDULER_SCHEDULE_FLAG_FORCE);
}

extern "C" PB_EXPORT void cs___SchedulerScheduleFlagsShutdown(void) {
    pb::releaseField(cs___SchedulerScheduleFlagsFlagset);
}

extern "C" PB_EXPORT PB_INT csSchedulerScheduleFlagsNormalize(PB_INT flags) {
    return flags & CS_SCHEDULER_SCHEDULE_FLAG_FORCE;
}

extern "C" PB_EXPORT PB_STRING* csSchedulerScheduleFlagsToString(PB_INT flags) {
    return pbFlagsetGenerate(cs___SchedulerScheduleFlagsFlagset, csSchedulerScheduleFlagsNormalize(flags));
}

extern "C" PB_EXPORT PB_INT csSchedulerScheduleFlagsFromString(PB_STRING* pbs) {
    PB_ASSERT(pbs);
    return csSchedulerScheduleFlagsNormalize(pbFlagsetParse(cs___SchedulerScheduleFlagsFlagset, pbs));
}
