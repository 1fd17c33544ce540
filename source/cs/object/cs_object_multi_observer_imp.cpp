// The multi observer's implementation: the set of objects found by name or fixed.
#include "cs/object/cs_object_multi_observer_imp.h"

#include "cs/base/cs_module.h"
#include "cs/object/cs_object_observer_sets.hpp"
#include "cs/object/cs_object_table.h"
#include "pb/pb_stdfunc.hpp"

struct CS___OBJECT_MULTI_OBSERVER_IMP {
    PB_OBJ obj;
    PB_MONITOR* intMonitor;      // set once at creation; guards every field below
    PB_SIGNAL* intUpdateSignal;  // guarded by intMonitor; asserted and replaced when extObjects changes
    PB_SORT* extRequiredSort;    // guarded by intMonitor; NULL accepts any sort
    PB_DICT* extObservedNames;   // guarded by intMonitor; name -> name
    PB_DICT* extFixedObjects;    // guarded by intMonitor; object -> object
    PB_DICT* extObjects;         // guarded by intMonitor; the result, object -> object; a value handed out as is
    PB_DICT* intObjectTable;     // guarded by intMonitor; the table's last name -> record snapshot, shared read-only
};

namespace {

using Imp = CS___OBJECT_MULTI_OBSERVER_IMP;

void impFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS___OBJECT_MULTI_OBSERVER_IMP);
    auto* imp = reinterpret_cast<Imp*>(obj);
    pb::releaseField(imp->intObjectTable);
    pb::releaseField(imp->extObjects);
    pb::releaseField(imp->extFixedObjects);
    pb::releaseField(imp->extObservedNames);
    pb::releaseField(imp->extRequiredSort);
    pb::releaseField(imp->intUpdateSignal);
    pb::releaseField(imp->intMonitor);
}

// Collects the fixed objects and the objects of the records found under
// the observed names, keeps only those of the required sort (when one is
// set), and takes the result when it differs from the current one,
// asserting the update signal. Runs with the monitor held.
void reevaluate(Imp* imp, cs::ReleaseLater& later) {
    auto objects = pb::adopt(pbDictCreate());
    auto add = [&](PB_OBJ* object) {
        if (!imp->extRequiredSort || pbObjSort(object) == imp->extRequiredSort)
            pbDictSetObjKey(objects.out(), object, object);
    };
    for (PB_INT i = 0; i < pbDictLength(imp->extFixedObjects); ++i) {
        auto fixed = pb::adopt(pbDictKeyAt(imp->extFixedObjects, i));
        add(fixed.get());
    }
    for (PB_INT i = 0; i < pbDictLength(imp->extObservedNames); ++i) {
        auto name = pb::adopt(pbStringFrom(pbDictKeyAt(imp->extObservedNames, i)));
        auto record = pb::adopt(csObjectRecordFrom(pbDictStringKey(imp->intObjectTable, name.get())));
        if (!record) continue;
        auto object = pb::adopt(csObjectRecordObject(record.get()));
        add(object.get());
    }
    if (pbDictEquals(objects.get(), imp->extObjects)) return;
    later.replace(imp->extObjects, objects.get());
    cs::assertUpdate(imp->intUpdateSignal);
}

using Sets = cs::ObservedSets<Imp, reevaluate>;

}  // namespace

PB_SORT_DEFINE(cs___sort_CS___OBJECT_MULTI_OBSERVER_IMP, &cs___module, "CS___OBJECT_MULTI_OBSERVER_IMP", impFree,
               nullptr, nullptr);
PB_STDFUNCS_DEFINE(cs___ObjectMultiObserverImp, CS___OBJECT_MULTI_OBSERVER_IMP,
                   cs___sort_CS___OBJECT_MULTI_OBSERVER_IMP)

// The result starts empty, and registration (which hands over the table's
// dictionary under the table's monitor, with this monitor not held) finds
// nothing to add, so a new observer asserts nothing.
extern "C" PB_EXPORT CS___OBJECT_MULTI_OBSERVER_IMP* cs___ObjectMultiObserverImpCreate(void) {
    auto* imp = reinterpret_cast<Imp*>(pb___ObjCreate(sizeof(Imp), &cs___sort_CS___OBJECT_MULTI_OBSERVER_IMP));
    imp->intMonitor = pbMonitorCreate();
    imp->intUpdateSignal = pbSignalCreate();
    imp->extObservedNames = pbDictCreate();
    imp->extFixedObjects = pbDictCreate();
    imp->extObjects = pbDictCreate();
    cs___ObjectTableObjectMultiObserverImpRegister(imp);
    // Another thread's table change may reach the new implementation
    // already, so even this check reads under the monitor.
    pb::MonitorGuard guard(imp->intMonitor);
    PB_ASSERT(imp->intObjectTable);
    return imp;
}

extern "C" PB_EXPORT void cs___ObjectMultiObserverImpHalt(CS___OBJECT_MULTI_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    cs___ObjectTableObjectMultiObserverImpUnregister(imp);
}

extern "C" PB_EXPORT PB_SORT* cs___ObjectMultiObserverImpRequiredSort(CS___OBJECT_MULTI_OBSERVER_IMP* imp) {
    return Sets::retained(imp, &Imp::extRequiredSort);
}
extern "C" PB_EXPORT PB_BOOL cs___ObjectMultiObserverImpHasRequiredSort(CS___OBJECT_MULTI_OBSERVER_IMP* imp) {
    return Sets::has(imp, &Imp::extRequiredSort);
}
extern "C" PB_EXPORT void cs___ObjectMultiObserverImpSetRequiredSort(CS___OBJECT_MULTI_OBSERVER_IMP* imp,
                                                                     PB_SORT* sort) {
    PB_ASSERT(sort);
    Sets::change(imp, [&](cs::ReleaseLater& later) { later.replace(imp->extRequiredSort, sort); });
}
extern "C" PB_EXPORT void cs___ObjectMultiObserverImpDelRequiredSort(CS___OBJECT_MULTI_OBSERVER_IMP* imp) {
    Sets::change(imp, [&](cs::ReleaseLater& later) { later.clear(imp->extRequiredSort); });
}

extern "C" PB_EXPORT PB_DICT* cs___ObjectMultiObserverImpObjectsDict(CS___OBJECT_MULTI_OBSERVER_IMP* imp) {
    return Sets::read(imp, [&] { return pbDictRetain(imp->extObjects); });
}

extern "C" PB_EXPORT PB_VECTOR* cs___ObjectMultiObserverImpObjectsVector(CS___OBJECT_MULTI_OBSERVER_IMP* imp) {
    auto objects = pb::adopt(cs___ObjectMultiObserverImpObjectsDict(imp));
    PB_VECTOR* vec = pbVectorCreate();
    for (PB_INT i = 0; i < pbDictLength(objects.get()); ++i) {
        auto object = pb::adopt(pbDictKeyAt(objects.get(), i));
        pbVectorAppendObj(&vec, object.get());
    }
    return vec;
}

CS___OBSERVED_SETS_IMP_DEFINE(cs___ObjectMultiObserverImp, CS___OBJECT_MULTI_OBSERVER_IMP, Sets)
