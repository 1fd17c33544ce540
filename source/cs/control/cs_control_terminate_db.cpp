// The terminate database: live terminate controls by identifier.
#include "cs/control/cs_control_terminate_db.h"

#include "cs/control/cs_control_terminate_imp.h"
#include "pb/pb_dict.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_region.hpp"
#include "pb/pb_stdfunc.hpp"

namespace {

// Module-wide state: NULL before start-up, all-ones after shutdown.
PB_REGION* terminateDbRegion = nullptr;  // shared: look-ups; exclusive: registration and removal
PB_DICT* terminateDbDict = nullptr;      // identifier -> CS___CONTROL_TERMINATE_IMP; guarded by terminateDbRegion

}  // namespace

extern "C" PB_EXPORT void cs___ControlTerminateDbStartup(void) {
    terminateDbRegion = pbRegionCreate();
    terminateDbDict = pbDictCreate();
}

extern "C" PB_EXPORT void cs___ControlTerminateDbShutdown(void) {
    pb::releaseField(terminateDbDict);
    pb::releaseField(terminateDbRegion);
}

// The control is set desired while the region is still held, so a control
// that unregisters concurrently is either set or not found, never half.
extern "C" PB_EXPORT PB_BOOL cs___ControlTerminateDbTerminateSetDesired(PB_IDENTIFIER* identifier) {
    PB_ASSERT(identifier);
    pb::Ref<PB_OBJ> found;
    pb::RegionSharedGuard guard(terminateDbRegion);
    found = pb::adopt(pbDictObjKey(terminateDbDict, pbIdentifierObj(identifier)));
    if (!found) return PB_FALSE;
    cs___ControlTerminateImpSetDesired(cs___ControlTerminateImpFrom(found.get()));
    return PB_TRUE;
}

extern "C" PB_EXPORT void cs___ControlTerminateDbRegister(PB_IDENTIFIER* identifier,
                                                          CS___CONTROL_TERMINATE_IMP* terminateImp) {
    PB_ASSERT(identifier);
    PB_ASSERT(terminateImp);
    pb::Ref<PB_OBJ> replaced;
    pb::RegionExclusiveGuard guard(terminateDbRegion);
    replaced = pb::adopt(pbDictObjKey(terminateDbDict, pbIdentifierObj(identifier)));
    pbDictSetObjKey(&terminateDbDict, pbIdentifierObj(identifier), cs___ControlTerminateImpObj(terminateImp));
}

// The entry's reference is dropped after the region is left.
extern "C" PB_EXPORT void cs___ControlTerminateDbUnregister(PB_IDENTIFIER* identifier) {
    PB_ASSERT(identifier);
    pb::Ref<PB_OBJ> removed;
    pb::RegionExclusiveGuard guard(terminateDbRegion);
    removed = pb::adopt(pbDictObjKey(terminateDbDict, pbIdentifierObj(identifier)));
    pbDictDelObjKey(&terminateDbDict, pbIdentifierObj(identifier));
}
