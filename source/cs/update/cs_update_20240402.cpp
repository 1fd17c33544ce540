// The update "2024-04-02": a node wizard preset in an object's meta data
// becomes its object information identifier.
#include "cs/update/cs_update_20240402.h"

#include "cs/base/cs_module.h"
#include "cs/update/cs_update_backend.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

namespace {

// Set at start-up, released at shutdown; only read in between.
CS_UPDATE_BACKEND* backend = nullptr;
PB_STRING* keyPelmarq = nullptr;
PB_STRING* keyNodeWizard = nullptr;
PB_STRING* keyPreset = nullptr;
PB_STRING* keyObjectInformationId = nullptr;

// The identifier a preset stands for: upper case, without hyphens, with
// 'L' and 'Z' (easily misread as digits) written as '0'.
PB_STRING* objectInformationId(PB_STRING* preset) {
    auto upper = pb::retain(preset);
    pbStringToUpper(upper.out());
    PB_STRING* id = pbStringCreate();
    for (PB_INT i = 0; i < pbStringLength(upper.get()); ++i) {
        PB_CHAR ch = pbStringCharAt(upper.get(), i);
        if (ch == '-') continue;
        if (ch == 'L' || ch == 'Z') ch = '0';
        pbStringAppendChar(&id, ch);
    }
    return id;
}

// Moves "pelmarq"/"nodeWizard"/"preset" of every object's meta data to
// "pelmarq"/"objectInformationId"; "nodeWizard" stays, even when empty.
void migrate(PB_OBJ*, CS_UPDATE** update) {
    PB_ASSERT(update);
    PB_ASSERT(*update);
    auto version = pb::adopt(csUpdateModuleVersion(*update, csModule()));
    if (version && pbModuleVersionMajor(version.get()) >= 5) return;

    auto objects = pb::adopt(csUpdateObjects(*update));
    for (PB_INT i = 0; i < csUpdateObjectsLength(objects.get()); ++i) {
        auto uo = pb::adopt(csUpdateObjectsObjectAt(objects.get(), i));
        auto metaData = pb::adopt(csUpdateObjectMetaData(uo.get()));
        auto pelmarq = pb::adopt(pbStoreStore(metaData.get(), keyPelmarq));
        if (!pelmarq || pbStoreHasAddress(pelmarq.get(), keyObjectInformationId)) continue;
        auto nodeWizard = pb::adopt(pbStoreStore(pelmarq.get(), keyNodeWizard));
        if (!nodeWizard) continue;
        auto preset = pb::adopt(pbStoreValue(nodeWizard.get(), keyPreset));
        if (!preset) continue;

        pbStoreDel(nodeWizard.out(), keyPreset);
        pbStoreSetStore(pelmarq.out(), keyNodeWizard, nodeWizard.get());
        auto id = pb::adopt(objectInformationId(preset.get()));
        pbStoreSetValue(pelmarq.out(), keyObjectInformationId, id.get());
        pbStoreSetStore(metaData.out(), keyPelmarq, pelmarq.get());
        csUpdateObjectSetMetaData(uo.out(), metaData.get());
        auto name = pb::adopt(csUpdateObjectsNameAt(objects.get(), i));
        csUpdateSetObject(update, name.get(), uo.get());
    }

    auto written = pb::adopt(pbModuleVersionTryCreateFromCstr("5.0", -1));
    csUpdateSetModuleVersion(update, csModule(), written.get());
}

}  // namespace

extern "C" PB_EXPORT void cs___Update20240402Startup(void) {
    keyPelmarq = pbStringCreateFromCstr("pelmarq", -1);
    keyNodeWizard = pbStringCreateFromCstr("nodeWizard", -1);
    keyPreset = pbStringCreateFromCstr("preset", -1);
    keyObjectInformationId = pbStringCreateFromCstr("objectInformationId", -1);
    backend = csUpdateBackendCreateCstr("2024-04-02", -1, migrate, nullptr);
}

extern "C" PB_EXPORT void cs___Update20240402Shutdown(void) {
    pb::releaseField(backend);
    pb::releaseField(keyPelmarq);
    pb::releaseField(keyNodeWizard);
    pb::releaseField(keyPreset);
    pb::releaseField(keyObjectInformationId);
}
