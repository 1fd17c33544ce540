/* Signals: one-shot events that wake whoever waits on them.
 *
 * A signal starts unasserted. pbSignalAssert asserts it, once and for good:
 * every signalable added so far is notified exactly once and then
 * forgotten. A signalable added to a signal that is already asserted is
 * notified at once, so a waiter that checks and then adds never misses the
 * event. To hear the next event, the owner replaces the signal with a new
 * one and its listeners add themselves to that:
 *
 *     PB_SIGNAL* changed = pbSignalCreate();
 *     pbSignalAddSignalable( changed, mySignalable );   // listener
 *     ...
 *     pbSignalAssert( changed );                          // owner
 *     pbSignalRelease( changed );
 *     changed = pbSignalCreate();
 *
 * The signal holds a reference to each added signalable until it notifies
 * or removes it. Notifications run on the asserting (or adding) thread,
 * outside the signal's lock, so a signalable may touch the signal again. */
#ifndef PB_SIGNAL_H
#define PB_SIGNAL_H

#include "pb/pb_obj.h"

PB_BEGIN_DECLS

typedef struct PB_SIGNAL PB_SIGNAL;
typedef struct PB_SIGNALABLE PB_SIGNALABLE;

PB_STDFUNCS_DECLARE(pbSignal, PB_SIGNAL);

PB_EXPORT PB_SIGNAL* pbSignalCreate(void);

/* Asserts the signal and notifies its signalables; asserting an asserted
 * signal does nothing. */
PB_EXPORT void pbSignalAssert(PB_SIGNAL* sig);
PB_EXPORT PB_BOOL pbSignalAsserted(PB_SIGNAL* sig);
/* Whether the signal has signalables waiting for it. An owner that never
 * hands its signal out and adds signalables only under its own lock may,
 * under that lock, skip asserting and replacing a signal without
 * signalables: nobody could tell the difference. */
PB_EXPORT PB_BOOL pbSignalHasSignalables(PB_SIGNAL* sig);

/* Adds a signalable (once; adding it again changes nothing). On an asserted
 * signal the signalable is notified immediately instead. */
PB_EXPORT void pbSignalAddSignalable(PB_SIGNAL* sig, PB_SIGNALABLE* signalable);
/* Removes a signalable; one that is not there is ignored. */
PB_EXPORT void pbSignalDelSignalable(PB_SIGNAL* sig, PB_SIGNALABLE* signalable);

PB_END_DECLS

#endif
