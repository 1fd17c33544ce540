// The object table: named object records under one monitor, their trace
// streams and marks, the registered observer implementations and the
// table's update signal.
#include "cs/object/cs_object_table.h"

#include "cs/base/cs_module.h"
#include "cs/object/cs_object.h"
#include "pb/pb_dict.h"
#include "pb/pb_monitor.hpp"
#include "pb/pb_ref.hpp"
#include "pb/pb_signal.h"
#include "pb/pb_stdfunc.hpp"
#include "tr/tr_anchor.h"

// Module-wide state: NULL before start-up, all-ones after shutdown.
TR_STREAM* cs___ObjectTableTrStream = nullptr;      // set once at start-up
PB_MONITOR* cs___ObjectTableMonitor = nullptr;      // guards everything below
PB_DICT* cs___ObjectTableRecordsByName = nullptr;   // name -> record; the value observers get
PB_DICT* cs___ObjectTableRecordsByObject = nullptr; // object -> record
PB_DICT* cs___ObjectTableRecordStreams = nullptr;   // record -> its trace stream
PB_DICT* cs___ObjectTableRecordMarks = nullptr;     // record -> trace mark, records with trMark only
PB_DICT* cs___ObjectObserverImpsDict = nullptr;     // imp -> imp, registered object observers
PB_DICT* cs___ObjectMultiObserverImpsDict = nullptr;   // imp -> imp, registered multi observers
PB_DICT* cs___ObjectDomainObserverImpsDict = nullptr;  // imp -> imp, registered domain observers
PB_SIGNAL* cs___ObjectTableUpdateSignal = nullptr;  // asserted after every change outside an update
PB_INT cs___UpdateInProgress = 0;                   // nesting count of open updates
PB_BOOL cs___Halted = PB_FALSE;                     // set by halt; Set is ignored from then on

namespace {

using Record = pb::Ref<CS_OBJECT_RECORD>;
using Mark = pb::Ref<TR_MARK>;

// A record taken out of the table, with the mark its stream carried. Both
// are released by the caller after the monitor is left, so that objects
// whose last reference goes with the record are freed outside the table.
struct Removed {
    Record record;
    Mark mark;
};

// Takes rec out of all four record dictionaries. Monitor held.
Removed removeRecord(Record rec) {
    auto name = pb::adopt(csObjectRecordName(rec.get()));
    auto object = pb::adopt(csObjectRecordObject(rec.get()));
    PB_OBJ* key = csObjectRecordObj(rec.get());
    pbDictDelStringKey(&cs___ObjectTableRecordsByName, name.get());
    pbDictDelObjKey(&cs___ObjectTableRecordsByObject, object.get());
    pbDictDelObjKey(&cs___ObjectTableRecordStreams, key);
    Mark mark = pb::adopt(trMarkFrom(pbDictObjKey(cs___ObjectTableRecordMarks, key)));
    pbDictDelObjKey(&cs___ObjectTableRecordMarks, key);
    return {std::move(rec), std::move(mark)};
}

// Hands table to every registered implementation of one kind. Monitor
// held. The loop runs over a snapshot of the registrations, since an
// implementation may leave the table while another is told (a snapshot
// that an observer lets go of can free objects whose observers
// unregister); one that has left is skipped.
template <class Imp>
void tellKind(PB_DICT* const& registered, Imp* (*from)(PB_OBJ*), void (*setObjectTable)(Imp*, PB_DICT*),
              PB_DICT* table) {
    auto imps = pb::retain(registered);
    for (PB_INT i = 0; i < pbDictLength(imps.get()); ++i) {
        auto imp = pb::adopt(pbDictValueAt(imps.get(), i));
        if (pbDictHasObjKey(registered, imp.get())) setObjectTable(from(imp.get()), table);
    }
}

void tellObservers(PB_DICT* table) {
    tellKind(cs___ObjectObserverImpsDict, cs___ObjectObserverImpFrom, cs___ObjectObserverImpSetObjectTable, table);
    tellKind(cs___ObjectMultiObserverImpsDict, cs___ObjectMultiObserverImpFrom,
             cs___ObjectMultiObserverImpSetObjectTable, table);
    tellKind(cs___ObjectDomainObserverImpsDict, cs___ObjectDomainObserverImpFrom,
             cs___ObjectDomainObserverImpSetObjectTable, table);
}

// Publishes the table as it now stands: observers get the new dictionary
// and the update signal is replaced. Monitor held. Returns the replaced
// signal, which the caller asserts after leaving the monitor (so the fresh
// signal is already in place for listeners that add themselves again).
pb::Ref<PB_SIGNAL> publish() {
    tellObservers(cs___ObjectTableRecordsByName);
    auto fired = pb::adopt(cs___ObjectTableUpdateSignal);
    cs___ObjectTableUpdateSignal = pbSignalCreate();
    return fired;
}

// A change outside an update is published at once; inside one it waits
// for the outermost cs___ObjectTableUpdateEnd. Monitor held.
pb::Ref<PB_SIGNAL> changed() { return cs___UpdateInProgress ? nullptr : publish(); }

void fire(const pb::Ref<PB_SIGNAL>& fired) {
    if (fired) pbSignalAssert(fired.get());
}

Record lookupByName(PB_STRING* name) {
    pb::MonitorGuard guard(cs___ObjectTableMonitor);
    return pb::adopt(csObjectRecordFrom(pbDictStringKey(cs___ObjectTableRecordsByName, name)));
}

Record lookupByObject(PB_OBJ* object) {
    pb::MonitorGuard guard(cs___ObjectTableMonitor);
    return pb::adopt(csObjectRecordFrom(pbDictObjKey(cs___ObjectTableRecordsByObject, object)));
}

pb::Ref<PB_DICT> snapshot() {
    pb::MonitorGuard guard(cs___ObjectTableMonitor);
    return pb::retain(cs___ObjectTableRecordsByName);
}

}  // namespace

