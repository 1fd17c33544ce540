/* The update table: every registered update, by date. csUpdateTableUpdate
 * hands an update to each of them, oldest date first:
 *
 *     CS_UPDATE* update = csUpdateCreate( loaded );
 *     csUpdateTableUpdate( &update );
 *     PB_STORE* migrated = csUpdateCurrent( update );
 *
 * The table compares no date with the configuration: every registered
 * update runs on every call and decides from the module versions recorded
 * in the store whether it has anything to do. Updates of one date run in
 * no fixed order among themselves.
 *
 * One monitor serialises registration, removal and runs; a run holds it
 * throughout, so the update functions of a run are called one after
 * another on the calling thread and must not create or release update
 * backends. */
#ifndef CS_UPDATE_TABLE_H
#define CS_UPDATE_TABLE_H

#include "cs/update/cs_update_record.h"

PB_BEGIN_DECLS

/* Runs every registered update on *update. Preconditions: update and
 * *update not NULL. */
PB_EXPORT void csUpdateTableUpdate(CS_UPDATE** update);

PB_EXPORT void cs___UpdateTableAddRecord(CS___UPDATE_RECORD* record);
PB_EXPORT void cs___UpdateTableDelRecord(CS___UPDATE_RECORD* record);

PB_EXPORT void cs___UpdateTableStartup(void);
PB_EXPORT void cs___UpdateTableShutdown(void);

PB_END_DECLS

#endif
