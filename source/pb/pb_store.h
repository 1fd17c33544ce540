/* Stores: the hierarchical value that every configuration is made of.
 *
 * A map store holds string, integer and boolean values and sub-stores under
 * string keys (addresses), ordered by key (code point order). An array store
 * (pbStoreCreateArray) holds the same kinds of entries in index order; its
 * addresses are the decimal indexes "0", "1", ... Every entry has a position
 * 0..length-1 (key order, or index order for arrays).
 *
 * Stores are values: the setters take the address of the caller's handle
 * and copy first when another holder shares the store. A change to a shared
 * store copies only the path to the changed entry (structural sharing), so a
 * change costs O(log n) however large the store is. A small store (up to
 * eight entries) is a single allocation, so a setter that adds or removes an
 * entry may replace even a sole holder's handle: keep using the handle as
 * the setter leaves it.
 *
 *     PB_STORE* s = pbStoreCreate();
 *     pbStoreSetValueCstr( &s, "name", -1, nameString );
 *     pbStoreSetValueIntCstr( &s, "count", -1, 3 );
 *     PB_STORE* sub = pbStoreCreateArray();
 *     pbStoreAppendValueBool( &sub, PB_TRUE );
 *     pbStoreSetStoreCstr( &s, "flags", -1, sub );
 *     PB_INT count;
 *     if ( pbStoreValueIntCstr( s, "count", -1, &count ) ) ...
 *
 * Reading a key that is absent or holds another type is normal: getters
 * return NULL or PB_FALSE. A key given to a setter must be a valid address
 * (pbStoreAddressOk): 1 to 1024 code points, none of them a control
 * character (U+0000-U+001F, U+007F-U+009F). Setting by key on an array
 * store, or appending to a map store, is a precondition failure.
 *
 * Stores compare by content: entries in position order, key first, then
 * type (string < int < bool < store), then value; arrays after maps. */
#ifndef PB_STORE_H
#define PB_STORE_H

#include "pb/pb_obj.h"

PB_BEGIN_DECLS

typedef struct PB_STORE PB_STORE;

#define PB_STORE_TYPE_NONE (-1)
#define PB_STORE_TYPE_STRING 0
#define PB_STORE_TYPE_INT 1
#define PB_STORE_TYPE_BOOL 2
#define PB_STORE_TYPE_STORE 3

PB_STDFUNCS_DECLARE(pbStore, PB_STORE);

PB_EXPORT PB_STORE* pbStoreCreate(void);
PB_EXPORT PB_STORE* pbStoreCreateArray(void);
PB_EXPORT PB_STORE* pbStoreCreateFrom(PB_STORE* source);

PB_EXPORT PB_BOOL pbStoreIsArray(PB_STORE* store);
PB_EXPORT PB_INT pbStoreLength(PB_STORE* store);

/* Address rule of keys. */
PB_EXPORT PB_BOOL pbStoreAddressOk(PB_STRING* address);
PB_EXPORT PB_BOOL pbStoreAddressOkCstr(const char* address, PB_INT length);

/* Keyed reads. On an array store the key is a decimal index. */
PB_EXPORT PB_BOOL pbStoreHasAddress(PB_STORE* store, PB_STRING* address);
PB_EXPORT PB_BOOL pbStoreHasAddressCstr(PB_STORE* store, const char* address, PB_INT length);
PB_EXPORT PB_INT pbStoreType(PB_STORE* store, PB_STRING* address);
PB_EXPORT PB_INT pbStoreTypeCstr(PB_STORE* store, const char* address, PB_INT length);
PB_EXPORT PB_STRING* pbStoreValue(PB_STORE* store, PB_STRING* address);
PB_EXPORT PB_STRING* pbStoreValueCstr(PB_STORE* store, const char* address, PB_INT length);
PB_EXPORT PB_BOOL pbStoreValueInt(PB_STORE* store, PB_STRING* address, PB_INT* value);
PB_EXPORT PB_BOOL pbStoreValueIntCstr(PB_STORE* store, const char* address, PB_INT length, PB_INT* value);
PB_EXPORT PB_BOOL pbStoreValueBool(PB_STORE* store, PB_STRING* address, PB_BOOL* value);
PB_EXPORT PB_BOOL pbStoreValueBoolCstr(PB_STORE* store, const char* address, PB_INT length, PB_BOOL* value);
PB_EXPORT PB_STORE* pbStoreStore(PB_STORE* store, PB_STRING* address);
PB_EXPORT PB_STORE* pbStoreStoreCstr(PB_STORE* store, const char* address, PB_INT length);