extern "C" PB_EXPORT void cs___ObjectTableStartup(void) {
    cs___ObjectTableTrStream = trStreamCreateCstr("CS_OBJECT_TABLE", -1);
    if (auto moduleStream = pb::adopt(cs___ModuleTrStream())) {
        auto anchor = pb::adopt(trAnchorCreate(moduleStream.get(), 10));
        trAnchorComplete(anchor.get(), cs___ObjectTableTrStream);
    }
    cs___ObjectTableMonitor = pbMonitorCreate();
    cs___ObjectTableRecordsByName = pbDictCreate();
    cs___ObjectTableRecordsByObject = pbDictCreate();
    cs___ObjectTableRecordStreams = pbDictCreate();
    cs___ObjectTableRecordMarks = pbDictCreate();
    cs___ObjectObserverImpsDict = pbDictCreate();
    cs___ObjectMultiObserverImpsDict = pbDictCreate();
    cs___ObjectDomainObserverImpsDict = pbDictCreate();
    cs___ObjectTableUpdateSignal = pbSignalCreate();
    cs___UpdateInProgress = 0;
    cs___Halted = PB_FALSE;
}

extern "C" PB_EXPORT void cs___ObjectTableShutdown(void) {
    PB_ASSERT(!cs___UpdateInProgress);
    pb::releaseField(cs___ObjectTableUpdateSignal);
    pb::releaseField(cs___ObjectDomainObserverImpsDict);
    pb::releaseField(cs___ObjectMultiObserverImpsDict);
    pb::releaseField(cs___ObjectObserverImpsDict);
    pb::releaseField(cs___ObjectTableRecordMarks);
    pb::releaseField(cs___ObjectTableRecordStreams);
    pb::releaseField(cs___ObjectTableRecordsByObject);
    pb::releaseField(cs___ObjectTableRecordsByName);
    pb::releaseField(cs___ObjectTableMonitor);
    pb::releaseField(cs___ObjectTableTrStream);
    cs___UpdateInProgress = 0;
    cs___Halted = PB_FALSE;
}

