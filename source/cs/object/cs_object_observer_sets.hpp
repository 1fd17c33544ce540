// What the object observer implementations share: cs::ObserverCore, the
// monitor discipline of all three, and cs::ObservedSets, the observed names
// and fixed objects of the multi and domain observers.
//
// The multi and domain implementations keep the same sets under the same field names
// (intMonitor, intUpdateSignal, extObservedNames: name -> name,
// extFixedObjects: object -> object, intObjectTable) and differ only in
// what they make of them. cs::ObservedSets<Imp, reevaluate> holds the
// operations on the sets once; each runs under the implementation's
// monitor and, when it changes a set, calls reevaluate (with the monitor
// held) before it leaves. Arguments are checked here.
//
// Observers change their fields under their own monitor, often while the
// object table holds its monitor as well; what they drop goes to a
// cs::ReleaseLater (cs/base/cs_release_later.hpp), which releases it once
// the outermost of those monitors is left.
#pragma once

#include "cs/base/cs_release_later.hpp"
#include "cs/base/cs_update_signal.hpp"
#include "cs/object/cs_object_record.h"
#include "pb/pb_dict.h"
#include "pb/pb_monitor.hpp"
#include "pb/pb_ref.hpp"
#include "pb/pb_signal.h"
#include "pb/pb_signalable.h"
#include "pb/pb_string.h"
#include "pb/pb_vector.h"

namespace cs {

// The monitor discipline that every object observer implementation shares
// (intMonitor, intUpdateSignal, intObjectTable): changes under the monitor
// followed by a re-evaluation, reads under the monitor, and the signalables
// of the update signal.
template <class Imp, void (*Reevaluate)(Imp*, ReleaseLater&)>
class ObserverCore {
public:
    // Applies one change under the monitor, then re-evaluates; what the
    // change drops is released after the monitor is left.
    template <class Apply>
    static void change(Imp* imp, Apply apply) {
        PB_ASSERT(imp);
        ReleaseLater later;
        pb::MonitorGuard guard(imp->intMonitor);
        apply(later);
        Reevaluate(imp, later);
    }

    // Runs read under the monitor and returns its result.
    template <class Read>
    static auto read(Imp* imp, Read reader) {
        PB_ASSERT(imp);
        pb::MonitorGuard guard(imp->intMonitor);
        return reader();
    }

    // A new reference to an object field (or NULL), and whether it is set.
    template <class T>
    static T* retained(Imp* imp, T* Imp::*field) {
        return read(imp, [&] { return pb::retain(imp->*field).leak(); });
    }
    template <class T>
    static PB_BOOL has(Imp* imp, T* Imp::*field) {
        return read(imp, [&] { return PB_BOOL(imp->*field != nullptr); });
    }

    static void setObjectTable(Imp* imp, PB_DICT* objectTable) {
        PB_ASSERT(objectTable);
        change(imp, [&](ReleaseLater& later) { later.replace(imp->intObjectTable, objectTable); });
    }

    static void updateAddSignalable(Imp* imp, PB_SIGNALABLE* signalable) {
        read(imp, [&] { pbSignalAddSignalable(imp->intUpdateSignal, signalable); });
    }
    static void updateDelSignalable(Imp* imp, PB_SIGNALABLE* signalable) {
        read(imp, [&] { pbSignalDelSignalable(imp->intUpdateSignal, signalable); });
    }
};

template <class Imp, void (*Reevaluate)(Imp*, ReleaseLater&)>
class ObservedSets : public ObserverCore<Imp, Reevaluate> {
    using Core = ObserverCore<Imp, Reevaluate>;

public:
    using Core::change;
    using Core::read;

