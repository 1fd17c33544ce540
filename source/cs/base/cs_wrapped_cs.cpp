// The sort backend of CS_WRAPPED: its configuration is its options' store.
#include "cs/base/cs_wrapped_cs.h"

#include "cs/base/cs_wrapped.h"
#include "cs/sort/cs_sort_backend.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

namespace {

CS_SORT_BACKEND* wrappedCsBackend = nullptr;  // set at start-up, released at shutdown

// Never NULL: without a configuration the options are the defaults.
PB_OBJ* tryCreate(PB_OBJ*, PB_STORE* config, TR_ANCHOR*) {
    auto options = pb::adopt(config ? csWrappedOptionsRestore(config) : csWrappedOptionsCreate());
    return csWrappedObj(csWrappedCreate(options.get()));
}

PB_STORE* config(PB_OBJ*, PB_OBJ* object, PB_BOOL, PB_BOOL) {
    auto options = pb::adopt(csWrappedOptions(csWrappedFrom(object)));
    return csWrappedOptionsStore(options.get());
}

void setConfig(PB_OBJ*, PB_OBJ* object, PB_STORE* config) {
    PB_ASSERT(object);
    PB_ASSERT(config);
    auto options = pb::adopt(csWrappedOptionsRestore(config));
    csWrappedSetOptions(csWrappedFrom(object), options.get());
}

// The canonical form: unknown keys dropped, "mode" and "config" written.
PB_STORE* normalizeConfig(PB_OBJ*, PB_STORE* config, PB_BOOL, PB_BOOL) {
    PB_ASSERT(config);
    auto options = pb::adopt(csWrappedOptionsRestore(config));
    return csWrappedOptionsStore(options.get());
}

}  // namespace

extern "C" PB_EXPORT void cs___WrappedCsStartup(void) {
    wrappedCsBackend = nullptr;
    wrappedCsBackend =
        csSortBackendCreate(csWrappedSort(), tryCreate, config, setConfig, normalizeConfig, nullptr, nullptr, nullptr);
}

extern "C" PB_EXPORT void cs___WrappedCsShutdown(void) { pb::releaseField(wrappedCsBackend); }
