/* Update backends (CS_UPDATE_BACKEND): the registration handle of an
 * update. Creating one adds the update to the update table under its date;
 * releasing the last reference removes it again. A module keeps its backend
 * for as long as its update is to stay registered:
 *
 *     static void migrate( PB_OBJ* argument, CS_UPDATE** update ) {
 *         PB_MODULE_VERSION* version = csUpdateModuleVersion( *update, myModule );
 *         ...   // nothing to do when the version is recent enough
 *         csUpdateSetModuleVersion( update, myModule, newVersion );
 *     }
 *     CS_UPDATE_BACKEND* backend = csUpdateBackendCreateCstr( "2024-04-02", -1, migrate, NULL );
 *     ...
 *     csUpdateBackendRelease( backend );   // unregistered
 *
 * Dates are written "YYYY-MM-DD"; a text that is no date is a
 * precondition failure. Backends must not be created or released from
 * inside an update function. */
#ifndef CS_UPDATE_BACKEND_H
#define CS_UPDATE_BACKEND_H

#include "cs/update/cs_update.h"
#include "pb/pb_time.h"

PB_BEGIN_DECLS

/* Called as updateFunc( argument, &update ), argument borrowed (NULL when
 * none was given). The function may replace the handle (every changing
 * operation of a shared update does) and must leave it non-NULL; the
 * caller owns whatever handle it leaves. It runs with the update table's
 * lock held, which is why it must not create or release backends. */
typedef void (*CS_UPDATE_FUNC)(PB_OBJ* argument, CS_UPDATE** update);

typedef struct CS_UPDATE_BACKEND CS_UPDATE_BACKEND;

extern PB_EXPORT PB_SORT cs___sort_CS_UPDATE_BACKEND;
PB_STDFUNCS_DECLARE(csUpdateBackend, CS_UPDATE_BACKEND);

/* Preconditions: time and updateFunc not NULL; argument may be NULL. */
PB_EXPORT CS_UPDATE_BACKEND* csUpdateBackendCreate(PB_TIME* time, CS_UPDATE_FUNC updateFunc, PB_OBJ* argument);
PB_EXPORT CS_UPDATE_BACKEND* csUpdateBackendCreateCstr(const char* date, PB_INT length, CS_UPDATE_FUNC updateFunc,
                                                       PB_OBJ* argument);
PB_EXPORT CS_UPDATE_BACKEND* csUpdateBackendCreateWcstr(const wchar_t* date, PB_INT length,
                                                        CS_UPDATE_FUNC updateFunc, PB_OBJ* argument);

PB_END_DECLS

#endif