/* Keyed writes on a map store (replace an entry of any type). */
PB_EXPORT void pbStoreSetValue(PB_STORE** store, PB_STRING* address, PB_STRING* value);
PB_EXPORT void pbStoreSetValueCstr(PB_STORE** store, const char* address, PB_INT length, PB_STRING* value);
PB_EXPORT void pbStoreSetValueInt(PB_STORE** store, PB_STRING* address, PB_INT value);
PB_EXPORT void pbStoreSetValueIntCstr(PB_STORE** store, const char* address, PB_INT length, PB_INT value);
PB_EXPORT void pbStoreSetValueBool(PB_STORE** store, PB_STRING* address, PB_BOOL value);
PB_EXPORT void pbStoreSetValueBoolCstr(PB_STORE** store, const char* address, PB_INT length, PB_BOOL value);
PB_EXPORT void pbStoreSetStore(PB_STORE** store, PB_STRING* address, PB_STORE* value);
PB_EXPORT void pbStoreSetStoreCstr(PB_STORE** store, const char* address, PB_INT length, PB_STORE* value);
/* Removes the entry (if any). On an array store later entries move down. */
PB_EXPORT void pbStoreDel(PB_STORE** store, PB_STRING* address);
PB_EXPORT void pbStoreDelCstr(PB_STORE** store, const char* address, PB_INT length);
PB_EXPORT void pbStoreClear(PB_STORE** store);

/* Positional access, 0 <= index < length (precondition). */
PB_EXPORT PB_STRING* pbStoreAddressAt(PB_STORE* store, PB_INT index);
PB_EXPORT PB_INT pbStoreTypeAt(PB_STORE* store, PB_INT index);
PB_EXPORT PB_STRING* pbStoreValueAt(PB_STORE* store, PB_INT index);
PB_EXPORT PB_BOOL pbStoreValueIntAt(PB_STORE* store, PB_INT index, PB_INT* value);
PB_EXPORT PB_BOOL pbStoreValueBoolAt(PB_STORE* store, PB_INT index, PB_BOOL* value);
PB_EXPORT PB_STORE* pbStoreStoreAt(PB_STORE* store, PB_INT index);
PB_EXPORT void pbStoreDelAt(PB_STORE** store, PB_INT index);

/* Array stores: append (on a map store a precondition failure), or
 * replace the entry at 0 <= index < length. The Set...At functions also
 * replace the value at a position of a map store; the entry keeps its key. */
PB_EXPORT void pbStoreAppendValue(PB_STORE** store, PB_STRING* value);
PB_EXPORT void pbStoreAppendValueCstr(PB_STORE** store, const char* value, PB_INT length);
PB_EXPORT void pbStoreAppendValueInt(PB_STORE** store, PB_INT value);
PB_EXPORT void pbStoreAppendValueBool(PB_STORE** store, PB_BOOL value);
PB_EXPORT void pbStoreAppendStore(PB_STORE** store, PB_STORE* value);
PB_EXPORT void pbStoreSetValueAt(PB_STORE** store, PB_INT index, PB_STRING* value);
PB_EXPORT void pbStoreSetValueIntAt(PB_STORE** store, PB_INT index, PB_INT value);
PB_EXPORT void pbStoreSetValueBoolAt(PB_STORE** store, PB_INT index, PB_BOOL value);
PB_EXPORT void pbStoreSetStoreAt(PB_STORE** store, PB_INT index, PB_STORE* value);

PB_END_DECLS

#endif