// Empties the table for good: observers get an empty dictionary (at once,
// or when the open update ends), the signal is not asserted, and the
// records (and with them, unless held elsewhere, their objects) are
// released after the monitor is left.
extern "C" PB_EXPORT void cs___ObjectTableHalt(void) {
    pb::Ref<PB_DICT> byName, byObject, streams, marks;
    {
        pb::MonitorGuard guard(cs___ObjectTableMonitor);
        PB_ASSERT(!cs___Halted);
        byName = pb::adopt(std::exchange(cs___ObjectTableRecordsByName, pbDictCreate()));
        byObject = pb::adopt(std::exchange(cs___ObjectTableRecordsByObject, pbDictCreate()));
        streams = pb::adopt(std::exchange(cs___ObjectTableRecordStreams, pbDictCreate()));
        marks = pb::adopt(std::exchange(cs___ObjectTableRecordMarks, pbDictCreate()));
        cs___Halted = PB_TRUE;
        if (!cs___UpdateInProgress) tellObservers(cs___ObjectTableRecordsByName);
    }
}

// Enters record, replacing the record of the same name and the record of
// the same object. The record's trace stream is made before the monitor is
// entered, so that the sort's trace callback never runs under the table's
// monitor; the mark it carries over from the records it replaces is set on
// it under the monitor.
extern "C" PB_EXPORT void csObjectTableSet(CS_OBJECT_RECORD* record) {
    PB_ASSERT(record);
    auto name = pb::adopt(csObjectRecordName(record));
    auto object = pb::adopt(csObjectRecordObject(record));
    auto anchor = pb::adopt(trAnchorCreateWithAnnotation(cs___ObjectTableTrStream, 10, name.get()));
    auto stream = pb::adopt(cs___ObjectRecordTrace(record, anchor.get(), nullptr));

    Removed byName, byObject;
    pb::Ref<PB_SIGNAL> fired;
    {
        pb::MonitorGuard guard(cs___ObjectTableMonitor);
        if (cs___Halted) return;

        if (auto old = pb::adopt(csObjectRecordFrom(pbDictStringKey(cs___ObjectTableRecordsByName, name.get()))))
            byName = removeRecord(std::move(old));
        if (auto old = pb::adopt(csObjectRecordFrom(pbDictObjKey(cs___ObjectTableRecordsByObject, object.get()))))
            byObject = removeRecord(std::move(old));

        PB_OBJ* key = csObjectRecordObj(record);
        pbDictSetStringKey(&cs___ObjectTableRecordsByName, name.get(), key);
        pbDictSetObjKey(&cs___ObjectTableRecordsByObject, object.get(), key);

        TR_MARK* oldTrmName = byName.mark.get();
        TR_MARK* oldTrmObj = byObject.mark.get();
        if (oldTrmName && oldTrmObj) PB_ASSERT(oldTrmName != oldTrmObj);
        Mark mark;
        if (csObjectRecordTrMark(record)) {
            mark = oldTrmObj ? byObject.mark : oldTrmName ? byName.mark : pb::adopt(trMarkCreate());
            pbDictSetObjKey(&cs___ObjectTableRecordMarks, key, trMarkObj(mark.get()));
            trStreamSetExplicitMark(stream.get(), mark.get());
        }
        for (TR_MARK* old : {oldTrmName, oldTrmObj})
            if (old && old != mark.get()) tr___SystemMarkScrub(old);

        pbDictSetObjKey(&cs___ObjectTableRecordStreams, key, trStreamObj(stream.get()));
        fired = changed();
    }
    fire(fired);
}

extern "C" PB_EXPORT void csObjectTableDelByName(PB_STRING* name) {
    PB_ASSERT(csObjectRecordNameOk( name ));
    Removed removed;
    pb::Ref<PB_SIGNAL> fired;
    {
        pb::MonitorGuard guard(cs___ObjectTableMonitor);
        auto rec = pb::adopt(csObjectRecordFrom(pbDictStringKey(cs___ObjectTableRecordsByName, name)));
        if (!rec) return;
        removed = removeRecord(std::move(rec));
        if (removed.mark) tr___SystemMarkScrub(removed.mark.get());
        fired = changed();
    }
    fire(fired);
}

