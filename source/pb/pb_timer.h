/* Timers: wake a process, a signal or a function at a time on the runtime
 * clock.
 *
 * A timer is created with its target and scheduled for a delay
 * (pbTimerSchedule) or for a timestamp of pbTimestamp (pbTimerScheduleAt).
 * When it fires it schedules its process, asserts its signal or calls its
 * function (on the timer thread in the threaded clock mode, on the thread
 * that advances the clock in the manual mode), and is then unscheduled.
 * Scheduling a scheduled timer replaces the earlier due time.
 *
 * Timers fire at or after their due time, in order of due time, and timers
 * due at the same time fire in the order in which they were scheduled. A
 * due time in the past fires at the next opportunity. A periodic task is a
 * process that reschedules its own timer:
 *
 *     static void tick( PB_OBJ* obj ) {
 *         THING* t = thingFrom( obj );
 *         ...
 *         pbTimerSchedule( t->timer, 1000 );
 *     }
 *
 * The runtime holds no reference to a scheduled timer: releasing the last
 * reference unschedules it. The timer holds a reference to its process or
 * signal. */
#ifndef PB_TIMER_H
#define PB_TIMER_H

#include "pb/pb_obj.h"

PB_BEGIN_DECLS

typedef struct PB_TIMER PB_TIMER;
typedef struct PB_PROCESS PB_PROCESS;
typedef struct PB_SIGNAL PB_SIGNAL;

PB_STDFUNCS_DECLARE(pbTimer, PB_TIMER);

PB_EXPORT PB_TIMER* pbTimerCreateWithProcess(PB_PROCESS* process);
PB_EXPORT PB_TIMER* pbTimerCreateWithSignal(PB_SIGNAL* signal);
/* Precondition: func not NULL. context is passed through untouched. */
PB_EXPORT PB_TIMER* pbTimerCreateWithCallback(void (*func)(void* context), void* context);

/* Due ms milliseconds from now. Precondition: ms >= 0. */
PB_EXPORT void pbTimerSchedule(PB_TIMER* timer, PB_INT ms);
/* Due at a pbTimestamp value; one in the past fires as soon as it can. */
PB_EXPORT void pbTimerScheduleAt(PB_TIMER* timer, PB_INT timestamp);
/* Cancels a pending firing; an unscheduled timer is left alone. */
PB_EXPORT void pbTimerUnschedule(PB_TIMER* timer);
/* PB_TRUE from scheduling until it fires or is unscheduled. */
PB_EXPORT PB_BOOL pbTimerScheduled(PB_TIMER* timer);

PB_END_DECLS

#endif
