/* Processes: a function with its object, run on the runtime's executor
 * whenever it is scheduled.
 *
 * An object that reacts to events owns a process made with its own update
 * function and itself as the argument, and hands the process to signalables,
 * alertables or timers (or schedules it directly). The runtime guarantees:
 *   - a process never runs twice at once;
 *   - schedules that arrive before a run coalesce into that one run;
 *   - a process scheduled while it runs runs once more afterwards;
 *   - after pbProcessHalt the function never starts again, and a run in
 *     progress on another thread has finished when pbProcessHalt returns
 *     (called from inside the function itself, it only marks the process
 *     halted); schedules after a halt are ignored.
 *
 * The process holds no reference to its object. The owner keeps the object
 * alive while the process may run and halts the process in its free
 * function, before it releases it:
 *
 *     static void thingFree( PB_OBJ* obj ) {
 *         THING* t = thingFrom( obj );
 *         pbProcessHalt( t->process );
 *         pbProcessRelease( t->process );
 *     }
 *
 * In the threaded clock mode processes run on a small pool of worker
 * threads; in the manual mode they run on the thread that drives the clock
 * (see pb_runtime_clock.h). */
#ifndef PB_PROCESS_H
#define PB_PROCESS_H

#include "pb/pb_obj.h"

PB_BEGIN_DECLS

typedef struct PB_PROCESS PB_PROCESS;

PB_STDFUNCS_DECLARE(pbProcess, PB_PROCESS);

/* A process that calls func( object ) when it runs. flags is reserved and
 * must be 0; name (UTF-8, may be NULL) appears in its string form. object
 * is not retained. Precondition: func not NULL. */
PB_EXPORT PB_PROCESS* pb___ProcessCreate(PB_INT flags, void (*func)(PB_OBJ* object), PB_OBJ* object,
                                         const char* name);

/* pb___ProcessCreate without the reserved flags: what modules call. */
PB_EXPORT PB_PROCESS* pbProcessCreate(void (*func)(PB_OBJ* object), PB_OBJ* object, const char* name);
/* Asks for one more run of the process; does nothing once it is halted. */
PB_EXPORT void pbProcessSchedule(PB_PROCESS* process);
/* Stops the process for good; see above for what it waits for. */
PB_EXPORT void pbProcessHalt(PB_PROCESS* process);
PB_EXPORT PB_BOOL pbProcessHalted(PB_PROCESS* process);
/* The name given at creation (empty when it was NULL). */
PB_EXPORT PB_STRING* pbProcessName(PB_PROCESS* process);

PB_END_DECLS

#endif
