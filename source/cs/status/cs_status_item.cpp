// Status items: typed immutable values, their order, store form and trace form.
#include "cs/status/cs_status_item.h"

#include "cs/base/cs_store_keys.hpp"
#include "cs/status/cs_status_item.hpp"

#include "cs/base/cs_module.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"
#include "rfc/rfc_base.h"

struct CS_STATUS_ITEM {
    PB_OBJ obj;
    PB_INT type;        // set once at creation
    PB_BOOL boolValue;  // set once (or while solely held); PB_FALSE unless type is BOOL
    PB_INT intValue;    // set once (or while solely held); PB_INT_MIN unless type is INT
    PB_OBJ* objValue;   // set once; string, store or buffer, NULL for BOOL and INT
};

namespace {

void itemFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_STATUS_ITEM);
    auto* item = reinterpret_cast<CS_STATUS_ITEM*>(obj);
    pb::releaseField(item->objValue);
}

PB_INT order(PB_INT a, PB_INT b) { return a < b ? -1 : a > b ? 1 : 0; }

// Type, then boolean, then integer, then object value. The fields that a
// type does not use hold the same constant in every item, so items of one
// type order by their own value.
PB_INT itemCompare(PB_OBJ* thisObj, PB_OBJ* thatObj) {
    PB_ASSERT(thisObj);
    PB_ASSERT(thatObj);
    CS_STATUS_ITEM* a = csStatusItemFrom(thisObj);
    CS_STATUS_ITEM* b = csStatusItemFrom(thatObj);
    if (PB_INT c = order(a->type, b->type)) return c;
    if (PB_INT c = order(a->boolValue, b->boolValue)) return c;
    if (PB_INT c = order(a->intValue, b->intValue)) return c;
    return pbObjCompare(a->objValue, b->objValue);
}

CS_STATUS_ITEM* itemCreate(PB_INT type, PB_BOOL boolValue, PB_INT intValue, PB_OBJ* objValue) {
    auto* item = reinterpret_cast<CS_STATUS_ITEM*>(pb___ObjCreate(sizeof(CS_STATUS_ITEM), &cs___sort_CS_STATUS_ITEM));
    item->type = type;
    item->boolValue = boolValue;
    item->intValue = intValue;
    item->objValue = objValue ? pbObjRetain(objValue) : nullptr;
    return item;
}

// The object value as T when the item has the given type, else NULL.
template <class T>
T* objectValue(CS_STATUS_ITEM* item, PB_INT type) {
    PB_ASSERT(item);
    if (item->type != type) return nullptr;
    return reinterpret_cast<T*>(pbObjRetain(item->objValue));
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_STATUS_ITEM, &cs___module, "CS_STATUS_ITEM", itemFree, itemCompare, nullptr);
PB_STDFUNCS_DEFINE(csStatusItem, CS_STATUS_ITEM, cs___sort_CS_STATUS_ITEM)

extern "C" PB_EXPORT CS_STATUS_ITEM* csStatusItemCreateBool(PB_BOOL value) {
    return itemCreate(CS_STATUS_ITEM_TYPE_BOOL, value != 0, PB_INT_MIN, nullptr);
}

extern "C" PB_EXPORT CS_STATUS_ITEM* csStatusItemCreateInt(PB_INT value) {
    return itemCreate(CS_STATUS_ITEM_TYPE_INT, PB_FALSE, value, nullptr);
}

extern "C" PB_EXPORT CS_STATUS_ITEM* csStatusItemCreateString(PB_STRING* string) {
    PB_ASSERT(string);
    return itemCreate(CS_STATUS_ITEM_TYPE_STRING, PB_FALSE, PB_INT_MIN, pbStringObj(string));
}

extern "C" PB_EXPORT CS_STATUS_ITEM* csStatusItemCreateStore(PB_STORE* store) {
    PB_ASSERT(store);
    return itemCreate(CS_STATUS_ITEM_TYPE_STORE, PB_FALSE, PB_INT_MIN, pbStoreObj(store));
}

extern "C" PB_EXPORT CS_STATUS_ITEM* csStatusItemCreateBuffer(PB_BUFFER* buffer) {
    PB_ASSERT(buffer);
    return itemCreate(CS_STATUS_ITEM_TYPE_BUFFER, PB_FALSE, PB_INT_MIN, pbBufferObj(buffer));
}

extern "C" PB_EXPORT PB_INT csStatusItemType(CS_STATUS_ITEM* item) {
    PB_ASSERT(item);
    return item->type;
}

extern "C" PB_EXPORT PB_BOOL csStatusItemHasBoolValue(CS_STATUS_ITEM* item) {
    return csStatusItemType(item) == CS_STATUS_ITEM_TYPE_BOOL;
}

extern "C" PB_EXPORT PB_BOOL csStatusItemHasIntValue(CS_STATUS_ITEM* item) {
    return csStatusItemType(item) == CS_STATUS_ITEM_TYPE_INT;
}

extern "C" PB_EXPORT PB_BOOL csStatusItemHasStringValue(CS_STATUS_ITEM* item) {
    return csStatusItemType(item) == CS_STATUS_ITEM_TYPE_STRING;
}

extern "C" PB_EXPORT PB_BOOL csStatusItemHasStoreValue(CS_STATUS_ITEM* item) {
    return csStatusItemType(item) == CS_STATUS_ITEM_TYPE_STORE;
}

