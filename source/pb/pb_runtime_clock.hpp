// The clock and the executor as seen from inside the runtime library:
// what processes, timers and pbTimestamp need from the clock, and what the
// clock needs from the run queue (pb_process.cpp) and the timer queue
// (pb_timer.cpp).
//
// Lock order of the executor, outermost first:
//   1. the clock's mode lock (mode changes and shutdown only; never held
//      while a process or timer function runs),
//   2. the run-queue lock and the timer-queue lock, which are leaves: they
//      are never held together, never held while calling a process, timer,
//      signal or callback function, and never held while releasing an
//      object whose free function takes a lock (a timer's free function
//      takes the timer-queue lock).
// The locks of signals, alerts, monitors and regions are never held while
// the executor is called from them: signals and alerts notify after they
// leave their lock.
#pragma once

#include "pb/pb_obj.h"

typedef struct PB_TIMER PB_TIMER;

namespace pb {

// pb_runtime_clock.cpp
PB_INT clockNow();
bool clockManual();
// Marks the calling thread as one of the executor's own (worker or timer).
void clockMarkExecutorThread();

// pb_process.cpp: the run queue.
// Runs the process at the head of the run queue on the calling thread;
// false when the queue is empty.
bool processRunNext();
bool processQueueEmpty();
// Stops and joins the worker threads (after their current runs).
void processWorkersStop();

// pb_timer.cpp: the timer queue.
// Unschedules the earliest timer due at or before limit and returns it with
// a new reference, its due time in *due; NULL when none is due.
PB_TIMER* timerTakeDue(PB_INT limit, PB_INT* due);
// Does what the timer does when it fires.
void timerFire(PB_TIMER* timer);
bool timerQueueEmpty();
// Stops and joins the timer thread.
void timerThreadStop();

}  // namespace pb
