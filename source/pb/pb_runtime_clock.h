/* The runtime's clock modes and its executor.
 *
 * Threaded mode (the default): pbTimestamp is monotonic milliseconds, two
 * worker threads run scheduled processes and one timer thread fires timers.
 * The threads start when the first process or timer is scheduled;
 * pbRuntimeExecutorShutdown stops and joins them (processes and timers
 * still scheduled stay so, and the threads start again when needed). The
 * host calls it before it exits.
 *
 * Manual mode (tests, simulation): pbTimestamp is a virtual clock that moves
 * only in pbRuntimeManualAdvance, and nothing runs in the background. Every
 * process and timer runs on the thread that calls pbRuntimeManualAdvance or
 * pbRuntimeManualRunPending, so a run is deterministic:
 *
 *     pbRuntimeSetManualClock( PB_TRUE );   // first, before scheduling
 *     ... create objects, schedule timers ...
 *     pbRuntimeManualAdvance( 3600 * 1000 ); // an hour, in milliseconds
 *
 * Advancing fires the due timers in order, stepping the clock to each
 * timer's due time as it fires it (a process woken by a timer sees
 * pbTimestamp equal to the timer's due time), and after each timer runs
 * every scheduled process until none is left; then the clock reaches its
 * target. pbRuntimeManualRunPending is an advance by 0 ms: it runs the
 * scheduled processes and the timers due now or earlier.
 *
 * pbRuntimeManualJump is the other way to move the clock, the one a busy
 * machine shows: the clock moves the whole distance in one step, and only
 * then do the timers that fell due fire, in order of due time, each once
 * and late (a process woken by one sees pbTimestamp at the new time, not at
 * its due time). A periodic task that has fallen behind is thus run once
 * and has to catch up by itself:
 *
 *     pbRuntimeManualJump( 5000 );   // one late run instead of five
 *
 * A timer that such a run schedules again for a time at or before the new
 * time fires again, as it would on a busy machine. */
#ifndef PB_RUNTIME_CLOCK_H
#define PB_RUNTIME_CLOCK_H

#include "pb/pb_types.h"

PB_BEGIN_DECLS

/* Switches the clock mode. Precondition: no process and no timer is
 * scheduled, and the caller is not a process or timer function. Switching
 * to the manual mode stops the executor's threads; the virtual clock starts
 * at the current pbTimestamp, and pbTimestamp never goes backwards when the
 * mode changes. */
PB_EXPORT void pbRuntimeSetManualClock(PB_BOOL manual);
PB_EXPORT PB_BOOL pbRuntimeManualClock(void);

/* Moves the virtual clock ms milliseconds forward, running what falls due.
 * Preconditions: manual mode, ms >= 0, not called from a process or timer
 * function (the calls do not nest), and no other thread is advancing. */
PB_EXPORT void pbRuntimeManualAdvance(PB_INT ms);
/* Moves the virtual clock ms milliseconds forward at once, then fires the
 * timers that fell due (each late, at the new time) and runs the scheduled
 * processes until nothing due is left. Preconditions as for
 * pbRuntimeManualAdvance. */
PB_EXPORT void pbRuntimeManualJump(PB_INT ms);
/* pbRuntimeManualAdvance( 0 ). */
PB_EXPORT void pbRuntimeManualRunPending(void);

/* Stops and joins the threaded mode's threads, after the runs in progress
 * finish. Idempotent. Precondition: not called from a process or timer
 * function. */
PB_EXPORT void pbRuntimeExecutorShutdown(void);

PB_END_DECLS

#endif
