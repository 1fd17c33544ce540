/* Alerts: a level that can be set and unset, waking its alertables on
 * every change from unset to set.
 *
 * Unlike a signal, an alert is reusable and keeps its alertables: each
 * pbAlertSet of an unset alert notifies every registered alertable once;
 * setting a set alert does nothing; pbAlertUnset rearms it. An alertable
 * added to a set alert is notified at once, so nothing is missed between
 * looking at the alert and registering:
 *
 *     PB_ALERT* work = pbAlertCreate();
 *     pbAlertAddAlertable( work, alertableOfWorker );
 *     pbAlertSet( work );      // producer: the worker's process is scheduled
 *     pbAlertUnset( work );    // worker: before it takes the work
 *
 * The alert holds a reference to each alertable until it is removed.
 * Notifications run on the setting (or adding) thread, outside the
 * alert's lock. */
#ifndef PB_ALERT_H
#define PB_ALERT_H

#include "pb/pb_obj.h"

PB_BEGIN_DECLS

typedef struct PB_ALERT PB_ALERT;
typedef struct PB_ALERTABLE PB_ALERTABLE;

PB_STDFUNCS_DECLARE(pbAlert, PB_ALERT);

PB_EXPORT PB_ALERT* pbAlertCreate(void);

PB_EXPORT void pbAlertSet(PB_ALERT* alert);
PB_EXPORT void pbAlertUnset(PB_ALERT* alert);
PB_EXPORT PB_BOOL pbAlertIsSet(PB_ALERT* alert);

/* Registers an alertable (once; adding it again changes nothing). On a set
 * alert it is also notified immediately. */
PB_EXPORT void pbAlertAddAlertable(PB_ALERT* alert, PB_ALERTABLE* alertable);
/* Unregisters an alertable; one that is not there is ignored. */
PB_EXPORT void pbAlertDelAlertable(PB_ALERT* alert, PB_ALERTABLE* alertable);

PB_END_DECLS

#endif