extern "C" PB_EXPORT PB_BOOL csStatusItemHasBufferValue(CS_STATUS_ITEM* item) {
    return csStatusItemType(item) == CS_STATUS_ITEM_TYPE_BUFFER;
}

extern "C" PB_EXPORT PB_BOOL csStatusItemBoolValue(CS_STATUS_ITEM* item) {
    PB_ASSERT(item);
    return item->boolValue;
}

extern "C" PB_EXPORT PB_INT csStatusItemIntValue(CS_STATUS_ITEM* item) {
    PB_ASSERT(item);
    return item->intValue;
}

extern "C" PB_EXPORT PB_STRING* csStatusItemStringValue(CS_STATUS_ITEM* item) {
    return objectValue<PB_STRING>(item, CS_STATUS_ITEM_TYPE_STRING);
}

extern "C" PB_EXPORT PB_STORE* csStatusItemStoreValue(CS_STATUS_ITEM* item) {
    return objectValue<PB_STORE>(item, CS_STATUS_ITEM_TYPE_STORE);
}

extern "C" PB_EXPORT PB_BUFFER* csStatusItemBufferValue(CS_STATUS_ITEM* item) {
    return objectValue<PB_BUFFER>(item, CS_STATUS_ITEM_TYPE_BUFFER);
}

extern "C" PB_EXPORT TR_PROPERTY_VALUE* csStatusItemToTrPropertyValue(CS_STATUS_ITEM* item) {
    PB_ASSERT(item);
    switch (item->type) {
        case CS_STATUS_ITEM_TYPE_BOOL: return trPropertyValueCreateBool(item->boolValue);
        case CS_STATUS_ITEM_TYPE_INT: return trPropertyValueCreateInt(item->intValue);
        case CS_STATUS_ITEM_TYPE_STRING: return trPropertyValueCreateString(pbStringFrom(item->objValue));
        case CS_STATUS_ITEM_TYPE_STORE: return trPropertyValueCreateStore(pbStoreFrom(item->objValue));
        default: return trPropertyValueCreateBuffer(pbBufferFrom(item->objValue));
    }
}

extern "C" PB_EXPORT PB_STORE* csStatusItemStore(CS_STATUS_ITEM* item) {
    PB_ASSERT(item);
    const cs::StoreKeys& keys = cs::storeKeys();
    PB_STORE* store = pbStoreCreate();
    pbStoreSetValue(&store, keys.type, pb::adopt(csStatusItemTypeToString(item->type)).get());
    switch (item->type) {
        case CS_STATUS_ITEM_TYPE_BOOL: pbStoreSetValueBool(&store, keys.value, item->boolValue); break;
        case CS_STATUS_ITEM_TYPE_INT: pbStoreSetValueInt(&store, keys.value, item->intValue); break;
        case CS_STATUS_ITEM_TYPE_STRING: pbStoreSetValue(&store, keys.value, pbStringFrom(item->objValue)); break;
        case CS_STATUS_ITEM_TYPE_STORE: pbStoreSetStore(&store, keys.value, pbStoreFrom(item->objValue)); break;
        default: {
            auto text = pb::adopt(rfcBaseEncodeToString(pbBufferFrom(item->objValue), RFC_BASE_64));
            pbStoreSetValue(&store, keys.value, text.get());
        }
    }
    return store;
}

// Each type reads "value" with the reader of its own kind; a value of any
// other kind, or a buffer text that does not decode, gives no item.
extern "C" PB_EXPORT CS_STATUS_ITEM* csStatusItemRestore(PB_STORE* store) {
    PB_ASSERT(store);
    const cs::StoreKeys& keys = cs::storeKeys();
    auto typeName = pb::adopt(pbStoreValue(store, keys.type));
    if (!typeName) return nullptr;
    PB_BOOL flag;
    PB_INT number;
    switch (csStatusItemTypeFromString(typeName.get())) {
        case CS_STATUS_ITEM_TYPE_BOOL:
            return pbStoreValueBool(store, keys.value, &flag) ? csStatusItemCreateBool(flag) : nullptr;
        case CS_STATUS_ITEM_TYPE_INT:
            return pbStoreValueInt(store, keys.value, &number) ? csStatusItemCreateInt(number) : nullptr;
        case CS_STATUS_ITEM_TYPE_STRING: {
            auto text = pb::adopt(pbStoreValue(store, keys.value));
            return text ? csStatusItemCreateString(text.get()) : nullptr;
        }
        case CS_STATUS_ITEM_TYPE_STORE: {
            auto sub = pb::adopt(pbStoreStore(store, keys.value));
            return sub ? csStatusItemCreateStore(sub.get()) : nullptr;
        }
        case CS_STATUS_ITEM_TYPE_BUFFER: {
            auto text = pb::adopt(pbStoreValue(store, keys.value));
            auto bytes = pb::adopt(text ? rfcBaseTryDecodeString(text.get(), RFC_BASE_64) : nullptr);
            return bytes ? csStatusItemCreateBuffer(bytes.get()) : nullptr;
        }
        default: return nullptr;
    }
}

bool cs::statusItemReuseScalar(CS_STATUS_ITEM* item, PB_INT type, PB_INT scalar) {
    PB_ASSERT(item);
    if (item->type != type || pbObjRefCount(csStatusItemObj(item)) != 1) return false;
    if (type == CS_STATUS_ITEM_TYPE_BOOL) item->boolValue = scalar != 0;
    else if (type == CS_STATUS_ITEM_TYPE_INT) item->intValue = scalar;
    else return false;
    return true;
}
