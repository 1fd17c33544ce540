/* Signalables: what a signal does when it is asserted.
 *
 * A signalable is created with its action and then added to one or more
 * signals; each signal notifies it once when asserted. Notifying
 *   - sets an alert           (pbSignalableCreateWithAlert),
 *   - schedules a process     (pbSignalableCreateWithProcess),
 *   - asserts another signal  (pbSignalableCreateWithSignal),
 *   - calls a function        (pbSignalableCreateWithCallback; for host code
 *                              and tests, on the notifying thread).
 * The signalable holds a reference to its alert, process or signal. */
#ifndef PB_SIGNALABLE_H
#define PB_SIGNALABLE_H

#include "pb/pb_obj.h"

PB_BEGIN_DECLS

typedef struct PB_SIGNALABLE PB_SIGNALABLE;
typedef struct PB_SIGNAL PB_SIGNAL;
typedef struct PB_ALERT PB_ALERT;
typedef struct PB_PROCESS PB_PROCESS;

PB_STDFUNCS_DECLARE(pbSignalable, PB_SIGNALABLE);

PB_EXPORT PB_SIGNALABLE* pbSignalableCreateWithAlert(PB_ALERT* alert);
PB_EXPORT PB_SIGNALABLE* pbSignalableCreateWithProcess(PB_PROCESS* process);
PB_EXPORT PB_SIGNALABLE* pbSignalableCreateWithSignal(PB_SIGNAL* signal);
/* Precondition: func not NULL. context is passed through untouched. */
PB_EXPORT PB_SIGNALABLE* pbSignalableCreateWithCallback(void (*func)(void* context), void* context);

PB_END_DECLS

#endif
