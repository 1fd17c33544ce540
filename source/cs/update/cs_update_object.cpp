// Update objects: one object entry of a configuration under migration, read
// through its wrapping and written back in plain or wrapped form.
#include "cs/update/cs_update_object.h"

#include "cs/base/cs_module.h"
#include "cs/base/cs_store_keys.hpp"
#include "cs/base/cs_wrapped_mode.h"
#include "cs/object/cs_object_entry_keys.hpp"
#include "pb/pb_name.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

struct CS_UPDATE_OBJECT {
    PB_OBJ obj;
    PB_STRING* sortName;  // never NULL; an upper-case name
    PB_BOOL isProtected;  // 0 or 1
    PB_BOOL visible;      // 0 or 1
    PB_INT wrappedMode;   // -1 when not wrapped, else CS_WRAPPED_MODE_OK
    PB_STRING* comment;   // NULL when absent
    PB_STORE* config;     // never NULL
    PB_STORE* metaData;   // never NULL
};

namespace {

// Key strings of an object entry: made once at start-up, then only read.
// An update rewrites entries without "trMark".
cs::ObjectEntryKeys* keys = nullptr;
PB_STRING* keyMode = nullptr;      // of a wrapped entry's inner store
PB_STRING* sortWrapped = nullptr;  // the value "CS_WRAPPED" of a wrapped entry's "sort"

void updateObjectFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_UPDATE_OBJECT);
    auto* uo = reinterpret_cast<CS_UPDATE_OBJECT*>(obj);
    pb::releaseField(uo->sortName);
    pb::releaseField(uo->comment);
    pb::releaseField(uo->config);
    pb::releaseField(uo->metaData);
}

// The value under key when it is an upper-case name, else NULL.
PB_STRING* upperCaseName(PB_STORE* store, PB_STRING* key) {
    PB_STRING* name = pbStoreValue(store, key);
    if (name && !pbNameUpperCaseOk(name, PB_TRUE)) {
        pbStringRelease(name);
        return nullptr;
    }
    return name;
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_UPDATE_OBJECT, &cs___module, "CS_UPDATE_OBJECT", updateObjectFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csUpdateObject, CS_UPDATE_OBJECT, cs___sort_CS_UPDATE_OBJECT)

extern "C" PB_EXPORT void cs___UpdateObjectStartup(void) {
    keys = new cs::ObjectEntryKeys;
    keyMode = cs::storeKey("mode").leak();
    sortWrapped = pbStringCreateFromCstr("CS_WRAPPED", -1);
}

extern "C" PB_EXPORT void cs___UpdateObjectShutdown(void) {
    delete keys;
    keys = nullptr;
    pb::releaseField(keyMode);
    pb::releaseField(sortWrapped);
}

namespace {

// A new update object with the given stores (NULL: an empty one each).
CS_UPDATE_OBJECT* createWith(PB_STRING* sortName, PB_STORE* config, PB_STORE* metaData) {
    PB_ASSERT(pbNameUpperCaseOk( sortName, PB_TRUE ));
    auto* uo = reinterpret_cast<CS_UPDATE_OBJECT*>(
        pb___ObjCreate(sizeof(CS_UPDATE_OBJECT), &cs___sort_CS_UPDATE_OBJECT));
    uo->sortName = pbStringRetain(sortName);
    uo->isProtected = PB_FALSE;
    uo->visible = PB_TRUE;
    uo->wrappedMode = -1;
    uo->comment = nullptr;
    uo->config = config ? pbStoreRetain(config) : pbStoreCreate();
    uo->metaData = metaData ? pbStoreRetain(metaData) : pbStoreCreate();
    return uo;
}

}  // namespace

extern "C" PB_EXPORT CS_UPDATE_OBJECT* csUpdateObjectCreate(PB_STRING* sortName) {
    return createWith(sortName, nullptr, nullptr);
}

extern "C" PB_EXPORT CS_UPDATE_OBJECT* csUpdateObjectCreateFrom(CS_UPDATE_OBJECT* source) {
    PB_ASSERT(source);
    CS_UPDATE_OBJECT* uo = createWith(source->sortName, source->config, source->metaData);
    uo->isProtected = source->isProtected;
    uo->visible = source->visible;
    uo->wrappedMode = source->wrappedMode;
    pb::setField(uo->comment, source->comment);
    return uo;
}

