// Multi observers: the public object, forwarding to its implementation.
#include "cs/object/cs_object_multi_observer.h"

#include "cs/base/cs_module.h"
#include "cs/object/cs_object_multi_observer_imp.h"
#include "cs/object/cs_object_observer_sets.hpp"
#include "pb/pb_stdfunc.hpp"

struct CS_OBJECT_MULTI_OBSERVER {
    PB_OBJ obj;
    CS___OBJECT_MULTI_OBSERVER_IMP* imp;  // set once at creation; never NULL
};

namespace {

using Obs = CS_OBJECT_MULTI_OBSERVER;

// Halting first stops the implementation observing even while others
// still hold it.
void observerFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_OBJECT_MULTI_OBSERVER);
    auto* obs = reinterpret_cast<Obs*>(obj);
    cs___ObjectMultiObserverImpHalt(obs->imp);
    pb::releaseField(obs->imp);
}

// The check every public operation makes before it forwards.
CS___OBJECT_MULTI_OBSERVER_IMP* impOf(Obs* obs) {
    PB_ASSERT(obs);
    return obs->imp;
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_OBJECT_MULTI_OBSERVER, &cs___module, "CS_OBJECT_MULTI_OBSERVER", observerFree, nullptr,
               nullptr);
PB_STDFUNCS_DEFINE(csObjectMultiObserver, CS_OBJECT_MULTI_OBSERVER, cs___sort_CS_OBJECT_MULTI_OBSERVER)

extern "C" PB_EXPORT Obs* csObjectMultiObserverCreate(void) {
    auto* obs = reinterpret_cast<Obs*>(pb___ObjCreate(sizeof(Obs), &cs___sort_CS_OBJECT_MULTI_OBSERVER));
    obs->imp = cs___ObjectMultiObserverImpCreate();
    return obs;
}

extern "C" PB_EXPORT Obs* csObjectMultiObserverCreateWithRequiredSort(PB_SORT* sort) {
    PB_ASSERT(sort);
    Obs* obs = csObjectMultiObserverCreate();
    cs___ObjectMultiObserverImpSetRequiredSort(obs->imp, sort);
    return obs;
}

extern "C" PB_EXPORT PB_SORT* csObjectMultiObserverRequiredSort(Obs* obs) {
    return cs___ObjectMultiObserverImpRequiredSort(impOf(obs));
}
extern "C" PB_EXPORT PB_BOOL csObjectMultiObserverHasRequiredSort(Obs* obs) {
    return cs___ObjectMultiObserverImpHasRequiredSort(impOf(obs));
}
extern "C" PB_EXPORT void csObjectMultiObserverSetRequiredSort(Obs* obs, PB_SORT* sort) {
    cs___ObjectMultiObserverImpSetRequiredSort(impOf(obs), sort);
}
extern "C" PB_EXPORT void csObjectMultiObserverDelRequiredSort(Obs* obs) {
    cs___ObjectMultiObserverImpDelRequiredSort(impOf(obs));
}

extern "C" PB_EXPORT PB_DICT* csObjectMultiObserverObjectsDict(Obs* obs) {
    return cs___ObjectMultiObserverImpObjectsDict(impOf(obs));
}
extern "C" PB_EXPORT PB_VECTOR* csObjectMultiObserverObjectsVector(Obs* obs) {
    return cs___ObjectMultiObserverImpObjectsVector(impOf(obs));
}

CS___OBSERVED_SETS_PUBLIC_DEFINE(csObjectMultiObserver, CS_OBJECT_MULTI_OBSERVER, cs___ObjectMultiObserverImp)
