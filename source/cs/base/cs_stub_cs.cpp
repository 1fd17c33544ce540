// The sort backend of CS_STUB: the configuration passes through unchanged.
#include "cs/base/cs_stub_cs.h"

#include "cs/base/cs_stub.h"
#include "cs/sort/cs_sort_backend.h"
#include "pb/pb_stdfunc.hpp"

namespace {

CS_SORT_BACKEND* stubCsBackend = nullptr;  // set at start-up, released at shutdown

// Never NULL: a new stub, holding config when one is given.
PB_OBJ* tryCreate(PB_OBJ*, PB_STORE* config, TR_ANCHOR*) {
    CS_STUB* stub = csStubCreate();
    if (config) csStubSetConfig(stub, config);
    return csStubObj(stub);
}

PB_STORE* config(PB_OBJ*, PB_OBJ* object, PB_BOOL, PB_BOOL) { return csStubConfig(csStubFrom(object)); }

void setConfig(PB_OBJ*, PB_OBJ* object, PB_STORE* config) {
    PB_ASSERT(config);
    csStubSetConfig(csStubFrom(object), config);
}

PB_STORE* normalizeConfig(PB_OBJ*, PB_STORE* config, PB_BOOL, PB_BOOL) {
    PB_ASSERT(config);
    return pbStoreRetain(config);
}

}  // namespace

extern "C" PB_EXPORT void cs___StubCsStartup(void) {
    stubCsBackend = nullptr;
    stubCsBackend =
        csSortBackendCreate(csStubSort(), tryCreate, config, setConfig, normalizeConfig, nullptr, nullptr, nullptr);
}

extern "C" PB_EXPORT void cs___StubCsShutdown(void) { pb::releaseField(stubCsBackend); }
