// Object observers: the public object, forwarding to its implementation.
#include "cs/object/cs_object_observer.h"

#include "cs/base/cs_module.h"
#include "cs/object/cs_object_observer_imp.h"
#include "pb/pb_stdfunc.hpp"

struct CS_OBJECT_OBSERVER {
    PB_OBJ obj;
    CS___OBJECT_OBSERVER_IMP* imp;  // set once at creation; never NULL
};

namespace {

// Halting first stops the implementation observing even while others
// still hold it.
void observerFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_OBJECT_OBSERVER);
    auto* obs = reinterpret_cast<CS_OBJECT_OBSERVER*>(obj);
    cs___ObjectObserverImpHalt(obs->imp);
    pb::releaseField(obs->imp);
}

// The check every public operation makes before it forwards.
CS___OBJECT_OBSERVER_IMP* impOf(CS_OBJECT_OBSERVER* obs) {
    PB_ASSERT(obs);
    return obs->imp;
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_OBJECT_OBSERVER, &cs___module, "CS_OBJECT_OBSERVER", observerFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csObjectObserver, CS_OBJECT_OBSERVER, cs___sort_CS_OBJECT_OBSERVER)

extern "C" PB_EXPORT CS_OBJECT_OBSERVER* csObjectObserverCreate(void) {
    auto* obs = reinterpret_cast<CS_OBJECT_OBSERVER*>(
        pb___ObjCreate(sizeof(CS_OBJECT_OBSERVER), &cs___sort_CS_OBJECT_OBSERVER));
    obs->imp = cs___ObjectObserverImpCreate();
    return obs;
}

extern "C" PB_EXPORT CS_OBJECT_OBSERVER* csObjectObserverCreateWithRequiredSort(PB_SORT* sort) {
    PB_ASSERT(sort);
    CS_OBJECT_OBSERVER* obs = csObjectObserverCreate();
    cs___ObjectObserverImpSetRequiredSort(obs->imp, sort);
    return obs;
}

extern "C" PB_EXPORT PB_SORT* csObjectObserverRequiredSort(CS_OBJECT_OBSERVER* obs) {
    return cs___ObjectObserverImpRequiredSort(impOf(obs));
}
extern "C" PB_EXPORT PB_BOOL csObjectObserverHasRequiredSort(CS_OBJECT_OBSERVER* obs) {
    return cs___ObjectObserverImpHasRequiredSort(impOf(obs));
}
extern "C" PB_EXPORT void csObjectObserverSetRequiredSort(CS_OBJECT_OBSERVER* obs, PB_SORT* sort) {
    cs___ObjectObserverImpSetRequiredSort(impOf(obs), sort);
}
extern "C" PB_EXPORT void csObjectObserverDelRequiredSort(CS_OBJECT_OBSERVER* obs) {
    cs___ObjectObserverImpDelRequiredSort(impOf(obs));
}

extern "C" PB_EXPORT PB_STRING* csObjectObserverObservedName(CS_OBJECT_OBSERVER* obs) {
    return cs___ObjectObserverImpObservedName(impOf(obs));
}
extern "C" PB_EXPORT PB_BOOL csObjectObserverHasObservedName(CS_OBJECT_OBSERVER* obs) {
    return cs___ObjectObserverImpHasObservedName(impOf(obs));
}
extern "C" PB_EXPORT void csObjectObserverSetObservedName(CS_OBJECT_OBSERVER* obs, PB_STRING* name) {
    cs___ObjectObserverImpSetObservedName(impOf(obs), name);
}
extern "C" PB_EXPORT void csObjectObserverDelObservedName(CS_OBJECT_OBSERVER* obs) {
    cs___ObjectObserverImpDelObservedName(impOf(obs));
}

extern "C" PB_EXPORT PB_OBJ* csObjectObserverFixedObject(CS_OBJECT_OBSERVER* obs) {
    return cs___ObjectObserverImpFixedObject(impOf(obs));
}
extern "C" PB_EXPORT PB_BOOL csObjectObserverHasFixedObject(CS_OBJECT_OBSERVER* obs) {
    return cs___ObjectObserverImpHasFixedObject(impOf(obs));
}
extern "C" PB_EXPORT void csObjectObserverSetFixedObject(CS_OBJECT_OBSERVER* obs, PB_OBJ* obj) {
    cs___ObjectObserverImpSetFixedObject(impOf(obs), obj);
}
extern "C" PB_EXPORT void csObjectObserverDelFixedObject(CS_OBJECT_OBSERVER* obs) {
    cs___ObjectObserverImpDelFixedObject(impOf(obs));
}

extern "C" PB_EXPORT void csObjectObserverConfigure(CS_OBJECT_OBSERVER* obs, PB_STRING* optionalName,
                                                    PB_OBJ* optionalFixedObject) {
    cs___ObjectObserverImpConfigure(impOf(obs), optionalName, optionalFixedObject);
}
extern "C" PB_EXPORT PB_BOOL csObjectObserverConfigured(CS_OBJECT_OBSERVER* obs) {
    return cs___ObjectObserverImpConfigured(impOf(obs));
}

extern "C" PB_EXPORT PB_OBJ* csObjectObserverObject(CS_OBJECT_OBSERVER* obs) {
    return cs___ObjectObserverImpObject(impOf(obs));
}
extern "C" PB_EXPORT PB_BOOL csObjectObserverHasObject(CS_OBJECT_OBSERVER* obs) {
    return cs___ObjectObserverImpHasObject(impOf(obs));
}
extern "C" PB_EXPORT CS_OBJECT_RECORD* csObjectObserverRecord(CS_OBJECT_OBSERVER* obs) {
    return cs___ObjectObserverImpRecord(impOf(obs));
}
extern "C" PB_EXPORT PB_BOOL csObjectObserverHasRecord(CS_OBJECT_OBSERVER* obs) {
    return cs___ObjectObserverImpHasRecord(impOf(obs));
}

extern "C" PB_EXPORT void csObjectObserverUpdateAddSignalable(CS_OBJECT_OBSERVER* obs, PB_SIGNALABLE* signalable) {
    cs___ObjectObserverImpUpdateAddSignalable(impOf(obs), signalable);
}
extern "C" PB_EXPORT void csObjectObserverUpdateDelSignalable(CS_OBJECT_OBSERVER* obs, PB_SIGNALABLE* signalable) {
    cs___ObjectObserverImpUpdateDelSignalable(impOf(obs), signalable);
}