extern "C" PB_EXPORT void csObjectTableDelByObject(PB_OBJ* object) {
    PB_ASSERT(object);
    Removed removed;
    pb::Ref<PB_SIGNAL> fired;
    {
        pb::MonitorGuard guard(cs___ObjectTableMonitor);
        auto rec = pb::adopt(csObjectRecordFrom(pbDictObjKey(cs___ObjectTableRecordsByObject, object)));
        if (!rec) return;
        removed = removeRecord(std::move(rec));
        if (removed.mark) tr___SystemMarkScrub(removed.mark.get());
        fired = changed();
    }
    fire(fired);
}

extern "C" PB_EXPORT CS_OBJECT_RECORD* csObjectTableLookupRecordByName(PB_STRING* name) {
    PB_ASSERT(name);
    return lookupByName(name).leak();
}

extern "C" PB_EXPORT CS_OBJECT_RECORD* csObjectTableLookupRecordByObject(PB_OBJ* object) {
    PB_ASSERT(object);
    return lookupByObject(object).leak();
}

extern "C" PB_EXPORT PB_OBJ* csObjectTableLookupObjectByName(PB_STRING* name) {
    PB_ASSERT(name);
    Record rec = lookupByName(name);
    return rec ? csObjectRecordObject(rec.get()) : nullptr;
}

extern "C" PB_EXPORT PB_STRING* csObjectTableLookupNameByObject(PB_OBJ* object) {
    PB_ASSERT(object);
    Record rec = lookupByObject(object);
    return rec ? csObjectRecordName(rec.get()) : nullptr;
}

extern "C" PB_EXPORT PB_OBJ* csObjectTableLookupObjectByNameAndSort(PB_STRING* name, PB_SORT* sort) {
    PB_ASSERT(sort);
    PB_ASSERT(csObjectRecordNameOk( name ));
    Record rec = lookupByName(name);
    if (!rec || csObjectRecordObjectSort(rec.get()) != sort) return nullptr;
    return csObjectRecordObject(rec.get());
}

// The listings read a snapshot of the dictionary outside the monitor.
extern "C" PB_EXPORT PB_VECTOR* csObjectTableRecordsVector(void) {
    auto records = snapshot();
    PB_VECTOR* vec = pbVectorCreate();
    for (PB_INT i = 0; i < pbDictLength(records.get()); ++i) {
        auto rec = pb::adopt(pbDictValueAt(records.get(), i));
        pbVectorAppendObj(&vec, rec.get());
    }
    return vec;
}

extern "C" PB_EXPORT PB_VECTOR* csObjectTableRecordsVectorBySort(PB_SORT* sort) {
    PB_ASSERT(sort);
    auto records = snapshot();
    PB_VECTOR* vec = pbVectorCreate();
    for (PB_INT i = 0; i < pbDictLength(records.get()); ++i) {
        auto rec = pb::adopt(csObjectRecordFrom(pbDictValueAt(records.get(), i)));
        if (csObjectRecordObjectSort(rec.get()) == sort) pbVectorAppendObj(&vec, csObjectRecordObj(rec.get()));
    }
    return vec;
}

extern "C" PB_EXPORT void csObjectTableUpdateAddSignalable(PB_SIGNALABLE* signalable) {
    pb::MonitorGuard guard(cs___ObjectTableMonitor);
    pbSignalAddSignalable(cs___ObjectTableUpdateSignal, signalable);
}

extern "C" PB_EXPORT void csObjectTableUpdateDelSignalable(PB_SIGNALABLE* signalable) {
    pb::MonitorGuard guard(cs___ObjectTableMonitor);
    pbSignalDelSignalable(cs___ObjectTableUpdateSignal, signalable);
}