    static void setObservedName(Imp* imp, PB_STRING* name) {
        PB_ASSERT(name);
        change(imp, [&](ReleaseLater&) { pbDictSetStringKey(&imp->extObservedNames, name, pbStringObj(name)); });
    }
    static void delObservedName(Imp* imp, PB_STRING* name) {
        PB_ASSERT(name);
        change(imp, [&](ReleaseLater&) { pbDictDelStringKey(&imp->extObservedNames, name); });
    }
    static PB_BOOL hasObservedName(Imp* imp, PB_STRING* name) {
        PB_ASSERT(name);
        return read(imp, [&] { return pbDictHasStringKey(imp->extObservedNames, name); });
    }
    static void clearObservedNames(Imp* imp) { setNames(imp, nullptr); }
    static PB_INT observedNamesLength(Imp* imp) {
        return read(imp, [&] { return pbDictLength(imp->extObservedNames); });
    }
    static PB_STRING* observedNameAt(Imp* imp, PB_INT index) {
        return read(imp, [&] { return pbStringFrom(pbDictKeyAt(imp->extObservedNames, index)); });
    }
    static PB_VECTOR* observedNamesVector(Imp* imp) { return vectorOf(imp, &Imp::extObservedNames); }
    static void setObservedNamesVector(Imp* imp, PB_VECTOR* vec) {
        PB_ASSERT(vec);
        setNames(imp, vec);
    }

    static void setFixedObject(Imp* imp, PB_OBJ* obj) {
        PB_ASSERT(obj);
        change(imp, [&](ReleaseLater& later) {
            later.keep(imp->extFixedObjects);
            pbDictSetObjKey(&imp->extFixedObjects, obj, obj);
        });
    }
    static void delFixedObject(Imp* imp, PB_OBJ* obj) {
        PB_ASSERT(obj);
        change(imp, [&](ReleaseLater& later) {
            later.keep(imp->extFixedObjects);
            pbDictDelObjKey(&imp->extFixedObjects, obj);
        });
    }
    static PB_BOOL hasFixedObject(Imp* imp, PB_OBJ* obj) {
        PB_ASSERT(obj);
        return read(imp, [&] { return pbDictHasObjKey(imp->extFixedObjects, obj); });
    }
    static void clearFixedObjects(Imp* imp) { setFixed(imp, nullptr); }
    static PB_INT fixedObjectsLength(Imp* imp) {
        return read(imp, [&] { return pbDictLength(imp->extFixedObjects); });
    }
    static PB_OBJ* fixedObjectAt(Imp* imp, PB_INT index) {
        return read(imp, [&] { return pbDictKeyAt(imp->extFixedObjects, index); });
    }
    static PB_VECTOR* fixedObjectsVector(Imp* imp) { return vectorOf(imp, &Imp::extFixedObjects); }
    static void setFixedObjectsVector(Imp* imp, PB_VECTOR* vec) {
        PB_ASSERT(vec);
        setFixed(imp, vec);
    }

    // Replaces the names, re-evaluates, then replaces the fixed objects and
    // re-evaluates again, all under one hold of the monitor; NULL empties a
    // set. Both vectors are checked before anything changes.
    static void configure(Imp* imp, PB_VECTOR* namesVector, PB_VECTOR* fixedObjectsVector) {
        auto names = pb::adopt(namesFrom(namesVector));
        auto fixed = pb::adopt(objectsFrom(fixedObjectsVector));
        change(imp, [&](ReleaseLater& later) {
            later.replace(imp->extObservedNames, names.get());
            Reevaluate(imp, later);
            later.replace(imp->extFixedObjects, fixed.get());
        });
    }

private:
    // The set of the names in vec (none for NULL). Every element must be a
    // string that is a valid object record name.
    static PB_DICT* namesFrom(PB_VECTOR* vec) {
        PB_DICT* names = pbDictCreate();
        for (PB_INT i = 0; vec && i < pbVectorLength(vec); ++i) {
            auto element = pb::adopt(pbVectorObjAt(vec, i));
            PB_STRING* pbs = pbObjSort(element.get()) == pbStringSort() ? pbStringFrom(element.get()) : nullptr;
            PB_ASSERT(pbs);
            PB_ASSERT(csObjectRecordNameOk( pbs ));
            pbDictSetStringKey(&names, pbs, pbStringObj(pbs));
        }
        return names;
    }

    // The set of the objects in vec (none for NULL).
    static PB_DICT* objectsFrom(PB_VECTOR* vec) {
        PB_DICT* objects = pbDictCreate();
        for (PB_INT i = 0; vec && i < pbVectorLength(vec); ++i) {
            auto element = pb::adopt(pbVectorObjAt(vec, i));
            pbDictSetObjKey(&objects, element.get(), element.get());
        }
        return objects;
    }

    static void setNames(Imp* imp, PB_VECTOR* vec) {
        auto names = pb::adopt(namesFrom(vec));
        change(imp, [&](ReleaseLater& later) { later.replace(imp->extObservedNames, names.get()); });
    }

