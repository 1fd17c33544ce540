// Domain observers: the public object, forwarding to its implementation.
#include "cs/object/cs_object_domain_observer.h"

#include "cs/base/cs_module.h"
#include "cs/object/cs_object_domain_observer_imp.h"
#include "pb/pb_stdfunc.hpp"

struct CS_OBJECT_DOMAIN_OBSERVER {
    PB_OBJ obj;
    CS___OBJECT_DOMAIN_OBSERVER_IMP* imp;  // set once at creation; never NULL
};

namespace {

using Obs = CS_OBJECT_DOMAIN_OBSERVER;

// Halting first stops the implementation observing even while others
// still hold it.
void observerFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_OBJECT_DOMAIN_OBSERVER);
    auto* obs = reinterpret_cast<Obs*>(obj);
    cs___ObjectDomainObserverImpHalt(obs->imp);
    pb::releaseField(obs->imp);
}

// The check every public operation makes before it forwards.
CS___OBJECT_DOMAIN_OBSERVER_IMP* impOf(Obs* obs) {
    PB_ASSERT(obs);
    return obs->imp;
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_OBJECT_DOMAIN_OBSERVER, &cs___module, "CS_OBJECT_DOMAIN_OBSERVER", observerFree, nullptr,
               nullptr);
PB_STDFUNCS_DEFINE(csObjectDomainObserver, CS_OBJECT_DOMAIN_OBSERVER, cs___sort_CS_OBJECT_DOMAIN_OBSERVER)

extern "C" PB_EXPORT Obs* csObjectDomainObserverCreate(void) {
    auto* obs = reinterpret_cast<Obs*>(pb___ObjCreate(sizeof(Obs), &cs___sort_CS_OBJECT_DOMAIN_OBSERVER));
    obs->imp = cs___ObjectDomainObserverImpCreate();
    return obs;
}

extern "C" PB_EXPORT void csObjectDomainObserverSetObservedName(Obs* obs, PB_STRING* name) {
    cs___ObjectDomainObserverImpSetObservedName(impOf(obs), name);
}
extern "C" PB_EXPORT void csObjectDomainObserverDelObservedName(Obs* obs, PB_STRING* name) {
    cs___ObjectDomainObserverImpDelObservedName(impOf(obs), name);
}
extern "C" PB_EXPORT PB_BOOL csObjectDomainObserverHasObservedName(Obs* obs, PB_STRING* name) {
    return cs___ObjectDomainObserverImpHasObservedName(impOf(obs), name);
}
extern "C" PB_EXPORT void csObjectDomainObserverClearObservedNames(Obs* obs) {
    cs___ObjectDomainObserverImpClearObservedNames(impOf(obs));
}
extern "C" PB_EXPORT PB_INT csObjectDomainObserverObservedNamesLength(Obs* obs) {
    return cs___ObjectDomainObserverImpObservedNamesLength(impOf(obs));
}
extern "C" PB_EXPORT PB_STRING* csObjectDomainObserverObservedNameAt(Obs* obs, PB_INT index) {
    return cs___ObjectDomainObserverImpObservedNameAt(impOf(obs), index);
}
extern "C" PB_EXPORT PB_VECTOR* csObjectDomainObserverObservedNamesVector(Obs* obs) {
    return cs___ObjectDomainObserverImpObservedNamesVector(impOf(obs));
}
extern "C" PB_EXPORT void csObjectDomainObserverSetObservedNamesVector(Obs* obs, PB_VECTOR* vec) {
    cs___ObjectDomainObserverImpSetObservedNamesVector(impOf(obs), vec);
}

extern "C" PB_EXPORT void csObjectDomainObserverSetFixedObject(Obs* obs, PB_OBJ* obj) {
    cs___ObjectDomainObserverImpSetFixedObject(impOf(obs), obj);
}
extern "C" PB_EXPORT void csObjectDomainObserverDelFixedObject(Obs* obs, PB_OBJ* obj) {
    cs___ObjectDomainObserverImpDelFixedObject(impOf(obs), obj);
}
extern "C" PB_EXPORT PB_BOOL csObjectDomainObserverHasFixedObject(Obs* obs, PB_OBJ* obj) {
    return cs___ObjectDomainObserverImpHasFixedObject(impOf(obs), obj);
}
extern "C" PB_EXPORT void csObjectDomainObserverClearFixedObjects(Obs* obs) {
    cs___ObjectDomainObserverImpClearFixedObjects(impOf(obs));
}
extern "C" PB_EXPORT PB_INT csObjectDomainObserverFixedObjectsLength(Obs* obs) {
    return cs___ObjectDomainObserverImpFixedObjectsLength(impOf(obs));
}
extern "C" PB_EXPORT PB_OBJ* csObjectDomainObserverFixedObjectAt(Obs* obs, PB_INT index) {
    return cs___ObjectDomainObserverImpFixedObjectAt(impOf(obs), index);
}
extern "C" PB_EXPORT PB_VECTOR* csObjectDomainObserverFixedObjectsVector(Obs* obs) {
    return cs___ObjectDomainObserverImpFixedObjectsVector(impOf(obs));
}
extern "C" PB_EXPORT void csObjectDomainObserverSetFixedObjectsVector(Obs* obs, PB_VECTOR* vec) {
    cs___ObjectDomainObserverImpSetFixedObjectsVector(impOf(obs), vec);
}

extern "C" PB_EXPORT void csObjectDomainObserverConfigure(Obs* obs, PB_VECTOR* namesVector,
                                                          PB_VECTOR* fixedObjectsVector) {
    cs___ObjectDomainObserverImpConfigure(impOf(obs), namesVector, fixedObjectsVector);
}

extern "C" PB_EXPORT CS_OBJECT_DOMAIN_OBSERVER_MAP* csObjectDomainObserverMap(Obs* obs) {
    return cs___ObjectDomainObserverImpMap(impOf(obs));
}

extern "C" PB_EXPORT void csObjectDomainObserverUpdateAddSignalable(Obs* obs, PB_SIGNALABLE* signalable) {
    cs___ObjectDomainObserverImpUpdateAddSignalable(impOf(obs), signalable);
}
extern "C" PB_EXPORT void csObjectDomainObserverUpdateDelSignalable(Obs* obs, PB_SIGNALABLE* signalable) {
    cs___ObjectDomainObserverImpUpdateDelSignalable(impOf(obs), signalable);
}
