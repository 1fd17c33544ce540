/* Update object collections (CS_UPDATE_OBJECTS): the object entries that an
 * update found in its configuration, by object name, in name order.
 *
 * A collection is made by the update (csUpdateObjects,
 * csUpdateObjectsBySortName) and never changes afterwards:
 *
 *     CS_UPDATE_OBJECTS* uos = csUpdateObjectsBySortName( update, sortName );
 *     for ( PB_INT i = 0; i < csUpdateObjectsLength( uos ); ++i ) {
 *         PB_STRING* name = csUpdateObjectsNameAt( uos, i );
 *         CS_UPDATE_OBJECT* uo = csUpdateObjectsObjectAt( uos, i );
 *         ...
 *     } */
#ifndef CS_UPDATE_OBJECTS_H
#define CS_UPDATE_OBJECTS_H

#include "cs/update/cs_update_object.h"
#include "pb/pb_dict.h"

PB_BEGIN_DECLS

typedef struct CS_UPDATE_OBJECTS CS_UPDATE_OBJECTS;

extern PB_EXPORT PB_SORT cs___sort_CS_UPDATE_OBJECTS;
PB_STDFUNCS_DECLARE(csUpdateObjects, CS_UPDATE_OBJECTS);

PB_EXPORT PB_INT csUpdateObjectsLength(CS_UPDATE_OBJECTS* uos);
/* Precondition: 0 <= index < length. */
PB_EXPORT PB_STRING* csUpdateObjectsNameAt(CS_UPDATE_OBJECTS* uos, PB_INT index);
PB_EXPORT CS_UPDATE_OBJECT* csUpdateObjectsObjectAt(CS_UPDATE_OBJECTS* uos, PB_INT index);

/* A collection over dict (object name -> update object), retained. */
PB_EXPORT CS_UPDATE_OBJECTS* cs___UpdateObjectsCreate(PB_DICT* dict);

PB_END_DECLS

#endif
