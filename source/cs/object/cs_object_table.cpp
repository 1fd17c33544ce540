// The object table: named object records under one monitor, their trace
// streams and marks, the registered observer implementations and the
// table's update signal.
#include "cs/object/cs_object_table.h"

#include "cs/base/cs_module.h"
#include "cs/base/cs_release_later.hpp"
#include "cs/base/cs_update_signal.hpp"
#include "cs/object/cs_object.h"
#include "cs/object/cs_object_record_trace.hpp"
#include "pb/pb_dict.h"
#include "pb/pb_monitor.hpp"
#include "pb/pb_ref.hpp"
#include "pb/pb_signal.h"
#include "pb/pb_stdfunc.hpp"
#include "tr/tr_anchor.h"

// Module-wide state: NULL before start-up, all-ones after shutdown. The
// globals that checks name carry cs___ names; the rest is file-local.
PB_DICT* cs___ObjectObserverImpsDict = nullptr;     // imp -> imp, registered object observers
PB_DICT* cs___ObjectMultiObserverImpsDict = nullptr;   // imp -> imp, registered multi observers
PB_DICT* cs___ObjectDomainObserverImpsDict = nullptr;  // imp -> imp, registered domain observers
PB_INT cs___UpdateInProgress = 0;                   // nesting count of open updates
PB_BOOL cs___Halted = PB_FALSE;                     // set by halt; Set is ignored from then on

namespace {

TR_STREAM* tableTrStream = nullptr;      // set once at start-up
PB_MONITOR* tableMonitor = nullptr;      // guards everything in this block and above
PB_DICT* recordsByName = nullptr;        // name -> record; the value observers get
PB_DICT* recordsByObject = nullptr;      // object -> record
PB_DICT* recordStreams = nullptr;        // record -> its trace stream
PB_DICT* recordMarks = nullptr;          // record -> trace mark, records with trMark only
PB_SIGNAL* tableUpdateSignal = nullptr;  // asserted after every change outside an update

using Record = pb::Ref<CS_OBJECT_RECORD>;
using Mark = pb::Ref<TR_MARK>;

// Every function that changes the table declares a cs::ReleaseLater before
// it enters the monitor. What the table drops (removed records, their
// streams and marks) and what the observers drop while they are told of a
// change (their snapshots, objects and records) goes there and is released
// only after the monitor is left, or, when the caller holds a lock of its
// own with a holder of its own (the configuration while it applies), after
// that one is left too. Objects whose last reference goes with a record
// are thus never freed under the table's monitor.

// Takes rec out of all four record dictionaries and returns the mark its
// stream carried, or NULL. The record and the mark are kept by later.
// Monitor held.
TR_MARK* removeRecord(Record rec, cs::ReleaseLater& later) {
    auto name = pb::adopt(csObjectRecordName(rec.get()));
    auto object = pb::adopt(csObjectRecordObject(rec.get()));
    PB_OBJ* key = csObjectRecordObj(rec.get());
    later.take(pb::adopt(pbDictObjKey(recordStreams, key)));
    pbDictDelStringKey(&recordsByName, name.get());
    pbDictDelObjKey(&recordsByObject, object.get());
    pbDictDelObjKey(&recordStreams, key);
    Mark mark = pb::adopt(trMarkFrom(pbDictObjKey(recordMarks, key)));
    pbDictDelObjKey(&recordMarks, key);
    later.take(std::move(rec));
    TR_MARK* kept = mark.get();
    later.take(std::move(mark));
    return kept;
}

// Hands table to every registered implementation of one kind. Monitor
// held. The loop runs over a snapshot of the registrations, since an
// implementation may leave the table while another is told (a plain
// callback on an observer's update signal may let go of an observer); one
// that has left is skipped. The snapshot goes to later, so that an
// implementation it holds last is not freed under the monitor.
template <class Imp>
void tellKind(PB_DICT* const& registered, Imp* (*from)(PB_OBJ*), void (*setObjectTable)(Imp*, PB_DICT*),
              PB_DICT* table, cs::ReleaseLater& later) {
    PB_DICT* imps = registered;
    later.keep(imps);
    for (PB_INT i = 0; i < pbDictLength(imps); ++i) {
        auto imp = pb::adopt(pbDictValueAt(imps, i));
        if (pbDictHasObjKey(registered, imp.get())) setObjectTable(from(imp.get()), table);
    }
}

void tellObservers(PB_DICT* table, cs::ReleaseLater& later) {
    tellKind(cs___ObjectObserverImpsDict, cs___ObjectObserverImpFrom, cs___ObjectObserverImpSetObjectTable, table,
             later);
    tellKind(cs___ObjectMultiObserverImpsDict, cs___ObjectMultiObserverImpFrom,
             cs___ObjectMultiObserverImpSetObjectTable, table, later);
    tellKind(cs___ObjectDomainObserverImpsDict, cs___ObjectDomainObserverImpFrom,
             cs___ObjectDomainObserverImpSetObjectTable, table, later);
}

// Publishes the table as it now stands: observers get the new dictionary
// and the update signal is replaced. Monitor held. Returns the replaced
// signal, which the caller asserts after leaving the monitor (so the fresh
// signal is already in place for listeners that add themselves again).
pb::Ref<PB_SIGNAL> publish(cs::ReleaseLater& later) {
    tellObservers(recordsByName, later);
    return cs::takeUpdateSignal(tableUpdateSignal);
}

// A change outside an update is published at once; inside one it waits
// for the outermost cs___ObjectTableUpdateEnd. Monitor held.
pb::Ref<PB_SIGNAL> changed(cs::ReleaseLater& later) { return cs___UpdateInProgress ? nullptr : publish(later); }

void fire(const pb::Ref<PB_SIGNAL>& fired) {
    if (fired) pbSignalAssert(fired.get());
}

Record lookupByName(PB_STRING* name) {
    pb::MonitorGuard guard(tableMonitor);
    return pb::adopt(csObjectRecordFrom(pbDictStringKey(recordsByName, name)));
}

Record lookupByObject(PB_OBJ* object) {
    pb::MonitorGuard guard(tableMonitor);
    return pb::adopt(csObjectRecordFrom(pbDictObjKey(recordsByObject, object)));
}

pb::Ref<PB_DICT> snapshot() {
    pb::MonitorGuard guard(tableMonitor);
    return pb::retain(recordsByName);
}

}  // namespace