extern "C" PB_EXPORT void cs___ObjectTableUpdateBegin(void) {
    pb::MonitorGuard guard(cs___ObjectTableMonitor);
    PB_ASSERT(PB_INT_ADD_OK( cs___UpdateInProgress, 1 ));
    ++cs___UpdateInProgress;
}

// Closing the outermost update publishes the whole batch once.
extern "C" PB_EXPORT void cs___ObjectTableUpdateEnd(void) {
    pb::Ref<PB_SIGNAL> fired;
    {
        pb::MonitorGuard guard(cs___ObjectTableMonitor);
        PB_ASSERT(cs___UpdateInProgress > 0);
        --cs___UpdateInProgress;
        fired = changed();
    }
    fire(fired);
}

// Registration of observer implementations: each kind has its own set.
// Registering hands the implementation the current dictionary at once.

extern "C" PB_EXPORT void cs___ObjectTableObjectObserverImpRegister(CS___OBJECT_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(cs___ObjectTableMonitor);
    PB_ASSERT(!pbDictHasObjKey( cs___ObjectObserverImpsDict, cs___ObjectObserverImpObj( imp ) ));
    pbDictSetObjKey(&cs___ObjectObserverImpsDict, cs___ObjectObserverImpObj(imp), cs___ObjectObserverImpObj(imp));
    cs___ObjectObserverImpSetObjectTable(imp, cs___ObjectTableRecordsByName);
}

extern "C" PB_EXPORT void cs___ObjectTableObjectObserverImpUnregister(CS___OBJECT_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(cs___ObjectTableMonitor);
    PB_ASSERT(pbDictHasObjKey( cs___ObjectObserverImpsDict, cs___ObjectObserverImpObj( imp ) ));
    pbDictDelObjKey(&cs___ObjectObserverImpsDict, cs___ObjectObserverImpObj(imp));
}

extern "C" PB_EXPORT void cs___ObjectTableObjectMultiObserverImpRegister(CS___OBJECT_MULTI_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(cs___ObjectTableMonitor);
    PB_ASSERT(!pbDictHasObjKey( cs___ObjectMultiObserverImpsDict, cs___ObjectMultiObserverImpObj( imp ) ));
    pbDictSetObjKey(&cs___ObjectMultiObserverImpsDict, cs___ObjectMultiObserverImpObj(imp),
                    cs___ObjectMultiObserverImpObj(imp));
    cs___ObjectMultiObserverImpSetObjectTable(imp, cs___ObjectTableRecordsByName);
}

extern "C" PB_EXPORT void cs___ObjectTableObjectMultiObserverImpUnregister(CS___OBJECT_MULTI_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(cs___ObjectTableMonitor);
    PB_ASSERT(pbDictHasObjKey( cs___ObjectMultiObserverImpsDict, cs___ObjectMultiObserverImpObj( imp ) ));
    pbDictDelObjKey(&cs___ObjectMultiObserverImpsDict, cs___ObjectMultiObserverImpObj(imp));
}

extern "C" PB_EXPORT void cs___ObjectTableObjectDomainObserverImpRegister(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(cs___ObjectTableMonitor);
    PB_ASSERT(!pbDictHasObjKey( cs___ObjectDomainObserverImpsDict, cs___ObjectDomainObserverImpObj( imp ) ));
    pbDictSetObjKey(&cs___ObjectDomainObserverImpsDict, cs___ObjectDomainObserverImpObj(imp),
                    cs___ObjectDomainObserverImpObj(imp));
    cs___ObjectDomainObserverImpSetObjectTable(imp, cs___ObjectTableRecordsByName);
}

extern "C" PB_EXPORT void cs___ObjectTableObjectDomainObserverImpUnregister(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(cs___ObjectTableMonitor);
    PB_ASSERT(pbDictHasObjKey( cs___ObjectDomainObserverImpsDict, cs___ObjectDomainObserverImpObj( imp ) ));
    pbDictDelObjKey(&cs___ObjectDomainObserverImpsDict, cs___ObjectDomainObserverImpObj(imp));
}
