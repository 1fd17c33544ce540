// Updates: a configuration store under migration; module versions and
// object entries read and rewritten through copy-on-write.
#include "cs/update/cs_update.h"

#include "cs/base/cs_module.h"
#include "cs/object/cs_object_record.h"
#include "pb/pb_name.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

struct CS_UPDATE {
    PB_OBJ obj;
    PB_STORE* current;  // never NULL; value object, shared read-only
};

namespace {

// Key strings of the configuration store: made once at start-up, then only read.
PB_STRING* keyModules = nullptr;
PB_STRING* keyVersion = nullptr;
PB_STRING* keyObjects = nullptr;

void updateFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_UPDATE);
    pb::releaseField(reinterpret_cast<CS_UPDATE*>(obj)->current);
}

// A store that can take entries by name: the store itself, a new empty one
// for NULL, or for an array store a map with the same entries under their
// index addresses ("0", "1", ...), which is how an array's entries read.
pb::Ref<PB_STORE> mapStore(pb::Ref<PB_STORE> store) {
    if (!store) return pb::adopt(pbStoreCreate());
    if (!pbStoreIsArray(store.get())) return store;
    auto map = pb::adopt(pbStoreCreate());
    for (PB_INT i = 0; i < pbStoreLength(store.get()); ++i) {
        auto address = pb::adopt(pbStoreAddressAt(store.get(), i));
        PB_INT number = 0;
        PB_BOOL flag = PB_FALSE;
        switch (pbStoreTypeAt(store.get(), i)) {
        case PB_STORE_TYPE_STRING:
            pbStoreSetValue(map.out(), address.get(), pb::adopt(pbStoreValueAt(store.get(), i)).get());
            break;
        case PB_STORE_TYPE_INT:
            pbStoreValueIntAt(store.get(), i, &number);
            pbStoreSetValueInt(map.out(), address.get(), number);
            break;
        case PB_STORE_TYPE_BOOL:
            pbStoreValueBoolAt(store.get(), i, &flag);
            pbStoreSetValueBool(map.out(), address.get(), flag);
            break;
        default:
            pbStoreSetStore(map.out(), address.get(), pb::adopt(pbStoreStoreAt(store.get(), i)).get());
            break;
        }
    }
    return map;
}

// The update's store, made a map store first if it is an array.
PB_STORE** currentMap(CS_UPDATE* update) {
    if (pbStoreIsArray(update->current)) {
        auto map = mapStore(pb::retain(update->current));
        pb::setField(update->current, map.get());
    }
    return &update->current;
}

// The valid object entries, all of them or those of one sort.
CS_UPDATE_OBJECTS* collect(CS_UPDATE* update, PB_STRING* sortName) {
    auto dict = pb::adopt(pbDictCreate());
    if (auto objects = pb::adopt(pbStoreStore(update->current, keyObjects))) {
        for (PB_INT i = 0; i < pbStoreLength(objects.get()); ++i) {
            if (pbStoreTypeAt(objects.get(), i) != PB_STORE_TYPE_STORE) continue;
            auto name = pb::adopt(pbStoreAddressAt(objects.get(), i));
            if (!csObjectRecordNameOk(name.get())) continue;
            auto entry = pb::adopt(pbStoreStoreAt(objects.get(), i));
            auto uo = pb::adopt(csUpdateObjectTryRestore(entry.get()));
            if (!uo) continue;
            if (sortName && !pbStringEquals(pb::adopt(csUpdateObjectSortName(uo.get())).get(), sortName)) continue;
            pbDictSetStringKey(dict.out(), name.get(), csUpdateObjectObj(uo.get()));
        }
    }
    return cs___UpdateObjectsCreate(dict.get());
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_UPDATE, &cs___module, "CS_UPDATE", updateFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csUpdate, CS_UPDATE, cs___sort_CS_UPDATE)

