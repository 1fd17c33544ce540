// Stubs: one configuration store behind a lock.
#include "cs/base/cs_stub.h"

#include "cs/base/cs_module.h"
#include "pb/pb_monitor.hpp"
#include "pb/pb_stdfunc.hpp"

struct CS_STUB {
    PB_OBJ obj;
    PB_MONITOR* monitor;  // set once at creation; guards config
    PB_STORE* config;     // never NULL; guarded by monitor
};

namespace {

void stubFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_STUB);
    auto* stub = reinterpret_cast<CS_STUB*>(obj);
    pb::releaseField(stub->monitor);
    pb::releaseField(stub->config);
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_STUB, &cs___module, "CS_STUB", stubFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csStub, CS_STUB, cs___sort_CS_STUB)

extern "C" PB_EXPORT CS_STUB* csStubCreate(void) {
    auto* stub = reinterpret_cast<CS_STUB*>(pb___ObjCreate(sizeof(CS_STUB), &cs___sort_CS_STUB));
    stub->monitor = pbMonitorCreate();
    stub->config = pbStoreCreate();
    return stub;
}

extern "C" PB_EXPORT PB_STORE* csStubConfig(CS_STUB* stub) {
    PB_ASSERT(stub);
    pb::MonitorGuard guard(stub->monitor);
    return pbStoreRetain(stub->config);
}

// The previous configuration is released after the lock is left.
extern "C" PB_EXPORT void csStubSetConfig(CS_STUB* stub, PB_STORE* config) {
    PB_ASSERT(stub);
    PB_ASSERT(config);
    PB_STORE* previous;
    {
        pb::MonitorGuard guard(stub->monitor);
        previous = stub->config;
        stub->config = pbStoreRetain(config);
    }
    pbStoreRelease(previous);
}