extern "C" PB_EXPORT void cs___ObjectTableStartup(void) {
    tableTrStream = trStreamCreateCstr("CS_OBJECT_TABLE", -1);
    if (auto moduleStream = pb::adopt(cs___ModuleTrStream())) {
        auto anchor = pb::adopt(trAnchorCreate(moduleStream.get(), 10));
        trAnchorComplete(anchor.get(), tableTrStream);
    }
    tableMonitor = pbMonitorCreate();
    recordsByName = pbDictCreate();
    recordsByObject = pbDictCreate();
    recordStreams = pbDictCreate();
    recordMarks = pbDictCreate();
    cs___ObjectObserverImpsDict = pbDictCreate();
    cs___ObjectMultiObserverImpsDict = pbDictCreate();
    cs___ObjectDomainObserverImpsDict = pbDictCreate();
    tableUpdateSignal = pbSignalCreate();
    cs___UpdateInProgress = 0;
    cs___Halted = PB_FALSE;
}

extern "C" PB_EXPORT void cs___ObjectTableShutdown(void) {
    PB_ASSERT(!cs___UpdateInProgress);
    pb::releaseField(tableUpdateSignal);
    pb::releaseField(cs___ObjectDomainObserverImpsDict);
    pb::releaseField(cs___ObjectMultiObserverImpsDict);
    pb::releaseField(cs___ObjectObserverImpsDict);
    pb::releaseField(recordMarks);
    pb::releaseField(recordStreams);
    pb::releaseField(recordsByObject);
    pb::releaseField(recordsByName);
    pb::releaseField(tableMonitor);
    pb::releaseField(tableTrStream);
    cs___UpdateInProgress = 0;
    cs___Halted = PB_FALSE;
}

