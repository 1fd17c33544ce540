/* Status item types: which kind of value a status item carries.
 *
 *   CS_STATUS_ITEM_TYPE_BOOL    0   a boolean
 *   CS_STATUS_ITEM_TYPE_INT     1   a signed 64-bit integer
 *   CS_STATUS_ITEM_TYPE_STRING  2   a string
 *   CS_STATUS_ITEM_TYPE_STORE   3   a store
 *   CS_STATUS_ITEM_TYPE_BUFFER  4   a byte buffer
 *
 * The literal names are the text form of a type, for example in the store
 * form of an item:
 *
 *     PB_STRING* name = csStatusItemTypeToString( CS_STATUS_ITEM_TYPE_INT );
 *     PB_INT type = csStatusItemTypeFromString( name );    // 1
 *     if ( !CS_STATUS_ITEM_TYPE_OK( type ) ) ...           // unknown name
 *
 * The name table exists between cs___StatusItemTypeStartup and
 * cs___StatusItemTypeShutdown, which the module's lifecycle calls. */
#ifndef CS_STATUS_ITEM_TYPE_H
#define CS_STATUS_ITEM_TYPE_H

#include "pb/pb_string.h"

PB_BEGIN_DECLS

#define CS_STATUS_ITEM_TYPE_BOOL 0
#define CS_STATUS_ITEM_TYPE_INT 1
#define CS_STATUS_ITEM_TYPE_STRING 2
#define CS_STATUS_ITEM_TYPE_STORE 3
#define CS_STATUS_ITEM_TYPE_BUFFER 4

#define CS_STATUS_ITEM_TYPE_OK(type) ((type) >= CS_STATUS_ITEM_TYPE_BOOL && (type) <= CS_STATUS_ITEM_TYPE_BUFFER)

/* The literal name of type. Precondition: CS_STATUS_ITEM_TYPE_OK( type ). */
PB_EXPORT PB_STRING* csStatusItemTypeToString(PB_INT type);
/* The type named by string; a name that is none of the five gives a value
 * outside CS_STATUS_ITEM_TYPE_OK. Precondition: string not NULL. */
PB_EXPORT PB_INT csStatusItemTypeFromString(PB_STRING* string);

PB_EXPORT void cs___StatusItemTypeStartup(void);
PB_EXPORT void cs___StatusItemTypeShutdown(void);

PB_END_DECLS

#endif
