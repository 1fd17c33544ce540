// The sort backend of CS_CONDITION: its configuration is its options' store.
#include "cs/condition/cs_condition_cs.h"

#include "cs/condition/cs_condition.h"
#include "cs/sort/cs_sort_backend.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

namespace {

CS_SORT_BACKEND* conditionCsBackend = nullptr;  // set at start-up, released at shutdown

// Never NULL: without a configuration the options are the defaults.
PB_OBJ* tryCreate(PB_OBJ*, PB_STORE* config, TR_ANCHOR* anchor) {
    auto options = pb::adopt(config ? csConditionOptionsRestore(config) : csConditionOptionsCreate());
    return csConditionObj(csConditionCreate(options.get(), anchor));
}

PB_STORE* config(PB_OBJ*, PB_OBJ* object, PB_BOOL complete, PB_BOOL) {
    auto options = pb::adopt(csConditionOptions(csConditionFrom(object)));
    return csConditionOptionsStore(options.get(), complete);
}

void setConfig(PB_OBJ*, PB_OBJ* object, PB_STORE* config) {
    auto options = pb::adopt(csConditionOptionsRestore(config));
    csConditionSetOptions(csConditionFrom(object), options.get());
}

// The canonical form: unknown keys dropped, defaults written when complete.
PB_STORE* normalizeConfig(PB_OBJ*, PB_STORE* config, PB_BOOL complete, PB_BOOL) {
    PB_ASSERT(config);
    auto options = pb::adopt(csConditionOptionsRestore(config));
    return csConditionOptionsStore(options.get(), complete);
}

CS_STATUS* status(PB_OBJ*, PB_OBJ* object) { return csConditionStatus(csConditionFrom(object)); }

void traceCompleteAnchor(PB_OBJ*, PB_OBJ* object, TR_ANCHOR* anchor) {
    csConditionTraceCompleteAnchor(csConditionFrom(object), anchor);
}

}  // namespace

extern "C" PB_EXPORT void cs___ConditionCsStartup(void) {
    conditionCsBackend = nullptr;
    conditionCsBackend = csSortBackendCreate(csConditionSort(), tryCreate, config, setConfig, normalizeConfig, status,
                                             traceCompleteAnchor, nullptr);
}

extern "C" PB_EXPORT void cs___ConditionCsShutdown(void) { pb::releaseField(conditionCsBackend); }
