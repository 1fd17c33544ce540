/* Scheduler options (CS_SCHEDULER_OPTIONS): the pace of a scheduler.
 *
 *   events    integer >= 1, default 1                         "events"
 *   interval  a CS_SCHEDULER_INTERVAL_... value, default      "interval" (its literal name)
 *             CS_SCHEDULER_INTERVAL_EVENTS_PER_MILLISECOND
 *
 * So the defaults pace one event per millisecond. Options are values:
 * setters take the address of the caller's handle and copy first when
 * another holder shares the object.
 *
 *     CS_SCHEDULER_OPTIONS* opt = csSchedulerOptionsCreate();
 *     csSchedulerOptionsSetEvents( &opt, 10 );
 *     csSchedulerOptionsSetInterval( &opt, CS_SCHEDULER_INTERVAL_EVENTS_PER_SECOND );
 *     PB_STORE* store = csSchedulerOptionsStore( opt );  // both keys, always
 *     CS_SCHEDULER_OPTIONS* back = csSchedulerOptionsRestore( store );
 *
 * Restore accepts any store: an "events" that is no integer >= 1 and an
 * "interval" that names no literal leave the defaults. */
#ifndef CS_SCHEDULER_OPTIONS_H
#define CS_SCHEDULER_OPTIONS_H

#include "cs/scheduler/cs_scheduler_interval.h"
#include "pb/pb_store.h"

PB_BEGIN_DECLS

typedef struct CS_SCHEDULER_OPTIONS CS_SCHEDULER_OPTIONS;

extern PB_EXPORT PB_SORT cs___sort_CS_SCHEDULER_OPTIONS;
PB_STDFUNCS_DECLARE(csSchedulerOptions, CS_SCHEDULER_OPTIONS);

PB_EXPORT CS_SCHEDULER_OPTIONS* csSchedulerOptionsCreate(void);
PB_EXPORT CS_SCHEDULER_OPTIONS* csSchedulerOptionsCreateFrom(CS_SCHEDULER_OPTIONS* source);

PB_EXPORT PB_INT csSchedulerOptionsEvents(CS_SCHEDULER_OPTIONS* opt);
/* Precondition: events >= 1. */
PB_EXPORT void csSchedulerOptionsSetEvents(CS_SCHEDULER_OPTIONS** opt, PB_INT events);
PB_EXPORT PB_INT csSchedulerOptionsInterval(CS_SCHEDULER_OPTIONS* opt);
/* Precondition: CS_SCHEDULER_INTERVAL_OK( iv ). */
PB_EXPORT void csSchedulerOptionsSetInterval(CS_SCHEDULER_OPTIONS** opt, PB_INT iv);

PB_EXPORT PB_STORE* csSchedulerOptionsStore(CS_SCHEDULER_OPTIONS* opt);
/* Never NULL. Precondition: store not NULL. */
PB_EXPORT CS_SCHEDULER_OPTIONS* csSchedulerOptionsRestore(PB_STORE* store);

PB_END_DECLS

#endif
