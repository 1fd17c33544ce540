// Status items collections: named status items in a copy-on-write dictionary.
#include "cs/status/cs_status_items.h"

#include "cs/status/cs_status_items.hpp"

#include "cs/base/cs_module.h"
#include "pb/pb_dict.h"
#include "pb/pb_name.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

struct CS_STATUS_ITEMS {
    PB_OBJ obj;
    PB_DICT* dict;  // name -> CS_STATUS_ITEM; never NULL; changed only while the collection is unshared
};

namespace {

void itemsFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_STATUS_ITEMS);
    auto* items = reinterpret_cast<CS_STATUS_ITEMS*>(obj);
    pb::releaseField(items->dict);
}

PB_INT itemsCompare(PB_OBJ* thisObj, PB_OBJ* thatObj) {
    PB_ASSERT(thisObj);
    PB_ASSERT(thatObj);
    CS_STATUS_ITEMS* a = csStatusItemsFrom(thisObj);
    CS_STATUS_ITEMS* b = csStatusItemsFrom(thatObj);
    return pbObjCompare(pbDictObj(a->dict), pbDictObj(b->dict));
}

pb::Ref<PB_STRING> fromCstr(const char* name, PB_INT length) {
    return pb::adopt(pbStringCreateFromCstr(name, length));
}

pb::Ref<PB_STRING> fromWcstr(const wchar_t* name, PB_INT length) {
    return pb::adopt(pbStringCreateFromWcstr(name, length));
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_STATUS_ITEMS, &cs___module, "CS_STATUS_ITEMS", itemsFree, itemsCompare, nullptr);
PB_STDFUNCS_DEFINE(csStatusItems, CS_STATUS_ITEMS, cs___sort_CS_STATUS_ITEMS)

extern "C" PB_EXPORT CS_STATUS_ITEMS* csStatusItemsCreate(void) {
    auto* items = reinterpret_cast<CS_STATUS_ITEMS*>(pb___ObjCreate(sizeof(CS_STATUS_ITEMS), &cs___sort_CS_STATUS_ITEMS));
    items->dict = pbDictCreate();
    return items;
}

extern "C" PB_EXPORT CS_STATUS_ITEMS* csStatusItemsCreateFrom(CS_STATUS_ITEMS* source) {
    PB_ASSERT(source);
    auto* items = reinterpret_cast<CS_STATUS_ITEMS*>(pb___ObjCreate(sizeof(CS_STATUS_ITEMS), &cs___sort_CS_STATUS_ITEMS));
    items->dict = pbDictRetain(source->dict);
    return items;
}

extern "C" PB_EXPORT PB_INT csStatusItemsLength(CS_STATUS_ITEMS* items) {
    PB_ASSERT(items);
    return pbDictLength(items->dict);
}

extern "C" PB_EXPORT PB_STRING* csStatusItemsNameAt(CS_STATUS_ITEMS* items, PB_INT index) {
    PB_ASSERT(items);
    PB_ASSERT(index >= 0 && index < pbDictLength( items->dict ));
    return pbStringFrom(pbDictKeyAt(items->dict, index));
}

extern "C" PB_EXPORT CS_STATUS_ITEM* csStatusItemsItemAt(CS_STATUS_ITEMS* items, PB_INT index) {
    PB_ASSERT(items);
    PB_ASSERT(index >= 0 && index < pbDictLength( items->dict ));
    return csStatusItemFrom(pbDictValueAt(items->dict, index));
}

extern "C" PB_EXPORT CS_STATUS_ITEM* csStatusItemsItem(CS_STATUS_ITEMS* items, PB_STRING* name) {
    PB_ASSERT(items);
    PB_ASSERT(pbNameCamelCaseOk( name, PB_TRUE ));
    return csStatusItemFrom(pbDictStringKey(items->dict, name));
}

extern "C" PB_EXPORT CS_STATUS_ITEM* csStatusItemsItemCstr(CS_STATUS_ITEMS* items, const char* name, PB_INT length) {
    return csStatusItemsItem(items, fromCstr(name, length).get());
}

