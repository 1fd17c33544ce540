// Domain observers: the public object, forwarding to its implementation.
#include "cs/object/cs_object_domain_observer.h"

#include "cs/base/cs_module.h"
#include "cs/object/cs_object_domain_observer_imp.h"
#include "cs/object/cs_object_observer_sets.hpp"
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

extern "C" PB_EXPORT CS_OBJECT_DOMAIN_OBSERVER_MAP* csObjectDomainObserverMap(Obs* obs) {
    return cs___ObjectDomainObserverImpMap(impOf(obs));
}

CS___OBSERVED_SETS_PUBLIC_DEFINE(csObjectDomainObserver, CS_OBJECT_DOMAIN_OBSERVER, cs___ObjectDomainObserverImp)