    static void setFixed(Imp* imp, PB_VECTOR* vec) {
        auto fixed = pb::adopt(objectsFrom(vec));
        change(imp, [&](ReleaseLater& later) { later.replace(imp->extFixedObjects, fixed.get()); });
    }

    // The keys of a set, in its order. The set is a value, so it is read
    // without the monitor once a reference is taken.
    static PB_VECTOR* vectorOf(Imp* imp, PB_DICT* Imp::*field) {
        auto set = read(imp, [&] { return pb::retain(imp->*field); });
        PB_VECTOR* vec = pbVectorCreate();
        for (PB_INT i = 0; i < pbDictLength(set.get()); ++i) {
            auto key = pb::adopt(pbDictKeyAt(set.get(), i));
            pbVectorAppendObj(&vec, key.get());
        }
        return vec;
    }
};

}  // namespace cs

// Defines the functions of an implementation with observed sets that only
// forward to Sets (a cs::ObservedSets), for p = cs___ObjectMultiObserverImp
// and IMP = CS___OBJECT_MULTI_OBSERVER_IMP: SetObjectTable, the observed
// names and fixed objects, Configure and the update signalables.
#define CS___OBSERVED_SETS_IMP_DEFINE(p, IMP, Sets) \
    extern "C" PB_EXPORT void p##SetObjectTable(IMP* imp, PB_DICT* objectTable) { Sets::setObjectTable(imp, objectTable); } \
    extern "C" PB_EXPORT void p##SetObservedName(IMP* imp, PB_STRING* name) { Sets::setObservedName(imp, name); } \
    extern "C" PB_EXPORT void p##DelObservedName(IMP* imp, PB_STRING* name) { Sets::delObservedName(imp, name); } \
    extern "C" PB_EXPORT PB_BOOL p##HasObservedName(IMP* imp, PB_STRING* name) { return Sets::hasObservedName(imp, name); } \
    extern "C" PB_EXPORT void p##ClearObservedNames(IMP* imp) { Sets::clearObservedNames(imp); } \
    extern "C" PB_EXPORT PB_INT p##ObservedNamesLength(IMP* imp) { return Sets::observedNamesLength(imp); } \
    extern "C" PB_EXPORT PB_STRING* p##ObservedNameAt(IMP* imp, PB_INT index) { return Sets::observedNameAt(imp, index); } \
    extern "C" PB_EXPORT PB_VECTOR* p##ObservedNamesVector(IMP* imp) { return Sets::observedNamesVector(imp); } \
    extern "C" PB_EXPORT void p##SetObservedNamesVector(IMP* imp, PB_VECTOR* vec) { Sets::setObservedNamesVector(imp, vec); } \
    extern "C" PB_EXPORT void p##SetFixedObject(IMP* imp, PB_OBJ* obj) { Sets::setFixedObject(imp, obj); } \
    extern "C" PB_EXPORT void p##DelFixedObject(IMP* imp, PB_OBJ* obj) { Sets::delFixedObject(imp, obj); } \
    extern "C" PB_EXPORT PB_BOOL p##HasFixedObject(IMP* imp, PB_OBJ* obj) { return Sets::hasFixedObject(imp, obj); } \
    extern "C" PB_EXPORT void p##ClearFixedObjects(IMP* imp) { Sets::clearFixedObjects(imp); } \
    extern "C" PB_EXPORT PB_INT p##FixedObjectsLength(IMP* imp) { return Sets::fixedObjectsLength(imp); } \
    extern "C" PB_EXPORT PB_OBJ* p##FixedObjectAt(IMP* imp, PB_INT index) { return Sets::fixedObjectAt(imp, index); } \
    extern "C" PB_EXPORT PB_VECTOR* p##FixedObjectsVector(IMP* imp) { return Sets::fixedObjectsVector(imp); } \
    extern "C" PB_EXPORT void p##SetFixedObjectsVector(IMP* imp, PB_VECTOR* vec) { Sets::setFixedObjectsVector(imp, vec); } \
    extern "C" PB_EXPORT void p##Configure(IMP* imp, PB_VECTOR* namesVector, PB_VECTOR* fixedObjectsVector) { \
        Sets::configure(imp, namesVector, fixedObjectsVector); \
    } \
    extern "C" PB_EXPORT void p##UpdateAddSignalable(IMP* imp, PB_SIGNALABLE* signalable) { \
        Sets::updateAddSignalable(imp, signalable); \
    } \
    extern "C" PB_EXPORT void p##UpdateDelSignalable(IMP* imp, PB_SIGNALABLE* signalable) { \
        Sets::updateDelSignalable(imp, signalable); \
    }

