// The object observer's implementation: one object of the object table, by name or fixed.
#include "cs/object/cs_object_observer_imp.h"

#include "cs/base/cs_module.h"
#include "cs/object/cs_object_observer_sets.hpp"
#include "cs/object/cs_object_record.h"
#include "cs/object/cs_object_table.h"
#include "pb/pb_monitor.hpp"
#include "pb/pb_ref.hpp"
#include "pb/pb_signal.h"
#include "pb/pb_stdfunc.hpp"
#include "pb/pb_string.h"

struct CS___OBJECT_OBSERVER_IMP {
    PB_OBJ obj;
    PB_MONITOR* intMonitor;        // set once at creation; guards every field below
    PB_SIGNAL* intUpdateSignal;    // guarded by intMonitor; asserted and replaced when (extObject, extRecord) changes
    PB_SORT* extRequiredSort;      // guarded by intMonitor; NULL accepts any sort
    PB_STRING* extObservedName;    // guarded by intMonitor; NULL or a valid record name
    PB_OBJ* extFixedObject;        // guarded by intMonitor; when set, wins over extObservedName
    PB_OBJ* extObject;             // guarded by intMonitor; the object satisfying the settings, or NULL
    CS_OBJECT_RECORD* extRecord;   // guarded by intMonitor; its record, or NULL (always NULL for a fixed object)
    PB_DICT* intObjectTable;       // guarded by intMonitor; the table's last name -> record snapshot, shared read-only
};

namespace {

using Imp = CS___OBJECT_OBSERVER_IMP;

void impFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS___OBJECT_OBSERVER_IMP);
    auto* imp = reinterpret_cast<Imp*>(obj);
    pb::releaseField(imp->intObjectTable);
    pb::releaseField(imp->extRecord);
    pb::releaseField(imp->extObject);
    pb::releaseField(imp->extFixedObject);
    pb::releaseField(imp->extObservedName);
    pb::releaseField(imp->extRequiredSort);
    pb::releaseField(imp->intUpdateSignal);
    pb::releaseField(imp->intMonitor);
}

// Finds the object and record that satisfy the settings in the current
// snapshot and, when either differs by identity from the current pair,
// takes them and asserts the update signal. A fixed object wins over the
// name (which is then not looked up) and never has a record. Runs with the
// monitor held.
void reevaluate(Imp* imp, cs::ReleaseLater& later) {
    pb::Ref<PB_OBJ> object;
    pb::Ref<CS_OBJECT_RECORD> record;
    if (imp->extFixedObject) {
        object = pb::retain(imp->extFixedObject);
    } else if (imp->extObservedName) {
        record = pb::adopt(csObjectRecordFrom(pbDictStringKey(imp->intObjectTable, imp->extObservedName)));
        if (record) object = pb::adopt(csObjectRecordObject(record.get()));
    }
    if (imp->extRequiredSort && object && pbObjSort(object.get()) != imp->extRequiredSort) {
        object.reset();
        record.reset();
    }
    if (object.get() == imp->extObject && record.get() == imp->extRecord) return;
    later.replace(imp->extObject, object.get());
    later.replace(imp->extRecord, record.get());
    cs::assertUpdate(imp->intUpdateSignal);
}

using Core = cs::ObserverCore<Imp, reevaluate>;

}  // namespace

PB_SORT_DEFINE(cs___sort_CS___OBJECT_OBSERVER_IMP, &cs___module, "CS___OBJECT_OBSERVER_IMP", impFree, nullptr,
               nullptr);
PB_STDFUNCS_DEFINE(cs___ObjectObserverImp, CS___OBJECT_OBSERVER_IMP, cs___sort_CS___OBJECT_OBSERVER_IMP)

// Registration hands the new implementation the table's dictionary under
// the table's monitor; the implementation's own monitor is not held then,
// so the lock order stays table before observer.
extern "C" PB_EXPORT CS___OBJECT_OBSERVER_IMP* cs___ObjectObserverImpCreate(void) {
    auto* imp = reinterpret_cast<Imp*>(pb___ObjCreate(sizeof(Imp), &cs___sort_CS___OBJECT_OBSERVER_IMP));
    imp->intMonitor = pbMonitorCreate();
    imp->intUpdateSignal = pbSignalCreate();
    cs___ObjectTableObjectObserverImpRegister(imp);
    // Another thread's table change may reach the new implementation
    // already, so even this check reads under the monitor.
    pb::MonitorGuard guard(imp->intMonitor);
    PB_ASSERT(imp->intObjectTable);
    return imp;
}

extern "C" PB_EXPORT void cs___ObjectObserverImpHalt(CS___OBJECT_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    cs___ObjectTableObjectObserverImpUnregister(imp);
}

extern "C" PB_EXPORT void cs___ObjectObserverImpSetObjectTable(CS___OBJECT_OBSERVER_IMP* imp, PB_DICT* objectTable) {
    Core::setObjectTable(imp, objectTable);
}

extern "C" PB_EXPORT PB_SORT* cs___ObjectObserverImpRequiredSort(CS___OBJECT_OBSERVER_IMP* imp) {
    return Core::retained(imp, &Imp::extRequiredSort);
}