extern "C" PB_EXPORT void cs___UpdateStartup(void) {
    keyModules = pbStringCreateFromCstr("modules", -1);
    keyVersion = pbStringCreateFromCstr("version", -1);
    keyObjects = pbStringCreateFromCstr("objects", -1);
}

extern "C" PB_EXPORT void cs___UpdateShutdown(void) {
    pb::releaseField(keyModules);
    pb::releaseField(keyVersion);
    pb::releaseField(keyObjects);
}

extern "C" PB_EXPORT CS_UPDATE* csUpdateCreate(PB_STORE* current) {
    PB_ASSERT(current);
    auto* update = reinterpret_cast<CS_UPDATE*>(pb___ObjCreate(sizeof(CS_UPDATE), &cs___sort_CS_UPDATE));
    update->current = pbStoreRetain(current);
    return update;
}

extern "C" PB_EXPORT CS_UPDATE* csUpdateCreateFrom(CS_UPDATE* source) {
    PB_ASSERT(source);
    return csUpdateCreate(source->current);
}

extern "C" PB_EXPORT PB_STORE* csUpdateCurrent(CS_UPDATE* update) {
    PB_ASSERT(update);
    return pbStoreRetain(update->current);
}

extern "C" PB_EXPORT void csUpdateSetCurrent(CS_UPDATE** update, PB_STORE* current) {
    PB_COW(update, csUpdateCreateFrom);
    PB_ASSERT(current);
    pb::setField((*update)->current, current);
}

extern "C" PB_EXPORT PB_MODULE_VERSION* csUpdateModuleVersionByName(CS_UPDATE* update, PB_STRING* moduleName) {
    PB_ASSERT(update);
    PB_ASSERT(pbModuleNameOk( moduleName ));
    auto modules = pb::adopt(pbStoreStore(update->current, keyModules));
    if (!modules) return nullptr;
    auto module = pb::adopt(pbStoreStore(modules.get(), moduleName));
    if (!module) return nullptr;
    auto text = pb::adopt(pbStoreValue(module.get(), keyVersion));
    return text ? pbModuleVersionTryCreateFromString(text.get()) : nullptr;
}

extern "C" PB_EXPORT PB_MODULE_VERSION* csUpdateModuleVersion(CS_UPDATE* update, PB_MODULE* module) {
    PB_ASSERT(module);
    return csUpdateModuleVersionByName(update, pb::adopt(pbModuleName(module)).get());
}

// Writes "modules"/moduleName/"version"; the module's other values stay.
extern "C" PB_EXPORT void csUpdateSetModuleVersionByName(CS_UPDATE** update, PB_STRING* moduleName,
                                                         PB_MODULE_VERSION* version) {
    PB_COW(update, csUpdateCreateFrom);
    PB_ASSERT(pbModuleNameOk( moduleName ));
    PB_ASSERT(version);
    PB_STORE** current = currentMap(*update);
    auto modules = mapStore(pb::adopt(pbStoreStore(*current, keyModules)));
    auto module = mapStore(pb::adopt(pbStoreStore(modules.get(), moduleName)));
    auto text = pb::adopt(pbModuleVersionToString(version));
    pbStoreSetValue(module.out(), keyVersion, text.get());
    pbStoreSetStore(modules.out(), moduleName, module.get());
    pbStoreSetStore(current, keyModules, modules.get());
}

extern "C" PB_EXPORT void csUpdateSetModuleVersion(CS_UPDATE** update, PB_MODULE* module,
                                                   PB_MODULE_VERSION* version) {
    PB_ASSERT(module);
    csUpdateSetModuleVersionByName(update, pb::adopt(pbModuleName(module)).get(), version);
}

