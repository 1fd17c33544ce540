/* Update objects (CS_UPDATE_OBJECT): one object entry of a configuration
 * store under migration, seen through its wrapping.
 *
 *   sortName     string, required      the object's sort; for a wrapped
 *                                      entry the wrapped object's sort
 *   protected    boolean, false        "protected"
 *   visible      boolean, true         "visible"
 *   wrappedMode  int, -1               -1: not wrapped; else a wrapped mode
 *   comment      string, optional      "comment"
 *   config       store, empty          "config"
 *   metaData     store, empty          "metaData"
 *
 * A plain entry holds "sort", "config", "protected", "visible", "comment"
 * and "metaData". A wrapped entry holds "sort" "CS_WRAPPED" and a "config"
 * store with "mode" (the wrapped mode's name), "sort" (the wrapped object's
 * sort) and "config" (its configuration); the flags, comment and meta data
 * stand in the outer entry. Other keys of an entry are neither read nor
 * written.
 *
 * Update objects are values: setters take the address of the caller's
 * handle and copy first when another holder shares the object.
 *
 *     CS_UPDATE_OBJECT* uo = csUpdateObjectTryRestore( entry );  // NULL: no valid entry
 *     csUpdateObjectSetWrappedMode( &uo, CS_WRAPPED_MODE_DISABLED );
 *     PB_STORE* rewritten = csUpdateObjectStore( uo );           // now a wrapped entry
 *
 * The key strings exist between cs___UpdateObjectStartup and
 * cs___UpdateObjectShutdown, which the module's lifecycle calls. */
#ifndef CS_UPDATE_OBJECT_H
#define CS_UPDATE_OBJECT_H

#include "pb/pb_store.h"
#include "pb/pb_string.h"

PB_BEGIN_DECLS

typedef struct CS_UPDATE_OBJECT CS_UPDATE_OBJECT;

extern PB_EXPORT PB_SORT cs___sort_CS_UPDATE_OBJECT;
PB_STDFUNCS_DECLARE(csUpdateObject, CS_UPDATE_OBJECT);

/* Precondition: pbNameUpperCaseOk( sortName, PB_TRUE ). */
PB_EXPORT CS_UPDATE_OBJECT* csUpdateObjectCreate(PB_STRING* sortName);
PB_EXPORT CS_UPDATE_OBJECT* csUpdateObjectCreateFrom(CS_UPDATE_OBJECT* source);

PB_EXPORT PB_STRING* csUpdateObjectSortName(CS_UPDATE_OBJECT* uo);
PB_EXPORT void csUpdateObjectSetSortName(CS_UPDATE_OBJECT** uo, PB_STRING* sortName);
PB_EXPORT PB_BOOL csUpdateObjectProtected(CS_UPDATE_OBJECT* uo);
PB_EXPORT void csUpdateObjectSetProtected(CS_UPDATE_OBJECT** uo, PB_BOOL flag);
PB_EXPORT PB_BOOL csUpdateObjectVisible(CS_UPDATE_OBJECT* uo);
PB_EXPORT void csUpdateObjectSetVisible(CS_UPDATE_OBJECT** uo, PB_BOOL flag);
/* -1 when the entry is not wrapped. */
PB_EXPORT PB_INT csUpdateObjectWrappedMode(CS_UPDATE_OBJECT* uo);
PB_EXPORT PB_BOOL csUpdateObjectHasWrappedMode(CS_UPDATE_OBJECT* uo);
/* Precondition: CS_WRAPPED_MODE_OK( wm ). */
PB_EXPORT void csUpdateObjectSetWrappedMode(CS_UPDATE_OBJECT** uo, PB_INT wm);
PB_EXPORT void csUpdateObjectDelWrappedMode(CS_UPDATE_OBJECT** uo);
PB_EXPORT PB_STRING* csUpdateObjectComment(CS_UPDATE_OBJECT* uo);
PB_EXPORT PB_BOOL csUpdateObjectHasComment(CS_UPDATE_OBJECT* uo);
PB_EXPORT void csUpdateObjectSetComment(CS_UPDATE_OBJECT** uo, PB_STRING* comment);
PB_EXPORT void csUpdateObjectDelComment(CS_UPDATE_OBJECT** uo);
PB_EXPORT PB_STORE* csUpdateObjectConfig(CS_UPDATE_OBJECT* uo);
PB_EXPORT void csUpdateObjectSetConfig(CS_UPDATE_OBJECT** uo, PB_STORE* config);
PB_EXPORT PB_STORE* csUpdateObjectMetaData(CS_UPDATE_OBJECT* uo);
PB_EXPORT void csUpdateObjectSetMetaData(CS_UPDATE_OBJECT** uo, PB_STORE* metaData);

/* The object entry: plain, or wrapped when a wrapped mode is set. */
PB_EXPORT PB_STORE* csUpdateObjectStore(CS_UPDATE_OBJECT* uo);
/* NULL when "sort" is absent or no upper-case name, or when a wrapped
 * entry lacks its inner "config" store or a valid inner "sort". */
PB_EXPORT CS_UPDATE_OBJECT* csUpdateObjectTryRestore(PB_STORE* store);

PB_EXPORT void cs___UpdateObjectStartup(void);
PB_EXPORT void cs___UpdateObjectShutdown(void);

PB_END_DECLS

#endif
