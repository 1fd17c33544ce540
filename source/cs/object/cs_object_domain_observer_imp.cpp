// The domain observer's implementation: one object per sort, from fixed objects and names.
#include "cs/object/cs_object_domain_observer_imp.h"

#include "cs/base/cs_module.h"
#include "cs/object/cs_object_observer_sets.hpp"
#include "cs/object/cs_object_table.h"
#include "pb/pb_stdfunc.hpp"

struct CS___OBJECT_DOMAIN_OBSERVER_IMP {
    PB_OBJ obj;
    PB_MONITOR* intMonitor;                 // set once at creation; guards every field below
    PB_SIGNAL* intUpdateSignal;             // guarded by intMonitor; asserted and replaced with every new map
    PB_DICT* extObservedNames;              // guarded by intMonitor; name -> name
    PB_DICT* extFixedObjects;               // guarded by intMonitor; object -> object
    CS_OBJECT_DOMAIN_OBSERVER_MAP* extMap;  // guarded by intMonitor; the current map, never NULL after creation
    PB_DICT* intObjectTable;                // guarded by intMonitor; the table's last name -> record snapshot
    PB_DICT* intObservedObjects;            // guarded by intMonitor; objects found by name at the last re-evaluation
    PB_DICT* intMapFixedObjects;            // guarded by intMonitor; the extFixedObjects value extMap was made from
};

namespace {

using Imp = CS___OBJECT_DOMAIN_OBSERVER_IMP;

void impFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS___OBJECT_DOMAIN_OBSERVER_IMP);
    auto* imp = reinterpret_cast<Imp*>(obj);
    pb::releaseField(imp->intMapFixedObjects);
    pb::releaseField(imp->intObservedObjects);
    pb::releaseField(imp->intObjectTable);
    pb::releaseField(imp->extMap);
    pb::releaseField(imp->extFixedObjects);
    pb::releaseField(imp->extObservedNames);
    pb::releaseField(imp->intUpdateSignal);
    pb::releaseField(imp->intMonitor);
}

// Replaces the value in field by value when the two differ (a missing one
// orders first) and tells whether it did.
bool takeWhenDifferent(PB_DICT*& field, PB_DICT* value, cs::ReleaseLater& later) {
    if (field == value) return false;
    bool differs = pbObjCompare(pbDictObj(field), pbDictObj(value)) != 0;
    later.replace(field, value);
    return differs;
}

// Notes whether the fixed objects or the objects found under the observed
// names changed since the current map was made; when they did (or there is
// no map yet) makes a new map and asserts the update signal. The fixed
// objects are a value changed by copy-on-write while the map's copy is
// held, so an unchanged set is recognised by identity. Runs with the
// monitor held.
void reevaluate(Imp* imp, cs::ReleaseLater& later) {
    bool changed = takeWhenDifferent(imp->intMapFixedObjects, imp->extFixedObjects, later);
    auto observed = pb::adopt(pbDictCreate());
    for (PB_INT i = 0; i < pbDictLength(imp->extObservedNames); ++i) {
        auto name = pb::adopt(pbStringFrom(pbDictKeyAt(imp->extObservedNames, i)));
        auto record = pb::adopt(csObjectRecordFrom(pbDictStringKey(imp->intObjectTable, name.get())));
        if (!record) continue;
        auto object = pb::adopt(csObjectRecordObject(record.get()));
        pbDictSetObjKey(observed.out(), object.get(), object.get());
    }
    changed = takeWhenDifferent(imp->intObservedObjects, observed.get(), later) || changed;
    if (imp->extMap && !changed) return;
    auto map = pb::adopt(cs___ObjectDomainObserverMapCreate(imp->intObservedObjects, imp->intMapFixedObjects));
    later.replace(imp->extMap, map.get());
    cs::assertUpdate(imp->intUpdateSignal);
}

using Sets = cs::ObservedSets<Imp, reevaluate>;

}  // namespace

PB_SORT_DEFINE(cs___sort_CS___OBJECT_DOMAIN_OBSERVER_IMP, &cs___module, "CS___OBJECT_DOMAIN_OBSERVER_IMP", impFree,
               nullptr, nullptr);
PB_STDFUNCS_DEFINE(cs___ObjectDomainObserverImp, CS___OBJECT_DOMAIN_OBSERVER_IMP,
                   cs___sort_CS___OBJECT_DOMAIN_OBSERVER_IMP)

// Registration hands over the table's dictionary (under the table's
// monitor, with this monitor not held); its re-evaluation makes the first
// map and asserts the first signal, before anyone can listen.
extern "C" PB_EXPORT CS___OBJECT_DOMAIN_OBSERVER_IMP* cs___ObjectDomainObserverImpCreate(void) {
    auto* imp = reinterpret_cast<Imp*>(pb___ObjCreate(sizeof(Imp), &cs___sort_CS___OBJECT_DOMAIN_OBSERVER_IMP));
    imp->intMonitor = pbMonitorCreate();
    imp->intUpdateSignal = pbSignalCreate();
    imp->extObservedNames = pbDictCreate();
    imp->extFixedObjects = pbDictCreate();
    cs___ObjectTableObjectDomainObserverImpRegister(imp);
    // Another thread's table change may reach the new implementation
    // already, so even this check reads under the monitor.
    pb::MonitorGuard guard(imp->intMonitor);
    PB_ASSERT(imp->intObjectTable);
    PB_ASSERT(imp->extMap);
    return imp;
}

extern "C" PB_EXPORT void cs___ObjectDomainObserverImpHalt(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    cs___ObjectTableObjectDomainObserverImpUnregister(imp);
}

extern "C" PB_EXPORT CS_OBJECT_DOMAIN_OBSERVER_MAP* cs___ObjectDomainObserverImpMap(
    CS___OBJECT_DOMAIN_OBSERVER_IMP* imp) {
    return Sets::read(imp, [&] { return csObjectDomainObserverMapRetain(imp->extMap); });
}

CS___OBSERVED_SETS_IMP_DEFINE(cs___ObjectDomainObserverImp, CS___OBJECT_DOMAIN_OBSERVER_IMP, Sets)
