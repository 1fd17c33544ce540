// Typed immutable values of trace stream properties.
#include "tr/tr_property_value.h"
#include "tr/tr_property_value.hpp"

#include "pb/pb_stdfunc.hpp"
#include "tr/tr_module.h"

struct TR_PROPERTY_VALUE {
    PB_OBJ obj;
    PB_INT type;      // set once at creation: TR_PROPERTY_VALUE_TYPE_...
    PB_INT scalar;    // set once: the boolean (0/1) or integer value
    PB_OBJ* object;   // set once: the string, store or buffer (owned), else NULL
};

namespace {

void valueFree(PB_OBJ* obj);
PB_INT valueCompare(PB_OBJ* a, PB_OBJ* b);
PB_STRING* valueToString(PB_OBJ* obj);

}  // namespace

PB_SORT_DEFINE(tr___sort_TR_PROPERTY_VALUE, &tr___module, "TR_PROPERTY_VALUE", valueFree, valueCompare,
               valueToString);
PB_STDFUNCS_DEFINE(trPropertyValue, TR_PROPERTY_VALUE, tr___sort_TR_PROPERTY_VALUE)

namespace {

TR_PROPERTY_VALUE* create(PB_INT type, PB_INT scalar, PB_OBJ* object) {
    auto* v = reinterpret_cast<TR_PROPERTY_VALUE*>(
        pb___ObjCreate(sizeof(TR_PROPERTY_VALUE), &tr___sort_TR_PROPERTY_VALUE));
    v->type = type;
    v->scalar = scalar;
    v->object = object ? pbObjRetain(object) : nullptr;
    return v;
}

void valueFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, tr___sort_TR_PROPERTY_VALUE);
    pb::releaseField(reinterpret_cast<TR_PROPERTY_VALUE*>(obj)->object);
}

PB_INT valueCompare(PB_OBJ* a, PB_OBJ* b) {
    auto* va = reinterpret_cast<TR_PROPERTY_VALUE*>(a);
    auto* vb = reinterpret_cast<TR_PROPERTY_VALUE*>(b);
    if (va->type != vb->type) return va->type < vb->type ? -1 : 1;
    if (va->object) return pbObjCompare(va->object, vb->object);
    return va->scalar < vb->scalar ? -1 : (va->scalar > vb->scalar ? 1 : 0);
}

// Booleans and integers read as "true", "false" and decimal; the other
// types take the string form of their object.
PB_STRING* valueToString(PB_OBJ* obj) {
    auto* v = reinterpret_cast<TR_PROPERTY_VALUE*>(obj);
    if (v->type == TR_PROPERTY_VALUE_TYPE_BOOL) return pbStringCreateFromCstr(v->scalar ? "true" : "false", -1);
    if (v->type == TR_PROPERTY_VALUE_TYPE_INT) return pbStringCreateFromFormatCstr("%i", -1, v->scalar);
    return pbObjToString(v->object);
}

PB_OBJ* objectOfType(TR_PROPERTY_VALUE* value, PB_INT type) {
    PB_ASSERT(value);
    if (value->type != type) return nullptr;
    return pbObjRetain(value->object);
}

}  // namespace

namespace {
// The two boolean values: immortal, shared by every stream that sets one.
TR_PROPERTY_VALUE boolValues[2] = {
    {{&tr___sort_TR_PROPERTY_VALUE, PB___OBJ_REFS_STATIC, 0}, TR_PROPERTY_VALUE_TYPE_BOOL, 0, nullptr},
    {{&tr___sort_TR_PROPERTY_VALUE, PB___OBJ_REFS_STATIC, 0}, TR_PROPERTY_VALUE_TYPE_BOOL, 1, nullptr},
};
}  // namespace

extern "C" PB_EXPORT TR_PROPERTY_VALUE* trPropertyValueCreateBool(PB_BOOL value) {
    return &boolValues[value ? 1 : 0];
}

extern "C" PB_EXPORT TR_PROPERTY_VALUE* trPropertyValueCreateInt(PB_INT value) {
    return create(TR_PROPERTY_VALUE_TYPE_INT, value, nullptr);
}

extern "C" PB_EXPORT TR_PROPERTY_VALUE* trPropertyValueCreateString(PB_STRING* value) {
    PB_ASSERT(value);
    return create(TR_PROPERTY_VALUE_TYPE_STRING, 0, pbStringObj(value));
}

extern "C" PB_EXPORT TR_PROPERTY_VALUE* trPropertyValueCreateStore(PB_STORE* value) {
    PB_ASSERT(value);
    return create(TR_PROPERTY_VALUE_TYPE_STORE, 0, reinterpret_cast<PB_OBJ*>(value));
}

extern "C" PB_EXPORT TR_PROPERTY_VALUE* trPropertyValueCreateBuffer(PB_BUFFER* value) {
    PB_ASSERT(value);
    return create(TR_PROPERTY_VALUE_TYPE_BUFFER, 0, pbBufferObj(value));
}

extern "C" PB_EXPORT PB_INT trPropertyValueType(TR_PROPERTY_VALUE* value) {
    PB_ASSERT(value);
    return value->type;
}

extern "C" PB_EXPORT PB_BOOL trPropertyValueBool(TR_PROPERTY_VALUE* value) {
    PB_ASSERT(value);
    return value->type == TR_PROPERTY_VALUE_TYPE_BOOL ? PB_BOOL(value->scalar) : PB_FALSE;
}

extern "C" PB_EXPORT PB_INT trPropertyValueInt(TR_PROPERTY_VALUE* value) {
    PB_ASSERT(value);
    return value->type == TR_PROPERTY_VALUE_TYPE_INT ? value->scalar : 0;
}

extern "C" PB_EXPORT PB_STRING* trPropertyValueString(TR_PROPERTY_VALUE* value) {
    return reinterpret_cast<PB_STRING*>(objectOfType(value, TR_PROPERTY_VALUE_TYPE_STRING));
}

extern "C" PB_EXPORT PB_STORE* trPropertyValueStore(TR_PROPERTY_VALUE* value) {
    return reinterpret_cast<PB_STORE*>(objectOfType(value, TR_PROPERTY_VALUE_TYPE_STORE));
}

extern "C" PB_EXPORT PB_BUFFER* trPropertyValueBuffer(TR_PROPERTY_VALUE* value) {
    return reinterpret_cast<PB_BUFFER*>(objectOfType(value, TR_PROPERTY_VALUE_TYPE_BUFFER));
}

// The scalar may change only while no one else can read it: a second
// reference could have been taken by a reader, which must keep seeing the
// value it read.
bool tr::propertyValueReuseScalar(TR_PROPERTY_VALUE* value, PB_INT type, PB_INT scalar) {
    PB_ASSERT(value);
    if (value->type != type || pbObjRefCount(trPropertyValueObj(value)) != 1) return false;
    value->scalar = scalar;
    return true;
}
