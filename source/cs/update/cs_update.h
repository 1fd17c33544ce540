/* Updates (CS_UPDATE): a configuration store under migration, with the
 * operations that update functions use to read and rewrite it.
 *
 * The store has the layout of a gathered configuration. An update touches
 * two of its keys: "modules"/<module name>/"version", the version of the
 * module that wrote the module's part, and "objects"/<object name>, the
 * object entries (see cs_update_object.h).
 *
 * A caller migrates a configuration like this:
 *
 *     CS_UPDATE* update = csUpdateCreate( loaded );
 *     csUpdateTableUpdate( &update );            // every registered update
 *     PB_STORE* migrated = csUpdateCurrent( update );
 *     csUpdateRelease( update );
 *
 * and an update function rewrites what it must and records its module's
 * new version:
 *
 *     CS_UPDATE_OBJECTS* uos = csUpdateObjectsBySortName( *update, sortName );
 *     ... csUpdateSetObject( update, name, changed ); ...
 *     csUpdateSetModuleVersion( update, myModule, newVersion );
 *
 * Updates are values: every changing operation takes the address of the
 * caller's handle and copies first when another holder shares the update.
 * Bad data in the store is never a failure: an invalid object entry reads
 * as NULL and is left out of collections, a version text that does not
 * parse reads as NULL. The key strings exist between cs___UpdateStartup
 * and cs___UpdateShutdown, which the module's lifecycle calls. */
#ifndef CS_UPDATE_H
#define CS_UPDATE_H

#include "cs/update/cs_update_object.h"
#include "cs/update/cs_update_objects.h"
#include "pb/pb_module.h"
#include "pb/pb_module_version.h"

PB_BEGIN_DECLS

typedef struct CS_UPDATE CS_UPDATE;

extern PB_EXPORT PB_SORT cs___sort_CS_UPDATE;
PB_STDFUNCS_DECLARE(csUpdate, CS_UPDATE);

/* A new update over current (retained). */
PB_EXPORT CS_UPDATE* csUpdateCreate(PB_STORE* current);
PB_EXPORT CS_UPDATE* csUpdateCreateFrom(CS_UPDATE* source);

PB_EXPORT PB_STORE* csUpdateCurrent(CS_UPDATE* update);
PB_EXPORT void csUpdateSetCurrent(CS_UPDATE** update, PB_STORE* current);

/* The version recorded for the module, or NULL. Precondition:
 * pbModuleNameOk( moduleName ). */
PB_EXPORT PB_MODULE_VERSION* csUpdateModuleVersionByName(CS_UPDATE* update, PB_STRING* moduleName);
PB_EXPORT PB_MODULE_VERSION* csUpdateModuleVersion(CS_UPDATE* update, PB_MODULE* module);
/* Records version, creating "modules" and the module's store as needed. */
PB_EXPORT void csUpdateSetModuleVersionByName(CS_UPDATE** update, PB_STRING* moduleName,
                                              PB_MODULE_VERSION* version);
PB_EXPORT void csUpdateSetModuleVersion(CS_UPDATE** update, PB_MODULE* module, PB_MODULE_VERSION* version);
/* Removes the version; a module store or "modules" left empty goes too. */
PB_EXPORT void csUpdateDelModuleVersionByName(CS_UPDATE** update, PB_STRING* moduleName);
PB_EXPORT void csUpdateDelModuleVersion(CS_UPDATE** update, PB_MODULE* module);

/* The entry "objects"/objectName as an update object, or NULL when absent
 * or invalid. Precondition: csObjectRecordNameOk( objectName ). */
PB_EXPORT CS_UPDATE_OBJECT* csUpdateObject(CS_UPDATE* update, PB_STRING* objectName);
/* Replaces the entry whole by csUpdateObjectStore( updateObject ). */
PB_EXPORT void csUpdateSetObject(CS_UPDATE** update, PB_STRING* objectName, CS_UPDATE_OBJECT* updateObject);
/* Removes the entry; "objects" left empty goes too. */
PB_EXPORT void csUpdateDelObject(CS_UPDATE** update, PB_STRING* objectName);

/* Every valid object entry. */
PB_EXPORT CS_UPDATE_OBJECTS* csUpdateObjects(CS_UPDATE* update);
/* The valid entries whose update object names the sort (a wrapped entry
 * counts under the wrapped object's sort). Precondition:
 * pbNameUpperCaseOk( sortName, PB_TRUE ). */
PB_EXPORT CS_UPDATE_OBJECTS* csUpdateObjectsBySortName(CS_UPDATE* update, PB_STRING* sortName);
PB_EXPORT CS_UPDATE_OBJECTS* csUpdateObjectsBySort(CS_UPDATE* update, PB_SORT* sort);

PB_EXPORT void cs___UpdateStartup(void);
PB_EXPORT void cs___UpdateShutdown(void);

PB_END_DECLS

#endif