// Empties the table for good: observers get an empty dictionary (at once,
// or when the open update ends), the signal is not asserted, and the
// records (and with them, unless held elsewhere, their objects) are
// released after the monitor is left.
extern "C" PB_EXPORT void cs___ObjectTableHalt(void) {
    cs::ReleaseLater later;
    pb::MonitorGuard guard(tableMonitor);
    PB_ASSERT(!cs___Halted);
    for (PB_DICT** dict : {&recordsByName, &recordsByObject,
                           &recordStreams, &recordMarks})
        later.take(pb::adopt(std::exchange(*dict, pbDictCreate())));
    cs___Halted = PB_TRUE;
    if (!cs___UpdateInProgress) tellObservers(recordsByName, later);
}

// Enters record, replacing the record of the same name and the record of
// the same object. The record's trace stream, with the mark carried over
// from the records it replaces, is made under the monitor; the object's own
// trace is linked below it after the monitor is left, so that the sort's
// trace callback never runs under the table's monitor. A Set after halt
// leaves no trace.
extern "C" PB_EXPORT void csObjectTableSet(CS_OBJECT_RECORD* record) {
    PB_ASSERT(record);
    auto name = pb::adopt(csObjectRecordName(record));
    auto object = pb::adopt(csObjectRecordObject(record));

    pb::Ref<TR_STREAM> stream;
    pb::Ref<PB_SIGNAL> fired;
    {
        cs::ReleaseLater later;
        pb::MonitorGuard guard(tableMonitor);
        if (cs___Halted) return;

        TR_MARK* oldTrmName = nullptr;
        TR_MARK* oldTrmObj = nullptr;
        if (auto old = pb::adopt(csObjectRecordFrom(pbDictStringKey(recordsByName, name.get()))))
            oldTrmName = removeRecord(std::move(old), later);
        if (auto old = pb::adopt(csObjectRecordFrom(pbDictObjKey(recordsByObject, object.get()))))
            oldTrmObj = removeRecord(std::move(old), later);

        PB_OBJ* key = csObjectRecordObj(record);
        pbDictSetStringKey(&recordsByName, name.get(), key);
        pbDictSetObjKey(&recordsByObject, object.get(), key);

        if (oldTrmName && oldTrmObj) PB_ASSERT(oldTrmName != oldTrmObj);
        Mark mark;
        if (csObjectRecordTrMark(record)) {
            mark = oldTrmObj ? pb::retain(oldTrmObj) : oldTrmName ? pb::retain(oldTrmName) : pb::adopt(trMarkCreate());
            pbDictSetObjKey(&recordMarks, key, trMarkObj(mark.get()));
        }
        for (TR_MARK* old : {oldTrmName, oldTrmObj})
            if (old && old != mark.get()) tr___SystemMarkScrub(old);

        auto anchor = pb::adopt(trAnchorCreateWithAnnotation(tableTrStream, 10, name.get()));
        stream = pb::adopt(cs::objectRecordTraceStream(record, anchor.get(), mark.get()));
        pbDictSetObjKey(&recordStreams, key, trStreamObj(stream.get()));
        fired = changed(later);
    }
    cs::objectRecordTraceLinkObject(record, stream.get());
    fire(fired);
}

// Deletes the record found by find (name or object), if any. Monitor not
// held.
template <class Find>
void deleteRecord(Find find) {
    pb::Ref<PB_SIGNAL> fired;
    {
        cs::ReleaseLater later;
        pb::MonitorGuard guard(tableMonitor);
        auto rec = pb::adopt(csObjectRecordFrom(find()));
        if (!rec) return;
        if (TR_MARK* mark = removeRecord(std::move(rec), later)) tr___SystemMarkScrub(mark);
        fired = changed(later);
    }
    fire(fired);
}

extern "C" PB_EXPORT void csObjectTableDelByName(PB_STRING* name) {
    PB_ASSERT(csObjectRecordNameOk( name ));
    deleteRecord([&] { return pbDictStringKey(recordsByName, name); });
}

extern "C" PB_EXPORT void csObjectTableDelByObject(PB_OBJ* object) {
    PB_ASSERT(object);
    deleteRecord([&] { return pbDictObjKey(recordsByObject, object); });
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
    pb::MonitorGuard guard(tableMonitor);
    pbSignalAddSignalable(tableUpdateSignal, signalable);
}

