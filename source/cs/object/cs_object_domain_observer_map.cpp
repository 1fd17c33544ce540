// Domain observer maps: one object per sort, fixed objects before observed ones.
#include "cs/object/cs_object_domain_observer_map.h"

#include "cs/base/cs_module.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

struct CS_OBJECT_DOMAIN_OBSERVER_MAP {
    PB_OBJ obj;
    PB_DICT* objects;  // set once at creation; sort -> object, never changed
};

namespace {

void mapFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_OBJECT_DOMAIN_OBSERVER_MAP);
    pb::releaseField(reinterpret_cast<CS_OBJECT_DOMAIN_OBSERVER_MAP*>(obj)->objects);
}

// Enters every object of set under its sort unless the sort has one.
void enterFirstOfEachSort(PB_DICT** objects, PB_DICT* set) {
    for (PB_INT i = 0; i < pbDictLength(set); ++i) {
        auto object = pb::adopt(pbDictKeyAt(set, i));
        PB_OBJ* sort = pbSortObj(pbObjSort(object.get()));
        if (!pbDictHasObjKey(*objects, sort)) pbDictSetObjKey(objects, sort, object.get());
    }
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_OBJECT_DOMAIN_OBSERVER_MAP, &cs___module, "CS_OBJECT_DOMAIN_OBSERVER_MAP", mapFree,
               nullptr, nullptr);
PB_STDFUNCS_DEFINE(csObjectDomainObserverMap, CS_OBJECT_DOMAIN_OBSERVER_MAP, cs___sort_CS_OBJECT_DOMAIN_OBSERVER_MAP)

extern "C" PB_EXPORT CS_OBJECT_DOMAIN_OBSERVER_MAP* cs___ObjectDomainObserverMapCreate(PB_DICT* observedObjects,
                                                                                      PB_DICT* fixedObjects) {
    PB_ASSERT(observedObjects);
    PB_ASSERT(fixedObjects);
    auto* map = reinterpret_cast<CS_OBJECT_DOMAIN_OBSERVER_MAP*>(
        pb___ObjCreate(sizeof(CS_OBJECT_DOMAIN_OBSERVER_MAP), &cs___sort_CS_OBJECT_DOMAIN_OBSERVER_MAP));
    map->objects = pbDictCreate();
    enterFirstOfEachSort(&map->objects, fixedObjects);
    enterFirstOfEachSort(&map->objects, observedObjects);
    return map;
}

extern "C" PB_EXPORT PB_OBJ* csObjectDomainObserverMapObject(CS_OBJECT_DOMAIN_OBSERVER_MAP* map, PB_SORT* sort) {
    PB_ASSERT(map);
    PB_ASSERT(sort);
    return pbDictObjKey(map->objects, pbSortObj(sort));
}

extern "C" PB_EXPORT PB_BOOL csObjectDomainObserverMapHasObject(CS_OBJECT_DOMAIN_OBSERVER_MAP* map, PB_SORT* sort) {
    PB_ASSERT(map);
    PB_ASSERT(sort);
    return pbDictHasObjKey(map->objects, pbSortObj(sort));
}
