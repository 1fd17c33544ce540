/* Terminate controls (CS_CONTROL_TERMINATE): a one-way switch saying that
 * the termination of its owner is desired.
 *
 * The owner, a component that can be asked to end, creates a control,
 * watches it and ends itself in its own way once the switch is set. The
 * switch is set through the control, or by anyone who knows the control's
 * identifier through the process-wide terminate database
 * (cs___ControlTerminateDbTerminateSetDesired, cs_control_terminate_db.h).
 * The control's trace stream "CS_CONTROL_TERMINATE" carries the identifier
 * ("csControlTerminateIdentifier") and the state ("csControlTerminateDesired").
 *
 *     CS_CONTROL_TERMINATE* term = csControlTerminateCreate( anchor );  // anchor may be NULL
 *     csControlTerminateDesiredAddSignalable( term, signalable );
 *     ... notified, or later: ...
 *     if ( csControlTerminateDesired( term ) ) ... end ...
 *     csControlTerminateRelease( term );   // its identifier no longer reaches it
 *
 * There is no way back once the switch is set. Every function may be
 * called from any thread; none takes a lock of the control. */
#ifndef CS_CONTROL_TERMINATE_H
#define CS_CONTROL_TERMINATE_H

#include "pb/pb_signalable.h"
#include "tr/tr_anchor.h"

PB_BEGIN_DECLS

typedef struct CS_CONTROL_TERMINATE CS_CONTROL_TERMINATE;

extern PB_EXPORT PB_SORT cs___sort_CS_CONTROL_TERMINATE;
PB_STDFUNCS_DECLARE(csControlTerminate, CS_CONTROL_TERMINATE);

/* A new control, not desired; completes anchor (when not NULL) with its
 * trace stream. */
PB_EXPORT CS_CONTROL_TERMINATE* csControlTerminateCreate(TR_ANCHOR* anchor);
PB_EXPORT void csControlTerminateTraceCompleteAnchor(CS_CONTROL_TERMINATE* term, TR_ANCHOR* anchor);

PB_EXPORT PB_BOOL csControlTerminateDesired(CS_CONTROL_TERMINATE* term);
PB_EXPORT void csControlTerminateSetDesired(CS_CONTROL_TERMINATE* term);

/* A signalable added here is notified once, when the switch is set (at
 * once when it already is). */
PB_EXPORT void csControlTerminateDesiredAddSignalable(CS_CONTROL_TERMINATE* term, PB_SIGNALABLE* signalable);
PB_EXPORT void csControlTerminateDesiredDelSignalable(CS_CONTROL_TERMINATE* term, PB_SIGNALABLE* signalable);

PB_END_DECLS

#endif