extern "C" PB_EXPORT PB_STRING* csUpdateObjectSortName(CS_UPDATE_OBJECT* uo) {
    PB_ASSERT(uo);
    return pbStringRetain(uo->sortName);
}

extern "C" PB_EXPORT void csUpdateObjectSetSortName(CS_UPDATE_OBJECT** uo, PB_STRING* sortName) {
    PB_COW(uo, csUpdateObjectCreateFrom);
    PB_ASSERT(pbNameUpperCaseOk( sortName, PB_TRUE ));
    pb::setField((*uo)->sortName, sortName);
}

extern "C" PB_EXPORT PB_BOOL csUpdateObjectProtected(CS_UPDATE_OBJECT* uo) {
    PB_ASSERT(uo);
    return uo->isProtected;
}

extern "C" PB_EXPORT void csUpdateObjectSetProtected(CS_UPDATE_OBJECT** uo, PB_BOOL flag) {
    PB_COW(uo, csUpdateObjectCreateFrom);
    (*uo)->isProtected = flag != 0;
}

extern "C" PB_EXPORT PB_BOOL csUpdateObjectVisible(CS_UPDATE_OBJECT* uo) {
    PB_ASSERT(uo);
    return uo->visible;
}

extern "C" PB_EXPORT void csUpdateObjectSetVisible(CS_UPDATE_OBJECT** uo, PB_BOOL flag) {
    PB_COW(uo, csUpdateObjectCreateFrom);
    (*uo)->visible = flag != 0;
}

extern "C" PB_EXPORT PB_INT csUpdateObjectWrappedMode(CS_UPDATE_OBJECT* uo) {
    PB_ASSERT(uo);
    return uo->wrappedMode;
}

extern "C" PB_EXPORT PB_BOOL csUpdateObjectHasWrappedMode(CS_UPDATE_OBJECT* uo) {
    PB_ASSERT(uo);
    return CS_WRAPPED_MODE_OK(uo->wrappedMode);
}

extern "C" PB_EXPORT void csUpdateObjectSetWrappedMode(CS_UPDATE_OBJECT** uo, PB_INT wm) {
    PB_COW(uo, csUpdateObjectCreateFrom);
    PB_ASSERT(CS_WRAPPED_MODE_OK( wm ));
    (*uo)->wrappedMode = wm;
}

extern "C" PB_EXPORT void csUpdateObjectDelWrappedMode(CS_UPDATE_OBJECT** uo) {
    PB_COW(uo, csUpdateObjectCreateFrom);
    (*uo)->wrappedMode = -1;
}

extern "C" PB_EXPORT PB_STRING* csUpdateObjectComment(CS_UPDATE_OBJECT* uo) {
    PB_ASSERT(uo);
    return uo->comment ? pbStringRetain(uo->comment) : nullptr;
}

extern "C" PB_EXPORT PB_BOOL csUpdateObjectHasComment(CS_UPDATE_OBJECT* uo) {
    PB_ASSERT(uo);
    return uo->comment != nullptr;
}

extern "C" PB_EXPORT void csUpdateObjectSetComment(CS_UPDATE_OBJECT** uo, PB_STRING* comment) {
    PB_COW(uo, csUpdateObjectCreateFrom);
    PB_ASSERT(comment);
    pb::setField((*uo)->comment, comment);
}

extern "C" PB_EXPORT void csUpdateObjectDelComment(CS_UPDATE_OBJECT** uo) {
    PB_COW(uo, csUpdateObjectCreateFrom);
    pb::setField((*uo)->comment, static_cast<PB_STRING*>(nullptr));
}

extern "C" PB_EXPORT PB_STORE* csUpdateObjectConfig(CS_UPDATE_OBJECT* uo) {
    PB_ASSERT(uo);
    return pbStoreRetain(uo->config);
}

