// Stubs: one configuration store behind a lock.
#include "cs/base/cs_stub.h"

#include "cs/base/cs_module.h"
#include "pb/pb_stdfunc.hpp"

#include <mutex>
#include <new>

// The lock lives in the stub itself: a configuration of many objects holds
// mostly stubs, and one allocation each is what they cost.
struct CS_STUB {
    PB_OBJ obj;
    std::mutex lock[1];  // made with the stub; guards config
    PB_STORE* config;    // never NULL; guarded by lock
};

namespace {

void stubFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_STUB);
    auto* stub = reinterpret_cast<CS_STUB*>(obj);
    stub->lock->~mutex();
    pb::releaseField(stub->config);
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_STUB, &cs___module, "CS_STUB", stubFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csStub, CS_STUB, cs___sort_CS_STUB)

extern "C" PB_EXPORT CS_STUB* csStubCreate(void) {
    auto* stub = reinterpret_cast<CS_STUB*>(pb___ObjCreate(sizeof(CS_STUB), &cs___sort_CS_STUB));
    new (stub->lock) std::mutex();
    stub->config = pbStoreCreate();
    return stub;
}

extern "C" PB_EXPORT PB_STORE* csStubConfig(CS_STUB* stub) {
    PB_ASSERT(stub);
    std::lock_guard guard(*stub->lock);
    return pbStoreRetain(stub->config);
}

// The previous configuration is released after the lock is left.
extern "C" PB_EXPORT void csStubSetConfig(CS_STUB* stub, PB_STORE* config) {
    PB_ASSERT(stub);
    PB_ASSERT(config);
    PB_STORE* previous;
    {
        std::lock_guard guard(*stub->lock);
        previous = stub->config;
        stub->config = pbStoreRetain(config);
    }
    pbStoreRelease(previous);
}