extern "C" PB_EXPORT PB_BOOL cs___ObjectObserverImpHasRequiredSort(CS___OBJECT_OBSERVER_IMP* imp) {
    return Core::has(imp, &Imp::extRequiredSort);
}

extern "C" PB_EXPORT void cs___ObjectObserverImpSetRequiredSort(CS___OBJECT_OBSERVER_IMP* imp, PB_SORT* sort) {
    PB_ASSERT(sort);
    Core::change(imp, [&](cs::ReleaseLater& later) { later.replace(imp->extRequiredSort, sort); });
}

extern "C" PB_EXPORT void cs___ObjectObserverImpDelRequiredSort(CS___OBJECT_OBSERVER_IMP* imp) {
    Core::change(imp, [&](cs::ReleaseLater& later) { later.clear(imp->extRequiredSort); });
}

extern "C" PB_EXPORT PB_STRING* cs___ObjectObserverImpObservedName(CS___OBJECT_OBSERVER_IMP* imp) {
    return Core::retained(imp, &Imp::extObservedName);
}

extern "C" PB_EXPORT PB_BOOL cs___ObjectObserverImpHasObservedName(CS___OBJECT_OBSERVER_IMP* imp) {
    return Core::has(imp, &Imp::extObservedName);
}

extern "C" PB_EXPORT void cs___ObjectObserverImpSetObservedName(CS___OBJECT_OBSERVER_IMP* imp, PB_STRING* name) {
    PB_ASSERT(csObjectRecordNameOk( name ));
    Core::change(imp, [&](cs::ReleaseLater& later) { later.replace(imp->extObservedName, name); });
}

extern "C" PB_EXPORT void cs___ObjectObserverImpDelObservedName(CS___OBJECT_OBSERVER_IMP* imp) {
    Core::change(imp, [&](cs::ReleaseLater& later) { later.clear(imp->extObservedName); });
}

extern "C" PB_EXPORT PB_OBJ* cs___ObjectObserverImpFixedObject(CS___OBJECT_OBSERVER_IMP* imp) {
    return Core::retained(imp, &Imp::extFixedObject);
}

extern "C" PB_EXPORT PB_BOOL cs___ObjectObserverImpHasFixedObject(CS___OBJECT_OBSERVER_IMP* imp) {
    return Core::has(imp, &Imp::extFixedObject);
}

extern "C" PB_EXPORT void cs___ObjectObserverImpSetFixedObject(CS___OBJECT_OBSERVER_IMP* imp, PB_OBJ* obj) {
    PB_ASSERT(obj);
    Core::change(imp, [&](cs::ReleaseLater& later) { later.replace(imp->extFixedObject, obj); });
}

extern "C" PB_EXPORT void cs___ObjectObserverImpDelFixedObject(CS___OBJECT_OBSERVER_IMP* imp) {
    Core::change(imp, [&](cs::ReleaseLater& later) { later.clear(imp->extFixedObject); });
}

extern "C" PB_EXPORT void cs___ObjectObserverImpConfigure(CS___OBJECT_OBSERVER_IMP* imp, PB_STRING* optionalName,
                                                          PB_OBJ* optionalFixedObject) {
    PB_ASSERT(!optionalName || csObjectRecordNameOk( optionalName ));
    Core::change(imp, [&](cs::ReleaseLater& later) {
        later.replace(imp->extObservedName, optionalName);
        later.replace(imp->extFixedObject, optionalFixedObject);
    });
}

extern "C" PB_EXPORT PB_BOOL cs___ObjectObserverImpConfigured(CS___OBJECT_OBSERVER_IMP* imp) {
    return Core::read(imp, [&] { return PB_BOOL(imp->extObservedName || imp->extFixedObject); });
}

extern "C" PB_EXPORT PB_OBJ* cs___ObjectObserverImpObject(CS___OBJECT_OBSERVER_IMP* imp) {
    return Core::retained(imp, &Imp::extObject);
}

extern "C" PB_EXPORT PB_BOOL cs___ObjectObserverImpHasObject(CS___OBJECT_OBSERVER_IMP* imp) {
    return Core::has(imp, &Imp::extObject);
}

extern "C" PB_EXPORT CS_OBJECT_RECORD* cs___ObjectObserverImpRecord(CS___OBJECT_OBSERVER_IMP* imp) {
    return Core::retained(imp, &Imp::extRecord);
}

extern "C" PB_EXPORT PB_BOOL cs___ObjectObserverImpHasRecord(CS___OBJECT_OBSERVER_IMP* imp) {
    return Core::has(imp, &Imp::extRecord);
}

extern "C" PB_EXPORT void cs___ObjectObserverImpUpdateAddSignalable(CS___OBJECT_OBSERVER_IMP* imp,
                                                                    PB_SIGNALABLE* signalable) {
    Core::updateAddSignalable(imp, signalable);
}

extern "C" PB_EXPORT void cs___ObjectObserverImpUpdateDelSignalable(CS___OBJECT_OBSERVER_IMP* imp,
                                                                    PB_SIGNALABLE* signalable) {
    Core::updateDelSignalable(imp, signalable);
}
