// The update "2000-01-01": stub containers of disabled objects become
// wrapped entries of mode CS_WRAPPED_MODE_DISABLED.
#include "cs/update/cs_update_20000101.h"

#include "cs/base/cs_module.h"
#include "cs/base/cs_wrapped_mode.h"
#include "cs/update/cs_update_backend.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

namespace {

// Set at start-up, released at shutdown; only read in between.
CS_UPDATE_BACKEND* backend = nullptr;
PB_STRING* keyType = nullptr;
PB_STRING* typeDisabledObject = nullptr;  // "CS_STUB_CONTAINER_TYPE_DISABLED_OBJECT"
PB_STRING* keyContent = nullptr;
PB_STRING* sortStub = nullptr;  // "CS_STUB"

// Replaces every stub entry that holds a disabled object by that object's
// own entry, wrapped as disabled. The entry takes everything from the
// content (sort, configuration, flags, comment, meta data); nothing of the
// stub's own entry survives. A content entry that is wrapped itself keeps
// its inner sort and configuration and only changes its mode.
void migrate(PB_OBJ*, CS_UPDATE** update) {
    PB_ASSERT(update);
    PB_ASSERT(*update);
    auto version = pb::adopt(csUpdateModuleVersion(*update, csModule()));
    if (version && pbModuleVersionMajor(version.get()) >= 1) return;

    auto stubs = pb::adopt(csUpdateObjectsBySortName(*update, sortStub));
    for (PB_INT i = 0; i < csUpdateObjectsLength(stubs.get()); ++i) {
        auto stub = pb::adopt(csUpdateObjectsObjectAt(stubs.get(), i));
        auto config = pb::adopt(csUpdateObjectConfig(stub.get()));
        auto type = pb::adopt(pbStoreValue(config.get(), keyType));
        if (!type || !pbStringEquals(type.get(), typeDisabledObject)) continue;
        auto content = pb::adopt(pbStoreStore(config.get(), keyContent));
        if (!content) continue;
        auto disabled = pb::adopt(csUpdateObjectTryRestore(content.get()));
        if (!disabled) continue;
        csUpdateObjectSetWrappedMode(disabled.out(), CS_WRAPPED_MODE_DISABLED);
        auto name = pb::adopt(csUpdateObjectsNameAt(stubs.get(), i));
        csUpdateSetObject(update, name.get(), disabled.get());
    }

    auto written = pb::adopt(pbModuleVersionTryCreateFromCstr("1.0", -1));
    csUpdateSetModuleVersion(update, csModule(), written.get());
}

}  // namespace

extern "C" PB_EXPORT void cs___Update20000101Startup(void) {
    keyType = pbStringCreateFromCstr("type", -1);
    typeDisabledObject = pbStringCreateFromCstr("CS_STUB_CONTAINER_TYPE_DISABLED_OBJECT", -1);
    keyContent = pbStringCreateFromCstr("content", -1);
    sortStub = pbStringCreateFromCstr("CS_STUB", -1);
    backend = csUpdateBackendCreateCstr("2000-01-01", -1, migrate, nullptr);
}

extern "C" PB_EXPORT void cs___Update20000101Shutdown(void) {
    pb::releaseField(backend);
    pb::releaseField(keyType);
    pb::releaseField(typeDisabledObject);
    pb::releaseField(keyContent);
    pb::releaseField(sortStub);
}
