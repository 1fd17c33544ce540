// The sort backend of CS_SCHEDULER: its configuration is its options' store.
#include "cs/scheduler/cs_scheduler_cs.h"

#include "cs/scheduler/cs_scheduler.h"
#include "cs/sort/cs_sort_backend.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

namespace {

CS_SORT_BACKEND* schedulerCsBackend = nullptr;  // set at start-up, released at shutdown

// Never NULL: without a configuration the options are the defaults.
PB_OBJ* tryCreate(PB_OBJ*, PB_STORE* config, TR_ANCHOR* anchor) {
    auto options = pb::adopt(config ? csSchedulerOptionsRestore(config) : csSchedulerOptionsCreate());
    return csSchedulerObj(csSchedulerCreate(options.get(), anchor));
}

PB_STORE* config(PB_OBJ*, PB_OBJ* object, PB_BOOL, PB_BOOL) {
    auto options = pb::adopt(csSchedulerOptions(csSchedulerFrom(object)));
    return csSchedulerOptionsStore(options.get());
}

void setConfig(PB_OBJ*, PB_OBJ* object, PB_STORE* config) {
    auto options = pb::adopt(csSchedulerOptionsRestore(config));
    csSchedulerSetOptions(csSchedulerFrom(object), options.get());
}

// The canonical form: unknown keys dropped, both keys written.
PB_STORE* normalizeConfig(PB_OBJ*, PB_STORE* config, PB_BOOL, PB_BOOL) {
    PB_ASSERT(config);
    auto options = pb::adopt(csSchedulerOptionsRestore(config));
    return csSchedulerOptionsStore(options.get());
}

void traceCompleteAnchor(PB_OBJ*, PB_OBJ* object, TR_ANCHOR* anchor) {
    csSchedulerTraceCompleteAnchor(csSchedulerFrom(object), anchor);
}

}  // namespace

extern "C" PB_EXPORT void cs___SchedulerCsStartup(void) {
    schedulerCsBackend = nullptr;
    schedulerCsBackend = csSortBackendCreate(csSchedulerSort(), tryCreate, config, setConfig, normalizeConfig,
                                             nullptr, traceCompleteAnchor, nullptr);
}

extern "C" PB_EXPORT void cs___SchedulerCsShutdown(void) { pb::releaseField(schedulerCsBackend); }
