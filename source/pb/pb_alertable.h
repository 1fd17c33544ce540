/* Alertables: what an alert does each time it is set.
 *
 * Notifying schedules a process (pbAlertableCreateWithProcess) or calls a
 * function on the notifying thread (pbAlertableCreateWithCallback; for host
 * code and tests). The alertable holds a reference to its process. */
#ifndef PB_ALERTABLE_H
#define PB_ALERTABLE_H

#include "pb/pb_obj.h"

PB_BEGIN_DECLS

typedef struct PB_ALERTABLE PB_ALERTABLE;
typedef struct PB_PROCESS PB_PROCESS;

PB_STDFUNCS_DECLARE(pbAlertable, PB_ALERTABLE);

PB_EXPORT PB_ALERTABLE* pbAlertableCreateWithProcess(PB_PROCESS* process);
/* Precondition: func not NULL. context is passed through untouched. */
PB_EXPORT PB_ALERTABLE* pbAlertableCreateWithCallback(void (*func)(void* context), void* context);

PB_END_DECLS

#endif
