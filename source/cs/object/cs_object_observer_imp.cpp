// The object observer's implementation: one object of the object table, by name or fixed.
#include "cs/object/cs_object_observer_imp.h"

#include "cs/base/cs_module.h"
#include "cs/base/cs_release_later.hpp"
#include "cs/base/cs_update_signal.hpp"
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

// Applies one change of settings under the monitor, then re-evaluates.
// Whatever the change or the re-evaluation drops is released after the
// monitor is left.
template <class Apply>
void change(Imp* imp, Apply apply) {
    PB_ASSERT(imp);
    cs::ReleaseLater later;
    pb::MonitorGuard guard(imp->intMonitor);
    apply(later);
    reevaluate(imp, later);
}

// A new reference to an object field (or NULL), read under the monitor.
template <class T>
T* read(Imp* imp, T* Imp::*field) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(imp->intMonitor);
    T* value = imp->*field;
    if (value) pbObjRetain(reinterpret_cast<PB_OBJ*>(value));
    return value;
}

template <class T>
PB_BOOL has(Imp* imp, T* Imp::*field) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(imp->intMonitor);
    return imp->*field != nullptr;
}

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
    PB_ASSERT(objectTable);
    change(imp, [&](cs::ReleaseLater& later) { later.replace(imp->intObjectTable, objectTable); });
}

extern "C" PB_EXPORT PB_SORT* cs___ObjectObserverImpRequiredSort(CS___OBJECT_OBSERVER_IMP* imp) {
    return read(imp, &Imp::extRequiredSort);
}

extern "C" PB_EXPORT PB_BOOL cs___ObjectObserverImpHasRequiredSort(CS___OBJECT_OBSERVER_IMP* imp) {
    return has(imp, &Imp::extRequiredSort);
}

extern "C" PB_EXPORT void cs___ObjectObserverImpSetRequiredSort(CS___OBJECT_OBSERVER_IMP* imp, PB_SORT* sort) {
    PB_ASSERT(sort);
    change(imp, [&](cs::ReleaseLater& later) { later.replace(imp->extRequiredSort, sort); });
}

extern "C" PB_EXPORT void cs___ObjectObserverImpDelRequiredSort(CS___OBJECT_OBSERVER_IMP* imp) {
    change(imp, [&](cs::ReleaseLater& later) { later.clear(imp->extRequiredSort); });
}

extern "C" PB_EXPORT PB_STRING* cs___ObjectObserverImpObservedName(CS___OBJECT_OBSERVER_IMP* imp) {
    return read(imp, &Imp::extObservedName);
}

extern "C" PB_EXPORT PB_BOOL cs___ObjectObserverImpHasObservedName(CS___OBJECT_OBSERVER_IMP* imp) {
    return has(imp, &Imp::extObservedName);
}

extern "C" PB_EXPORT void cs___ObjectObserverImpSetObservedName(CS___OBJECT_OBSERVER_IMP* imp, PB_STRING* name) {
    PB_ASSERT(csObjectRecordNameOk( name ));
    change(imp, [&](cs::ReleaseLater& later) { later.replace(imp->extObservedName, name); });
}

extern "C" PB_EXPORT void cs___ObjectObserverImpDelObservedName(CS___OBJECT_OBSERVER_IMP* imp) {
    change(imp, [&](cs::ReleaseLater& later) { later.clear(imp->extObservedName); });
}

extern "C" PB_EXPORT PB_OBJ* cs___ObjectObserverImpFixedObject(CS___OBJECT_OBSERVER_IMP* imp) {
    return read(imp, &Imp::extFixedObject);
}

extern "C" PB_EXPORT PB_BOOL cs___ObjectObserverImpHasFixedObject(CS___OBJECT_OBSERVER_IMP* imp) {
    return has(imp, &Imp::extFixedObject);
}

extern "C" PB_EXPORT void cs___ObjectObserverImpSetFixedObject(CS___OBJECT_OBSERVER_IMP* imp, PB_OBJ* obj) {
    PB_ASSERT(obj);
    change(imp, [&](cs::ReleaseLater& later) { later.replace(imp->extFixedObject, obj); });
}

extern "C" PB_EXPORT void cs___ObjectObserverImpDelFixedObject(CS___OBJECT_OBSERVER_IMP* imp) {
    change(imp, [&](cs::ReleaseLater& later) { later.clear(imp->extFixedObject); });
}

extern "C" PB_EXPORT void cs___ObjectObserverImpConfigure(CS___OBJECT_OBSERVER_IMP* imp, PB_STRING* optionalName,
                                                          PB_OBJ* optionalFixedObject) {
    PB_ASSERT(!optionalName || csObjectRecordNameOk( optionalName ));
    change(imp, [&](cs::ReleaseLater& later) {
        later.replace(imp->extObservedName, optionalName);
        later.replace(imp->extFixedObject, optionalFixedObject);
    });
}

extern "C" PB_EXPORT PB_BOOL cs___ObjectObserverImpConfigured(CS___OBJECT_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(imp->intMonitor);
    return imp->extObservedName || imp->extFixedObject;
}

extern "C" PB_EXPORT PB_OBJ* cs___ObjectObserverImpObject(CS___OBJECT_OBSERVER_IMP* imp) {
    return read(imp, &Imp::extObject);
}

extern "C" PB_EXPORT PB_BOOL cs___ObjectObserverImpHasObject(CS___OBJECT_OBSERVER_IMP* imp) {
    return has(imp, &Imp::extObject);
}

extern "C" PB_EXPORT CS_OBJECT_RECORD* cs___ObjectObserverImpRecord(CS___OBJECT_OBSERVER_IMP* imp) {
    return read(imp, &Imp::extRecord);
}

extern "C" PB_EXPORT PB_BOOL cs___ObjectObserverImpHasRecord(CS___OBJECT_OBSERVER_IMP* imp) {
    return has(imp, &Imp::extRecord);
}

extern "C" PB_EXPORT void cs___ObjectObserverImpUpdateAddSignalable(CS___OBJECT_OBSERVER_IMP* imp,
                                                                    PB_SIGNALABLE* signalable) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(imp->intMonitor);
    pbSignalAddSignalable(imp->intUpdateSignal, signalable);
}

extern "C" PB_EXPORT void cs___ObjectObserverImpUpdateDelSignalable(CS___OBJECT_OBSERVER_IMP* imp,
                                                                    PB_SIGNALABLE* signalable) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(imp->intMonitor);
    pbSignalDelSignalable(imp->intUpdateSignal, signalable);
}
