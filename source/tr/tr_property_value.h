/* Property values: the typed, immutable values that trace streams keep
 * under their property keys.
 *
 * A value is a boolean, an integer, a string, a store or a buffer. Create
 * one with the matching trPropertyValueCreate… function and hand it to
 * trStreamSetProperty; read it back with trPropertyValueType and the reader
 * of that type:
 *
 *     TR_PROPERTY_VALUE* v = trPropertyValueCreateInt( 42 );
 *     trStreamSetPropertyCstr( stream, "count", -1, v );
 *     trPropertyValueRelease( v );
 *
 * Reading a value as another type is not an error: the boolean and integer
 * readers give PB_FALSE and 0, the object readers NULL. Values compare by
 * type first (in the order of the type numbers), then by value. */
#ifndef TR_PROPERTY_VALUE_H
#define TR_PROPERTY_VALUE_H

#include "pb/pb_buffer.h"
#include "pb/pb_store.h"
#include "pb/pb_string.h"

PB_BEGIN_DECLS

typedef struct TR_PROPERTY_VALUE TR_PROPERTY_VALUE;

#define TR_PROPERTY_VALUE_TYPE_BOOL 0
#define TR_PROPERTY_VALUE_TYPE_INT 1
#define TR_PROPERTY_VALUE_TYPE_STRING 2
#define TR_PROPERTY_VALUE_TYPE_STORE 3
#define TR_PROPERTY_VALUE_TYPE_BUFFER 4

PB_STDFUNCS_DECLARE(trPropertyValue, TR_PROPERTY_VALUE);

PB_EXPORT TR_PROPERTY_VALUE* trPropertyValueCreateBool(PB_BOOL value);
PB_EXPORT TR_PROPERTY_VALUE* trPropertyValueCreateInt(PB_INT value);
/* Preconditions: the object arguments are not NULL. */
PB_EXPORT TR_PROPERTY_VALUE* trPropertyValueCreateString(PB_STRING* value);
PB_EXPORT TR_PROPERTY_VALUE* trPropertyValueCreateStore(PB_STORE* value);
PB_EXPORT TR_PROPERTY_VALUE* trPropertyValueCreateBuffer(PB_BUFFER* value);

PB_EXPORT PB_INT trPropertyValueType(TR_PROPERTY_VALUE* value);
PB_EXPORT PB_BOOL trPropertyValueBool(TR_PROPERTY_VALUE* value);
PB_EXPORT PB_INT trPropertyValueInt(TR_PROPERTY_VALUE* value);
PB_EXPORT PB_STRING* trPropertyValueString(TR_PROPERTY_VALUE* value);
PB_EXPORT PB_STORE* trPropertyValueStore(TR_PROPERTY_VALUE* value);
PB_EXPORT PB_BUFFER* trPropertyValueBuffer(TR_PROPERTY_VALUE* value);

PB_END_DECLS

#endif
