/* Status items (CS_STATUS_ITEM): one typed, immutable value that a module
 * or an object reports about itself.
 *
 * An item is a boolean, an integer, a string, a store or a byte buffer
 * (cs_status_item_type.h). It is made once with the Create function of its
 * type and never changes; the object values are shared, not copied.
 *
 *     CS_STATUS_ITEM* up = csStatusItemCreateBool( PB_TRUE );
 *     if ( csStatusItemHasBoolValue( up ) ) ... csStatusItemBoolValue( up ) ...
 *     PB_STORE* store = csStatusItemStore( up );     // {"type":..,"value":..}
 *     CS_STATUS_ITEM* back = csStatusItemRestore( store );   // NULL if malformed
 *
 * Reading an item as another type is not an error: the boolean reader gives
 * PB_FALSE, the object readers NULL, and the integer reader gives the int
 * field as it stands, which is PB_INT_MIN for every non-integer item.
 *
 * Items compare by type, then by value (booleans and integers as numbers,
 * object values with pbObjCompare), so equal values are equal items. */
#ifndef CS_STATUS_ITEM_H
#define CS_STATUS_ITEM_H

#include "cs/status/cs_status_item_type.h"
#include "pb/pb_buffer.h"
#include "pb/pb_store.h"
#include "pb/pb_string.h"
#include "tr/tr_property_value.h"

PB_BEGIN_DECLS

typedef struct CS_STATUS_ITEM CS_STATUS_ITEM;

extern PB_EXPORT PB_SORT cs___sort_CS_STATUS_ITEM;
PB_STDFUNCS_DECLARE(csStatusItem, CS_STATUS_ITEM);

/* Any non-zero value is stored as PB_TRUE. */
PB_EXPORT CS_STATUS_ITEM* csStatusItemCreateBool(PB_BOOL value);
PB_EXPORT CS_STATUS_ITEM* csStatusItemCreateInt(PB_INT value);
/* The item keeps a reference to its value. Preconditions: not NULL. */
PB_EXPORT CS_STATUS_ITEM* csStatusItemCreateString(PB_STRING* string);
PB_EXPORT CS_STATUS_ITEM* csStatusItemCreateStore(PB_STORE* store);
PB_EXPORT CS_STATUS_ITEM* csStatusItemCreateBuffer(PB_BUFFER* buffer);

PB_EXPORT PB_INT csStatusItemType(CS_STATUS_ITEM* item);
PB_EXPORT PB_BOOL csStatusItemHasBoolValue(CS_STATUS_ITEM* item);
PB_EXPORT PB_BOOL csStatusItemHasIntValue(CS_STATUS_ITEM* item);
PB_EXPORT PB_BOOL csStatusItemHasStringValue(CS_STATUS_ITEM* item);
PB_EXPORT PB_BOOL csStatusItemHasStoreValue(CS_STATUS_ITEM* item);
PB_EXPORT PB_BOOL csStatusItemHasBufferValue(CS_STATUS_ITEM* item);

PB_EXPORT PB_BOOL csStatusItemBoolValue(CS_STATUS_ITEM* item);
PB_EXPORT PB_INT csStatusItemIntValue(CS_STATUS_ITEM* item);
/* A new reference to the value, or NULL for an item of another type. */
PB_EXPORT PB_STRING* csStatusItemStringValue(CS_STATUS_ITEM* item);
PB_EXPORT PB_STORE* csStatusItemStoreValue(CS_STATUS_ITEM* item);
PB_EXPORT PB_BUFFER* csStatusItemBufferValue(CS_STATUS_ITEM* item);

/* A trace property value of the same type and value. */
PB_EXPORT TR_PROPERTY_VALUE* csStatusItemToTrPropertyValue(CS_STATUS_ITEM* item);

/* Store form: "type" (the type's literal name) and "value" (a boolean, an
 * integer, a string, a sub-store, or for a buffer its base64 text). */
PB_EXPORT PB_STORE* csStatusItemStore(CS_STATUS_ITEM* item);
/* NULL when "type" or "value" is absent, unknown or of the wrong kind, or
 * when a buffer's text is not canonical base64. */
PB_EXPORT CS_STATUS_ITEM* csStatusItemRestore(PB_STORE* store);

PB_END_DECLS

#endif