extern "C" PB_EXPORT void csUpdateObjectSetConfig(CS_UPDATE_OBJECT** uo, PB_STORE* config) {
    PB_COW(uo, csUpdateObjectCreateFrom);
    PB_ASSERT(config);
    pb::setField((*uo)->config, config);
}

extern "C" PB_EXPORT PB_STORE* csUpdateObjectMetaData(CS_UPDATE_OBJECT* uo) {
    PB_ASSERT(uo);
    return pbStoreRetain(uo->metaData);
}

extern "C" PB_EXPORT void csUpdateObjectSetMetaData(CS_UPDATE_OBJECT** uo, PB_STORE* metaData) {
    PB_COW(uo, csUpdateObjectCreateFrom);
    PB_ASSERT(metaData);
    pb::setField((*uo)->metaData, metaData);
}

// Writes the entry from the update object alone: a wrapped object's sort,
// mode and configuration go into an inner store under "config", and the
// outer "sort" says "CS_WRAPPED".
extern "C" PB_EXPORT PB_STORE* csUpdateObjectStore(CS_UPDATE_OBJECT* uo) {
    PB_ASSERT(uo);
    PB_STORE* store = pbStoreCreate();
    if (uo->wrappedMode == -1) {
        pbStoreSetValue(&store, keys->sort.get(), uo->sortName);
        pbStoreSetStore(&store, keys->config.get(), uo->config);
    } else {
        auto inner = pb::adopt(pbStoreCreate());
        auto mode = pb::adopt(csWrappedModeToString(uo->wrappedMode));
        pbStoreSetValue(inner.out(), keyMode, mode.get());
        pbStoreSetValue(inner.out(), keys->sort.get(), uo->sortName);
        pbStoreSetStore(inner.out(), keys->config.get(), uo->config);
        pbStoreSetValue(&store, keys->sort.get(), sortWrapped);
        pbStoreSetStore(&store, keys->config.get(), inner.get());
    }
    pbStoreSetValueBool(&store, keys->protectedFlag.get(), uo->isProtected);
    pbStoreSetValueBool(&store, keys->visible.get(), uo->visible);
    if (uo->comment) pbStoreSetValue(&store, keys->comment.get(), uo->comment);
    pbStoreSetStore(&store, keys->metaData.get(), uo->metaData);
    return store;
}

// Reads an entry; a wrapped entry is opened one level, so the update object
// names the wrapped object's sort. An unknown or missing mode reads as
// CS_WRAPPED_MODE_FALLBACK.
extern "C" PB_EXPORT CS_UPDATE_OBJECT* csUpdateObjectTryRestore(PB_STORE* store) {
    PB_ASSERT(store);
    auto sortName = pb::adopt(upperCaseName(store, keys->sort.get()));
    if (!sortName) return nullptr;

    PB_INT wm = -1;
    pb::Ref<PB_STORE> config;
    if (pbStringEquals(sortName.get(), sortWrapped)) {
        auto inner = pb::adopt(pbStoreStore(store, keys->config.get()));
        if (!inner) return nullptr;
        wm = CS_WRAPPED_MODE_FALLBACK;
        if (auto modeName = pb::adopt(pbStoreValue(inner.get(), keyMode))) {
            PB_INT parsed = csWrappedModeFromString(modeName.get());
            if (CS_WRAPPED_MODE_OK(parsed)) wm = parsed;
        }
        sortName = pb::adopt(upperCaseName(inner.get(), keys->sort.get()));
        if (!sortName) return nullptr;
        config = pb::adopt(pbStoreStore(inner.get(), keys->config.get()));
    } else {
        config = pb::adopt(pbStoreStore(store, keys->config.get()));
    }

    auto metaData = pb::adopt(pbStoreStore(store, keys->metaData.get()));
    CS_UPDATE_OBJECT* uo = createWith(sortName.get(), config.get(), metaData.get());
    PB_BOOL flag;
    if (pbStoreValueBool(store, keys->protectedFlag.get(), &flag)) uo->isProtected = flag != 0;
    if (pbStoreValueBool(store, keys->visible.get(), &flag)) uo->visible = flag != 0;
    uo->wrappedMode = wm;
    uo->comment = pbStoreValue(store, keys->comment.get());
    return uo;
}
