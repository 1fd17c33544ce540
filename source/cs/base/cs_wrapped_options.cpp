// Wrapped options: fields, copy-on-write setters, store form.
#include "cs/base/cs_wrapped_options.h"

#include "cs/base/cs_module.h"
#include "cs/base/cs_store_keys.hpp"
#include "pb/pb_name.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

struct CS_WRAPPED_OPTIONS {
    PB_OBJ obj;
    PB_STRING* sortName;  // NULL when not set; value object, shared read-only
    PB_INT mode;          // CS_WRAPPED_MODE_OK
    PB_STORE* config;     // never NULL; value object, shared read-only
};

namespace {

void wrappedOptionsFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_WRAPPED_OPTIONS);
    auto* opt = reinterpret_cast<CS_WRAPPED_OPTIONS*>(obj);
    pb::releaseField(opt->sortName);
    pb::releaseField(opt->config);
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_WRAPPED_OPTIONS, &cs___module, "CS_WRAPPED_OPTIONS", wrappedOptionsFree, nullptr,
               nullptr);
PB_STDFUNCS_DEFINE(csWrappedOptions, CS_WRAPPED_OPTIONS, cs___sort_CS_WRAPPED_OPTIONS)

extern "C" PB_EXPORT CS_WRAPPED_OPTIONS* csWrappedOptionsCreate(void) {
    auto* opt = reinterpret_cast<CS_WRAPPED_OPTIONS*>(
        pb___ObjCreate(sizeof(CS_WRAPPED_OPTIONS), &cs___sort_CS_WRAPPED_OPTIONS));
    opt->mode = CS_WRAPPED_MODE_FALLBACK;
    opt->config = pbStoreCreate();
    return opt;
}

extern "C" PB_EXPORT CS_WRAPPED_OPTIONS* csWrappedOptionsCreateFrom(CS_WRAPPED_OPTIONS* source) {
    PB_ASSERT(source);
    CS_WRAPPED_OPTIONS* opt = csWrappedOptionsCreate();
    pb::setField(opt->sortName, source->sortName);
    opt->mode = source->mode;
    pb::setField(opt->config, source->config);
    return opt;
}

extern "C" PB_EXPORT PB_STRING* csWrappedOptionsSortName(CS_WRAPPED_OPTIONS* opt) {
    PB_ASSERT(opt);
    return opt->sortName ? pbStringRetain(opt->sortName) : nullptr;
}

extern "C" PB_EXPORT PB_BOOL csWrappedOptionsHasSortName(CS_WRAPPED_OPTIONS* opt) {
    PB_ASSERT(opt);
    return opt->sortName != nullptr;
}

extern "C" PB_EXPORT void csWrappedOptionsSetSortName(CS_WRAPPED_OPTIONS** opt, PB_STRING* sortName) {
    PB_COW(opt, csWrappedOptionsCreateFrom);
    PB_ASSERT(pbNameUpperCaseOk( sortName, PB_TRUE ));
    pb::setField((*opt)->sortName, sortName);
}

extern "C" PB_EXPORT void csWrappedOptionsDelSortName(CS_WRAPPED_OPTIONS** opt) {
    PB_COW(opt, csWrappedOptionsCreateFrom);
    pb::setField((*opt)->sortName, static_cast<PB_STRING*>(nullptr));
}

extern "C" PB_EXPORT PB_INT csWrappedOptionsMode(CS_WRAPPED_OPTIONS* opt) {
    PB_ASSERT(opt);
    return opt->mode;
}

extern "C" PB_EXPORT void csWrappedOptionsSetMode(CS_WRAPPED_OPTIONS** opt, PB_INT mode) {
    PB_COW(opt, csWrappedOptionsCreateFrom);
    PB_ASSERT(CS_WRAPPED_MODE_OK( mode ));
    (*opt)->mode = mode;
}

extern "C" PB_EXPORT PB_STORE* csWrappedOptionsConfig(CS_WRAPPED_OPTIONS* opt) {
    PB_ASSERT(opt);
    return pbStoreRetain(opt->config);
}

extern "C" PB_EXPORT void csWrappedOptionsSetConfig(CS_WRAPPED_OPTIONS** opt, PB_STORE* config) {
    PB_COW(opt, csWrappedOptionsCreateFrom);
    PB_ASSERT(config);
    pb::setField((*opt)->config, config);
}

extern "C" PB_EXPORT PB_STORE* csWrappedOptionsStore(CS_WRAPPED_OPTIONS* opt) {
    PB_ASSERT(opt);
    PB_STORE* store = pbStoreCreate();
    if (opt->sortName) pbStoreSetValue(&store, cs::storeKeys().sort, opt->sortName);
    auto mode = pb::adopt(csWrappedModeToString(opt->mode));
    pbStoreSetValue(&store, cs::storeKeys().mode, mode.get());
    pbStoreSetStore(&store, cs::storeKeys().config, opt->config);
    return store;
}

// Takes each key only when it is present and well-formed; anything else
// keeps the default, so restoring never fails.
extern "C" PB_EXPORT CS_WRAPPED_OPTIONS* csWrappedOptionsRestore(PB_STORE* store) {
    PB_ASSERT(store);
    CS_WRAPPED_OPTIONS* opt = csWrappedOptionsCreate();
    auto sortName = pb::adopt(pbStoreValue(store, cs::storeKeys().sort));
    if (sortName && pbNameUpperCaseOk(sortName.get(), PB_TRUE)) csWrappedOptionsSetSortName(&opt, sortName.get());
    if (auto modeName = pb::adopt(pbStoreValue(store, cs::storeKeys().mode))) {
        PB_INT mode = csWrappedModeFromString(modeName.get());
        if (CS_WRAPPED_MODE_OK(mode)) csWrappedOptionsSetMode(&opt, mode);
    }
    if (auto config = pb::adopt(pbStoreStore(store, cs::storeKeys().config)))
        csWrappedOptionsSetConfig(&opt, config.get());
    return opt;
}