extern "C" PB_EXPORT void csObjectTableUpdateDelSignalable(PB_SIGNALABLE* signalable) {
    pb::MonitorGuard guard(tableMonitor);
    pbSignalDelSignalable(tableUpdateSignal, signalable);
}

extern "C" PB_EXPORT void cs___ObjectTableUpdateBegin(void) {
    pb::MonitorGuard guard(tableMonitor);
    PB_ASSERT(PB_INT_ADD_OK( cs___UpdateInProgress, 1 ));
    ++cs___UpdateInProgress;
}

// Closing the outermost update publishes the whole batch once.
extern "C" PB_EXPORT void cs___ObjectTableUpdateEnd(void) {
    pb::Ref<PB_SIGNAL> fired;
    {
        cs::ReleaseLater later;
        pb::MonitorGuard guard(tableMonitor);
        PB_ASSERT(cs___UpdateInProgress > 0);
        --cs___UpdateInProgress;
        fired = changed(later);
    }
    fire(fired);
}

// Registration of observer implementations: each kind has its own set.
// Registering hands the implementation the current dictionary at once.

extern "C" PB_EXPORT void cs___ObjectTableObjectObserverImpRegister(CS___OBJECT_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(tableMonitor);
    PB_ASSERT(!pbDictHasObjKey( cs___ObjectObserverImpsDict, cs___ObjectObserverImpObj( imp ) ));
    pbDictSetObjKey(&cs___ObjectObserverImpsDict, cs___ObjectObserverImpObj(imp), cs___ObjectObserverImpObj(imp));
    cs___ObjectObserverImpSetObjectTable(imp, recordsByName);
}

extern "C" PB_EXPORT void cs___ObjectTableObjectObserverImpUnregister(CS___OBJECT_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(tableMonitor);
    PB_ASSERT(pbDictHasObjKey( cs___ObjectObserverImpsDict, cs___ObjectObserverImpObj( imp ) ));
    pbDictDelObjKey(&cs___ObjectObserverImpsDict, cs___ObjectObserverImpObj(imp));
}

extern "C" PB_EXPORT void cs___ObjectTableObjectMultiObserverImpRegister(CS___OBJECT_MULTI_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(tableMonitor);
    PB_ASSERT(!pbDictHasObjKey( cs___ObjectMultiObserverImpsDict, cs___ObjectMultiObserverImpObj( imp ) ));
    pbDictSetObjKey(&cs___ObjectMultiObserverImpsDict, cs___ObjectMultiObserverImpObj(imp),
                    cs___ObjectMultiObserverImpObj(imp));
    cs___ObjectMultiObserverImpSetObjectTable(imp, recordsByName);
}

extern "C" PB_EXPORT void cs___ObjectTableObjectMultiObserverImpUnregister(CS___OBJECT_MULTI_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(tableMonitor);
    PB_ASSERT(pbDictHasObjKey( cs___ObjectMultiObserverImpsDict, cs___ObjectMultiObserverImpObj( imp ) ));
    pbDictDelObjKey(&cs___ObjectMultiObserverImpsDict, cs___ObjectMultiObserverImpObj(imp));
}

extern "C" PB_EXPORT void cs___ObjectTableObjectDomainObserverImpRegister(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(tableMonitor);
    PB_ASSERT(!pbDictHasObjKey( cs___ObjectDomainObserverImpsDict, cs___ObjectDomainObserverImpObj( imp ) ));
    pbDictSetObjKey(&cs___ObjectDomainObserverImpsDict, cs___ObjectDomainObserverImpObj(imp),
                    cs___ObjectDomainObserverImpObj(imp));
    cs___ObjectDomainObserverImpSetObjectTable(imp, recordsByName);
}

extern "C" PB_EXPORT void cs___ObjectTableObjectDomainObserverImpUnregister(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp) {
    PB_ASSERT(imp);
    pb::MonitorGuard guard(tableMonitor);
    PB_ASSERT(pbDictHasObjKey( cs___ObjectDomainObserverImpsDict, cs___ObjectDomainObserverImpObj( imp ) ));
    pbDictDelObjKey(&cs___ObjectDomainObserverImpsDict, cs___ObjectDomainObserverImpObj(imp));
}