// Removes "modules"/moduleName/"version" and then whatever it leaves empty;
// when any of the three is missing the store stays as it was.
extern "C" PB_EXPORT void csUpdateDelModuleVersionByName(CS_UPDATE** update, PB_STRING* moduleName) {
    PB_COW(update, csUpdateCreateFrom);
    PB_ASSERT(pbModuleNameOk( moduleName ));
    PB_STORE** current = &(*update)->current;
    auto modules = pb::adopt(pbStoreStore(*current, keyModules));
    if (!modules) return;
    auto module = pb::adopt(pbStoreStore(modules.get(), moduleName));
    if (!module || !pbStoreHasAddress(module.get(), keyVersion)) return;

    pbStoreDel(module.out(), keyVersion);
    if (pbStoreLength(module.get()) == 0)
        pbStoreDel(modules.out(), moduleName);
    else
        pbStoreSetStore(modules.out(), moduleName, module.get());
    if (pbStoreLength(modules.get()) == 0)
        pbStoreDel(current, keyModules);
    else
        pbStoreSetStore(current, keyModules, modules.get());
}

extern "C" PB_EXPORT void csUpdateDelModuleVersion(CS_UPDATE** update, PB_MODULE* module) {
    PB_ASSERT(module);
    csUpdateDelModuleVersionByName(update, pb::adopt(pbModuleName(module)).get());
}

extern "C" PB_EXPORT CS_UPDATE_OBJECT* csUpdateObject(CS_UPDATE* update, PB_STRING* objectName) {
    PB_ASSERT(update);
    PB_ASSERT(csObjectRecordNameOk( objectName ));
    auto objects = pb::adopt(pbStoreStore(update->current, keyObjects));
    if (!objects) return nullptr;
    auto entry = pb::adopt(pbStoreStore(objects.get(), objectName));
    return entry ? csUpdateObjectTryRestore(entry.get()) : nullptr;
}

// The entry is written from the update object alone, so keys of a former
// entry that an update object does not carry are gone afterwards.
extern "C" PB_EXPORT void csUpdateSetObject(CS_UPDATE** update, PB_STRING* objectName,
                                            CS_UPDATE_OBJECT* updateObject) {
    PB_COW(update, csUpdateCreateFrom);
    PB_ASSERT(csObjectRecordNameOk( objectName ));
    PB_ASSERT(updateObject);
    auto entry = pb::adopt(csUpdateObjectStore(updateObject));
    PB_STORE** current = currentMap(*update);
    auto objects = mapStore(pb::adopt(pbStoreStore(*current, keyObjects)));
    pbStoreSetStore(objects.out(), objectName, entry.get());
    pbStoreSetStore(current, keyObjects, objects.get());
}

extern "C" PB_EXPORT void csUpdateDelObject(CS_UPDATE** update, PB_STRING* objectName) {
    PB_COW(update, csUpdateCreateFrom);
    PB_ASSERT(csObjectRecordNameOk( objectName ));
    PB_STORE** current = &(*update)->current;
    auto found = pb::adopt(pbStoreStore(*current, keyObjects));
    if (!found || !pbStoreHasAddress(found.get(), objectName)) return;
    auto objects = mapStore(std::move(found));
    pbStoreDel(objects.out(), objectName);
    if (pbStoreLength(objects.get()) == 0)
        pbStoreDel(current, keyObjects);
    else
        pbStoreSetStore(current, keyObjects, objects.get());
}

extern "C" PB_EXPORT CS_UPDATE_OBJECTS* csUpdateObjects(CS_UPDATE* update) {
    PB_ASSERT(update);
    return collect(update, nullptr);
}

extern "C" PB_EXPORT CS_UPDATE_OBJECTS* csUpdateObjectsBySortName(CS_UPDATE* update, PB_STRING* sortName) {
    PB_ASSERT(update);
    PB_ASSERT(pbNameUpperCaseOk( sortName, PB_TRUE ));
    return collect(update, sortName);
}

extern "C" PB_EXPORT CS_UPDATE_OBJECTS* csUpdateObjectsBySort(CS_UPDATE* update, PB_SORT* sort) {
    PB_ASSERT(sort);
    return csUpdateObjectsBySortName(update, pb::adopt(pbSortName(sort)).get());
}