// Defines the public functions of an observer with observed sets that
// forward to the implementation functions of the same names, for
// p = csObjectMultiObserver, TYPE = CS_OBJECT_MULTI_OBSERVER and
// imp = cs___ObjectMultiObserverImp. impOf(obs) checks the observer and
// gives its implementation.
#define CS___OBSERVED_SETS_PUBLIC_DEFINE(p, TYPE, imp) \
    extern "C" PB_EXPORT void p##SetObservedName(TYPE* obs, PB_STRING* name) { imp##SetObservedName(impOf(obs), name); } \
    extern "C" PB_EXPORT void p##DelObservedName(TYPE* obs, PB_STRING* name) { imp##DelObservedName(impOf(obs), name); } \
    extern "C" PB_EXPORT PB_BOOL p##HasObservedName(TYPE* obs, PB_STRING* name) { \
        return imp##HasObservedName(impOf(obs), name); \
    } \
    extern "C" PB_EXPORT void p##ClearObservedNames(TYPE* obs) { imp##ClearObservedNames(impOf(obs)); } \
    extern "C" PB_EXPORT PB_INT p##ObservedNamesLength(TYPE* obs) { return imp##ObservedNamesLength(impOf(obs)); } \
    extern "C" PB_EXPORT PB_STRING* p##ObservedNameAt(TYPE* obs, PB_INT index) { \
        return imp##ObservedNameAt(impOf(obs), index); \
    } \
    extern "C" PB_EXPORT PB_VECTOR* p##ObservedNamesVector(TYPE* obs) { return imp##ObservedNamesVector(impOf(obs)); } \
    extern "C" PB_EXPORT void p##SetObservedNamesVector(TYPE* obs, PB_VECTOR* vec) { \
        imp##SetObservedNamesVector(impOf(obs), vec); \
    } \
    extern "C" PB_EXPORT void p##SetFixedObject(TYPE* obs, PB_OBJ* obj) { imp##SetFixedObject(impOf(obs), obj); } \
    extern "C" PB_EXPORT void p##DelFixedObject(TYPE* obs, PB_OBJ* obj) { imp##DelFixedObject(impOf(obs), obj); } \
    extern "C" PB_EXPORT PB_BOOL p##HasFixedObject(TYPE* obs, PB_OBJ* obj) { return imp##HasFixedObject(impOf(obs), obj); } \
    extern "C" PB_EXPORT void p##ClearFixedObjects(TYPE* obs) { imp##ClearFixedObjects(impOf(obs)); } \
    extern "C" PB_EXPORT PB_INT p##FixedObjectsLength(TYPE* obs) { return imp##FixedObjectsLength(impOf(obs)); } \
    extern "C" PB_EXPORT PB_OBJ* p##FixedObjectAt(TYPE* obs, PB_INT index) { return imp##FixedObjectAt(impOf(obs), index); } \
    extern "C" PB_EXPORT PB_VECTOR* p##FixedObjectsVector(TYPE* obs) { return imp##FixedObjectsVector(impOf(obs)); } \
    extern "C" PB_EXPORT void p##SetFixedObjectsVector(TYPE* obs, PB_VECTOR* vec) { \
        imp##SetFixedObjectsVector(impOf(obs), vec); \
    } \
    extern "C" PB_EXPORT void p##Configure(TYPE* obs, PB_VECTOR* namesVector, PB_VECTOR* fixedObjectsVector) { \
        imp##Configure(impOf(obs), namesVector, fixedObjectsVector); \
    } \
    extern "C" PB_EXPORT void p##UpdateAddSignalable(TYPE* obs, PB_SIGNALABLE* signalable) { \
        imp##UpdateAddSignalable(impOf(obs), signalable); \
    } \
    extern "C" PB_EXPORT void p##UpdateDelSignalable(TYPE* obs, PB_SIGNALABLE* signalable) { \
        imp##UpdateDelSignalable(impOf(obs), signalable); \
    }
