/* The registration of the sort CS_SCHEDULER in the sort table: a
 * scheduler's configuration is the store form of its options. */
#ifndef CS_SCHEDULER_CS_H
#define CS_SCHEDULER_CS_H

#include "pb/pb_types.h"

PB_BEGIN_DECLS

PB_EXPORT void cs___SchedulerCsStartup(void);
PB_EXPORT void cs___SchedulerCsShutdown(void);

PB_END_DECLS

#endif
