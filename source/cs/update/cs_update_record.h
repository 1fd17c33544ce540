/* Update records (CS___UPDATE_RECORD): one registered update, that is a
 * date, the function that migrates a configuration, and the argument it is
 * called with. Records are made by update backends (cs_update_backend.h)
 * and kept by the update table; they are set once at creation. */
#ifndef CS_UPDATE_RECORD_H
#define CS_UPDATE_RECORD_H

#include "cs/update/cs_update_backend.h"

PB_BEGIN_DECLS

typedef struct CS___UPDATE_RECORD CS___UPDATE_RECORD;

extern PB_EXPORT PB_SORT cs___sort_CS___UPDATE_RECORD;
PB_STDFUNCS_DECLARE(cs___UpdateRecord, CS___UPDATE_RECORD);

/* Preconditions: time and updateFunc not NULL. The argument is retained
 * when given. */
PB_EXPORT CS___UPDATE_RECORD* cs___UpdateRecordCreate(PB_TIME* time, CS_UPDATE_FUNC updateFunc, PB_OBJ* argument);
PB_EXPORT PB_TIME* cs___UpdateRecordTime(CS___UPDATE_RECORD* record);
/* Runs the update function on the caller's update handle. */
PB_EXPORT void cs___UpdateRecordUpdate(CS___UPDATE_RECORD* record, CS_UPDATE** update);

PB_END_DECLS

#endif
