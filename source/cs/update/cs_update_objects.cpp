// Update object collections: a fixed dictionary from object name to update
// object.
#include "cs/update/cs_update_objects.h"

#include "cs/base/cs_module.h"
#include "pb/pb_stdfunc.hpp"

struct CS_UPDATE_OBJECTS {
    PB_OBJ obj;
    PB_DICT* dict;  // set once at creation; object name -> CS_UPDATE_OBJECT
};

namespace {

void updateObjectsFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_UPDATE_OBJECTS);
    pb::releaseField(reinterpret_cast<CS_UPDATE_OBJECTS*>(obj)->dict);
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_UPDATE_OBJECTS, &cs___module, "CS_UPDATE_OBJECTS", updateObjectsFree, nullptr,
               nullptr);
PB_STDFUNCS_DEFINE(csUpdateObjects, CS_UPDATE_OBJECTS, cs___sort_CS_UPDATE_OBJECTS)

extern "C" PB_EXPORT CS_UPDATE_OBJECTS* cs___UpdateObjectsCreate(PB_DICT* dict) {
    PB_ASSERT(dict);
    auto* uos = reinterpret_cast<CS_UPDATE_OBJECTS*>(
        pb___ObjCreate(sizeof(CS_UPDATE_OBJECTS), &cs___sort_CS_UPDATE_OBJECTS));
    uos->dict = pbDictRetain(dict);
    return uos;
}

extern "C" PB_EXPORT PB_INT csUpdateObjectsLength(CS_UPDATE_OBJECTS* uos) {
    PB_ASSERT(uos);
    return pbDictLength(uos->dict);
}

extern "C" PB_EXPORT PB_STRING* csUpdateObjectsNameAt(CS_UPDATE_OBJECTS* uos, PB_INT index) {
    PB_ASSERT(uos);
    return pbStringFrom(pbDictKeyAt(uos->dict, index));
}

extern "C" PB_EXPORT CS_UPDATE_OBJECT* csUpdateObjectsObjectAt(CS_UPDATE_OBJECTS* uos, PB_INT index) {
    PB_ASSERT(uos);
    return csUpdateObjectFrom(pbDictValueAt(uos->dict, index));
}
