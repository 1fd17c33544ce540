/* The implementation object of terminate controls
 * (CS___CONTROL_TERMINATE_IMP).
 *
 * It holds a fresh identifier, a trace stream "CS_CONTROL_TERMINATE" with
 * the properties "csControlTerminateIdentifier" (the identifier's text) and
 * "csControlTerminateDesired", and a desired signal that is never replaced:
 * once asserted it stays so. It is registered in the terminate database
 * (cs_control_terminate_db.h) from its creation until its halt. Every
 * function may be called from any thread and takes no lock of its own. The
 * public object (cs_control_terminate.h) forwards every operation here. */
#ifndef CS_CONTROL_TERMINATE_IMP_H
#define CS_CONTROL_TERMINATE_IMP_H

#include "pb/pb_identifier.h"
#include "pb/pb_signalable.h"
#include "tr/tr_anchor.h"

PB_BEGIN_DECLS

typedef struct CS___CONTROL_TERMINATE_IMP CS___CONTROL_TERMINATE_IMP;

extern PB_EXPORT PB_SORT cs___sort_CS___CONTROL_TERMINATE_IMP;
PB_STDFUNCS_DECLARE(cs___ControlTerminateImp, CS___CONTROL_TERMINATE_IMP);

/* A new, registered implementation; completes anchor (when not NULL) with
 * its trace stream. */
PB_EXPORT CS___CONTROL_TERMINATE_IMP* cs___ControlTerminateImpCreate(TR_ANCHOR* anchor);
/* Unregisters from the database; called once, by the public object's free
 * function. */
PB_EXPORT void cs___ControlTerminateImpHalt(CS___CONTROL_TERMINATE_IMP* imp);
PB_EXPORT void cs___ControlTerminateImpTraceCompleteAnchor(CS___CONTROL_TERMINATE_IMP* imp, TR_ANCHOR* anchor);

PB_EXPORT PB_IDENTIFIER* cs___ControlTerminateImpIdentifier(CS___CONTROL_TERMINATE_IMP* imp);
PB_EXPORT PB_BOOL cs___ControlTerminateImpDesired(CS___CONTROL_TERMINATE_IMP* imp);
PB_EXPORT void cs___ControlTerminateImpSetDesired(CS___CONTROL_TERMINATE_IMP* imp);
PB_EXPORT void cs___ControlTerminateImpDesiredAddSignalable(CS___CONTROL_TERMINATE_IMP* imp,
                                                            PB_SIGNALABLE* signalable);
PB_EXPORT void cs___ControlTerminateImpDesiredDelSignalable(CS___CONTROL_TERMINATE_IMP* imp,
                                                            PB_SIGNALABLE* signalable);

PB_END_DECLS

#endif
