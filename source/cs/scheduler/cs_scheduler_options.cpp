// The options class of schedulers: fields, copy-on-write setters, store form.
#include "cs/scheduler/cs_scheduler_options.h"

#include "cs/base/cs_module.h"
#include "cs/base/cs_store_keys.hpp"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

struct CS_SCHEDULER_OPTIONS {
    PB_OBJ obj;
    PB_INT events;    // >= 1
    PB_INT interval;  // CS_SCHEDULER_INTERVAL_OK
};

namespace {

// Options hold no references; the free function only checks its argument.
void optionsFree(PB_OBJ* obj) { PB_SORT_CHECK(obj, cs___sort_CS_SCHEDULER_OPTIONS); }

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_SCHEDULER_OPTIONS, &cs___module, "CS_SCHEDULER_OPTIONS", optionsFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csSchedulerOptions, CS_SCHEDULER_OPTIONS, cs___sort_CS_SCHEDULER_OPTIONS)

extern "C" PB_EXPORT CS_SCHEDULER_OPTIONS* csSchedulerOptionsCreate(void) {
    auto* opt = reinterpret_cast<CS_SCHEDULER_OPTIONS*>(
        pb___ObjCreate(sizeof(CS_SCHEDULER_OPTIONS), &cs___sort_CS_SCHEDULER_OPTIONS));
    opt->events = 1;
    opt->interval = CS_SCHEDULER_INTERVAL_EVENTS_PER_MILLISECOND;
    return opt;
}

extern "C" PB_EXPORT CS_SCHEDULER_OPTIONS* csSchedulerOptionsCreateFrom(CS_SCHEDULER_OPTIONS* source) {
    PB_ASSERT(source);
    CS_SCHEDULER_OPTIONS* opt = csSchedulerOptionsCreate();
    opt->events = source->events;
    opt->interval = source->interval;
    return opt;
}

extern "C" PB_EXPORT PB_INT csSchedulerOptionsEvents(CS_SCHEDULER_OPTIONS* opt) {
    PB_ASSERT(opt);
    return opt->events;
}

extern "C" PB_EXPORT void csSchedulerOptionsSetEvents(CS_SCHEDULER_OPTIONS** opt, PB_INT events) {
    PB_COW(opt, csSchedulerOptionsCreateFrom);
    PB_ASSERT(events >= 1);
    (*opt)->events = events;
}

extern "C" PB_EXPORT PB_INT csSchedulerOptionsInterval(CS_SCHEDULER_OPTIONS* opt) {
    PB_ASSERT(opt);
    return opt->interval;
}

extern "C" PB_EXPORT void csSchedulerOptionsSetInterval(CS_SCHEDULER_OPTIONS** opt, PB_INT iv) {
    PB_COW(opt, csSchedulerOptionsCreateFrom);
    PB_ASSERT(CS_SCHEDULER_INTERVAL_OK( iv ));
    (*opt)->interval = iv;
}

extern "C" PB_EXPORT PB_STORE* csSchedulerOptionsStore(CS_SCHEDULER_OPTIONS* opt) {
    PB_ASSERT(opt);
    PB_STORE* store = pbStoreCreate();
    pbStoreSetValueInt(&store, cs::storeKeys().events, opt->events);
    auto interval = pb::adopt(csSchedulerIntervalToString(opt->interval));
    pbStoreSetValue(&store, cs::storeKeys().interval, interval.get());
    return store;
}

extern "C" PB_EXPORT CS_SCHEDULER_OPTIONS* csSchedulerOptionsRestore(PB_STORE* store) {
    PB_ASSERT(store);
    CS_SCHEDULER_OPTIONS* opt = csSchedulerOptionsCreate();
    PB_INT events;
    if (pbStoreValueInt(store, cs::storeKeys().events, &events) && events >= 1) opt->events = events;
    if (auto text = pb::adopt(pbStoreValue(store, cs::storeKeys().interval))) {
        PB_INT iv = csSchedulerIntervalFromString(text.get());
        if (CS_SCHEDULER_INTERVAL_OK( iv )) opt->interval = iv;
    }
    return opt;
}
