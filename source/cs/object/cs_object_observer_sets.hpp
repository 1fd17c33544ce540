// The observed names and fixed objects of the multi and domain observers.
//
// Both implementations keep the same sets under the same field names
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

template <class Imp, void (*Reevaluate)(Imp*, ReleaseLater&)>
class ObservedSets {
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

    static void setObjectTable(Imp* imp, PB_DICT* objectTable) {
        PB_ASSERT(objectTable);
        change(imp, [&](ReleaseLater& later) { later.replace(imp->intObjectTable, objectTable); });
    }

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

    static void updateAddSignalable(Imp* imp, PB_SIGNALABLE* signalable) {
        read(imp, [&] { pbSignalAddSignalable(imp->intUpdateSignal, signalable); });
    }
    static void updateDelSignalable(Imp* imp, PB_SIGNALABLE* signalable) {
        read(imp, [&] { pbSignalDelSignalable(imp->intUpdateSignal, signalable); });
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