extern "C" PB_EXPORT CS_STATUS_ITEM* csStatusItemsItemWcstr(CS_STATUS_ITEMS* items, const wchar_t* name,
                                                            PB_INT length) {
    return csStatusItemsItem(items, fromWcstr(name, length).get());
}

extern "C" PB_EXPORT PB_BOOL csStatusItemsHasItem(CS_STATUS_ITEMS* items, PB_STRING* name) {
    PB_ASSERT(items);
    PB_ASSERT(pbNameCamelCaseOk( name, PB_TRUE ));
    return pbDictHasStringKey(items->dict, name);
}

extern "C" PB_EXPORT PB_BOOL csStatusItemsHasItemCstr(CS_STATUS_ITEMS* items, const char* name, PB_INT length) {
    return csStatusItemsHasItem(items, fromCstr(name, length).get());
}

extern "C" PB_EXPORT PB_BOOL csStatusItemsHasItemWcstr(CS_STATUS_ITEMS* items, const wchar_t* name, PB_INT length) {
    return csStatusItemsHasItem(items, fromWcstr(name, length).get());
}

// Copy-on-write: a shared collection is first replaced by a private one
// that shares the dictionary, which then copies only the changed path.
extern "C" PB_EXPORT void csStatusItemsSetItem(CS_STATUS_ITEMS** items, PB_STRING* name, CS_STATUS_ITEM* item) {
    PB_COW(items, csStatusItemsCreateFrom);
    PB_ASSERT(pbNameCamelCaseOk( name, PB_TRUE ));
    PB_ASSERT(item);
    pbDictSetStringKey(&(*items)->dict, name, csStatusItemObj(item));
}

extern "C" PB_EXPORT void csStatusItemsDelItem(CS_STATUS_ITEMS** items, PB_STRING* name) {
    PB_COW(items, csStatusItemsCreateFrom);
    PB_ASSERT(pbNameCamelCaseOk( name, PB_TRUE ));
    pbDictDelStringKey(&(*items)->dict, name);
}

extern "C" PB_EXPORT PB_STORE* csStatusItemsStore(CS_STATUS_ITEMS* items) {
    PB_ASSERT(items);
    PB_STORE* store = pbStoreCreate();
    for (PB_INT i = 0; i < pbDictLength(items->dict); ++i) {
        auto name = pb::adopt(pbStringFrom(pbDictKeyAt(items->dict, i)));
        auto item = pb::adopt(csStatusItemFrom(pbDictValueAt(items->dict, i)));
        auto sub = pb::adopt(csStatusItemStore(item.get()));
        pbStoreSetStore(&store, name.get(), sub.get());
    }
    return store;
}

// Walks the entries in position order; an entry that is not a camel-case
// name over a restorable item store is left out.
extern "C" PB_EXPORT CS_STATUS_ITEMS* csStatusItemsRestore(PB_STORE* store) {
    PB_ASSERT(store);
    CS_STATUS_ITEMS* items = csStatusItemsCreate();
    for (PB_INT i = 0; i < pbStoreLength(store); ++i) {
        auto name = pb::adopt(pbStoreAddressAt(store, i));
        if (!pbNameCamelCaseOk(name.get(), PB_TRUE)) continue;
        auto sub = pb::adopt(pbStoreStoreAt(store, i));
        if (!sub) continue;
        auto item = pb::adopt(csStatusItemRestore(sub.get()));
        if (!item) continue;
        csStatusItemsSetItem(&items, name.get(), item.get());
    }
    return items;
}

CS_STATUS_ITEM* cs::statusItemsSoleItem(CS_STATUS_ITEMS* items, PB_STRING* name) {
    PB_ASSERT(items);
    if (!name || pbObjRefCount(csStatusItemsObj(items)) != 1) return nullptr;
    PB_OBJ* item = pb___DictSoleValueObjKey(items->dict, pbStringObj(name));
    return item ? csStatusItemFrom(item) : nullptr;
}
