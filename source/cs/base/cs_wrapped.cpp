// Wrapped objects: one options reference behind a lock.
#include "cs/base/cs_wrapped.h"

#include "cs/base/cs_module.h"
#include "pb/pb_monitor.hpp"
#include "pb/pb_stdfunc.hpp"

struct CS_WRAPPED {
    PB_OBJ obj;
    PB_MONITOR* monitor;           // set once at creation; guards options
    CS_WRAPPED_OPTIONS* options;   // never NULL; guarded by monitor
};

namespace {

void wrappedFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_WRAPPED);
    auto* wrapped = reinterpret_cast<CS_WRAPPED*>(obj);
    pb::releaseField(wrapped->monitor);
    pb::releaseField(wrapped->options);
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_WRAPPED, &cs___module, "CS_WRAPPED", wrappedFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csWrapped, CS_WRAPPED, cs___sort_CS_WRAPPED)

extern "C" PB_EXPORT CS_WRAPPED* csWrappedCreate(CS_WRAPPED_OPTIONS* options) {
    PB_ASSERT(options);
    auto* wrapped = reinterpret_cast<CS_WRAPPED*>(pb___ObjCreate(sizeof(CS_WRAPPED), &cs___sort_CS_WRAPPED));
    wrapped->monitor = pbMonitorCreate();
    wrapped->options = csWrappedOptionsRetain(options);
    return wrapped;
}

extern "C" PB_EXPORT CS_WRAPPED_OPTIONS* csWrappedOptions(CS_WRAPPED* wrapped) {
    PB_ASSERT(wrapped);
    pb::MonitorGuard guard(wrapped->monitor);
    return csWrappedOptionsRetain(wrapped->options);
}

// The previous options are released after the lock is left.
extern "C" PB_EXPORT void csWrappedSetOptions(CS_WRAPPED* wrapped, CS_WRAPPED_OPTIONS* options) {
    PB_ASSERT(wrapped);
    PB_ASSERT(options);
    CS_WRAPPED_OPTIONS* previous;
    {
        pb::MonitorGuard guard(wrapped->monitor);
        previous = wrapped->options;
        wrapped->options = csWrappedOptionsRetain(options);
    }
    csWrappedOptionsRelease(previous);
}
