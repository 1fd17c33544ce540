/* Status objects (CS_STATUS): the live, observable status of one reporter.
 *
 * A status holds the current status items collection, an update signal
 * that is asserted at every change and then replaced by a fresh one, and an
 * end signal that is asserted once when the status is finished. Readers
 * take snapshots, which later changes never alter, and follow the changes
 * with a signalable that they add again after each notification:
 *
 *     CS_STATUS_ITEMS* items = csStatusItems( stat );      // snapshot
 *     csStatusUpdateAddSignalable( stat, signalable );     // hear the next change
 *     csStatusEndAddSignalable( stat, endSignalable );     // hear the end
 *     ... notified: release items, take a new snapshot, add again ...
 *
 * Statuses are written through a status reporter (cs_status_reporter.h);
 * the cs___Status writer functions are for the library's own classes. Every
 * change asserts the update signal, even one that leaves the items as they
 * were. Once ended, a status accepts no change; its items stay readable.
 *
 * Every function may be called from any thread. The update and end signals
 * are asserted while the status's lock is held exclusively: a signalable
 * may read the status and add itself again, but must not wait for another
 * thread that reads or changes the same status. */
#ifndef CS_STATUS_H
#define CS_STATUS_H

#include "cs/status/cs_status_items.h"
#include "pb/pb_signalable.h"

PB_BEGIN_DECLS

typedef struct CS_STATUS CS_STATUS;

extern PB_EXPORT PB_SORT cs___sort_CS_STATUS;
PB_STDFUNCS_DECLARE(csStatus, CS_STATUS);

/* The current items: a new reference to a collection that never changes. */
PB_EXPORT CS_STATUS_ITEMS* csStatusItems(CS_STATUS* stat);

/* Whether the status has ended. */
PB_EXPORT PB_BOOL csStatusEnd(CS_STATUS* stat);
PB_EXPORT void csStatusEndAddSignalable(CS_STATUS* stat, PB_SIGNALABLE* signalable);
PB_EXPORT void csStatusEndDelSignalable(CS_STATUS* stat, PB_SIGNALABLE* signalable);

/* A signalable added here is notified once, at the next change. */
PB_EXPORT void csStatusUpdateAddSignalable(CS_STATUS* stat, PB_SIGNALABLE* signalable);
PB_EXPORT void csStatusUpdateDelSignalable(CS_STATUS* stat, PB_SIGNALABLE* signalable);

/* Writer side. A new status is open and empty. Every change requires an
 * open status; names and items follow csStatusItemsSetItem. */
PB_EXPORT CS_STATUS* cs___StatusCreate(void);
PB_EXPORT void cs___StatusSetItem(CS_STATUS* stat, PB_STRING* name, CS_STATUS_ITEM* item);
PB_EXPORT void cs___StatusDelItem(CS_STATUS* stat, PB_STRING* name);
/* Puts items in place of the whole collection. */
PB_EXPORT void cs___StatusSetItems(CS_STATUS* stat, CS_STATUS_ITEMS* items);
/* Ends the status for good: asserts the end and the update signal. */
PB_EXPORT void cs___StatusSetEnd(CS_STATUS* stat);

PB_END_DECLS

#endif
