// The counter's implementation: the value, its item and its update signal.
#include "cs/counter/cs_counter_imp.h"

#include "cs/base/cs_module.h"
#include "cs/base/cs_update_signal.hpp"
#include "cs/status/cs_status.hpp"
#include "pb/pb_name.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_region.hpp"
#include "pb/pb_signal.h"
#include "pb/pb_stdfunc.hpp"

// The counter has no lock of its own: its value and signal are guarded by
// the lock of its reporter's status, so a change of the value, of its item
// and the update signal are one exclusive hold, in the order of the changes.
struct CS___COUNTER_IMP {
    PB_OBJ obj;
    CS_STATUS_REPORTER* rep;     // set once at creation
    PB_REGION* region;           // set once at creation: the lock of rep's status; guards the fields below
    PB_STRING* name;             // set once at creation; also the item's name
    PB_SIGNAL* updateSignal;     // guarded by region; never handed out; asserted and replaced at every watched change
    PB_INT extValue;             // guarded by region
};

namespace {

using Imp = CS___COUNTER_IMP;

void impFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS___COUNTER_IMP);
    auto* imp = reinterpret_cast<Imp*>(obj);
    csStatusReporterDelItem(imp->rep, imp->name);
    pb::releaseField(imp->rep);
    pb::releaseField(imp->region);
    pb::releaseField(imp->name);
    pb::releaseField(imp->updateSignal);
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS___COUNTER_IMP, &cs___module, "CS___COUNTER_IMP", impFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(cs___CounterImp, CS___COUNTER_IMP, cs___sort_CS___COUNTER_IMP)

// The item exists from creation on, so observers of the reporter see every
// counter with its value from the start.
extern "C" PB_EXPORT CS___COUNTER_IMP* cs___CounterImpCreate(CS_STATUS_REPORTER* rep, PB_STRING* name) {
    PB_ASSERT(rep);
    PB_ASSERT(name);
    PB_ASSERT(pbNameCamelCaseOk( name, PB_TRUE ));
    auto* imp = reinterpret_cast<Imp*>(pb___ObjCreate(sizeof(Imp), &cs___sort_CS___COUNTER_IMP));
    imp->rep = csStatusReporterRetain(rep);
    auto status = pb::adopt(csStatusReporterStatus(rep));
    imp->region = pbRegionRetain(cs::statusRegion(status.get()));
    imp->name = pbStringRetain(name);
    imp->updateSignal = pbSignalCreate();
    imp->extValue = 0;
    csStatusReporterSetItemInt(imp->rep, imp->name, 0);
    return imp;
}

extern "C" PB_EXPORT void cs___CounterImpHalt(CS___COUNTER_IMP* imp) { PB_ASSERT(imp); }

extern "C" PB_EXPORT PB_STRING* cs___CounterImpName(CS___COUNTER_IMP* imp) {
    PB_ASSERT(imp);
    return pbStringRetain(imp->name);
}

extern "C" PB_EXPORT PB_INT cs___CounterImpValue(CS___COUNTER_IMP* imp) {
    PB_ASSERT(imp);
    pb::RegionSharedGuard guard(imp->region);
    return imp->extValue;
}

// The item's change nests into the hold of the status's lock.
extern "C" PB_EXPORT void cs___CounterImpModifyValue(CS___COUNTER_IMP* imp, PB_INT delta) {
    PB_ASSERT(imp);
    if (delta == 0) return;
    pb::RegionExclusiveGuard guard(imp->region);
    PB_ASSERT(PB_INT_ADD_OK( imp->extValue, delta ));
    imp->extValue += delta;
    csStatusReporterSetItemInt(imp->rep, imp->name, imp->extValue);
    cs::assertUpdateIfListened(imp->updateSignal);
}

extern "C" PB_EXPORT void cs___CounterImpUpdateAddSignalable(CS___COUNTER_IMP* imp, PB_SIGNALABLE* signalable) {
    PB_ASSERT(imp);
    pb::RegionExclusiveGuard guard(imp->region);
    pbSignalAddSignalable(imp->updateSignal, signalable);
}

extern "C" PB_EXPORT void cs___CounterImpUpdateDelSignalable(CS___COUNTER_IMP* imp, PB_SIGNALABLE* signalable) {
    PB_ASSERT(imp);
    pb::RegionExclusiveGuard guard(imp->region);
    pbSignalDelSignalable(imp->updateSignal, signalable);
}
