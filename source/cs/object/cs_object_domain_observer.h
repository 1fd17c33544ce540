/* Domain observers (CS_OBJECT_DOMAIN_OBSERVER): one object of each sort.
 *
 * A domain observer keeps a set of observed names and a set of fixed
 * objects, like a multi observer (cs_object_multi_observer.h), but gives a
 * map with at most one object per sort (cs_object_domain_observer_map.h):
 * a fixed object wins over an object found by name, and within each group
 * the object that comes first in its set's order wins. Objects registered
 * later, replaced or removed are picked up without any call from the user;
 * every change makes a new map and asserts the update signal once. A map
 * never changes, so a holder may keep the one it has:
 *
 *     CS_OBJECT_DOMAIN_OBSERVER* obs = csObjectDomainObserverCreate();
 *     csObjectDomainObserverSetObservedName( obs, name );
 *     csObjectDomainObserverUpdateAddSignalable( obs, signalable );
 *     CS_OBJECT_DOMAIN_OBSERVER_MAP* map = csObjectDomainObserverMap( obs );
 *     PB_OBJ* object = csObjectDomainObserverMapObject( map, mySort );
 *     ... notified: take the map again, add the signalable again ...
 *     csObjectDomainObserverRelease( obs );                  // stops observing
 *
 * A new observer has a map without entries. The names of
 * csObjectDomainObserverSetObservedNamesVector and ...Configure must be
 * strings that pass csObjectRecordNameOk; csObjectDomainObserverSetObservedName
 * takes any name. Configure replaces the names and then the fixed objects,
 * re-evaluating after each step, so it may assert the signal twice.
 *
 * Every function may be called from any thread; the update signal is
 * asserted as for object observers (cs_object_observer.h): under the
 * observer's lock and, when the object table notifies, the table's, so a
 * plain callback may read and re-add but must not wait for another thread
 * that takes either lock. */
#ifndef CS_OBJECT_DOMAIN_OBSERVER_H
#define CS_OBJECT_DOMAIN_OBSERVER_H

#include "cs/object/cs_object_domain_observer_map.h"
#include "pb/pb_signalable.h"
#include "pb/pb_string.h"
#include "pb/pb_vector.h"

PB_BEGIN_DECLS

typedef struct CS_OBJECT_DOMAIN_OBSERVER CS_OBJECT_DOMAIN_OBSERVER;

extern PB_EXPORT PB_SORT cs___sort_CS_OBJECT_DOMAIN_OBSERVER;
PB_STDFUNCS_DECLARE(csObjectDomainObserver, CS_OBJECT_DOMAIN_OBSERVER);

/* A new observer with empty sets and a map without entries. */
PB_EXPORT CS_OBJECT_DOMAIN_OBSERVER* csObjectDomainObserverCreate(void);

PB_EXPORT void csObjectDomainObserverSetObservedName(CS_OBJECT_DOMAIN_OBSERVER* obs, PB_STRING* name);
PB_EXPORT void csObjectDomainObserverDelObservedName(CS_OBJECT_DOMAIN_OBSERVER* obs, PB_STRING* name);
PB_EXPORT PB_BOOL csObjectDomainObserverHasObservedName(CS_OBJECT_DOMAIN_OBSERVER* obs, PB_STRING* name);
PB_EXPORT void csObjectDomainObserverClearObservedNames(CS_OBJECT_DOMAIN_OBSERVER* obs);
PB_EXPORT PB_INT csObjectDomainObserverObservedNamesLength(CS_OBJECT_DOMAIN_OBSERVER* obs);
PB_EXPORT PB_STRING* csObjectDomainObserverObservedNameAt(CS_OBJECT_DOMAIN_OBSERVER* obs, PB_INT index);
PB_EXPORT PB_VECTOR* csObjectDomainObserverObservedNamesVector(CS_OBJECT_DOMAIN_OBSERVER* obs);
/* Replaces the observed names with the strings in vec (not NULL). */
PB_EXPORT void csObjectDomainObserverSetObservedNamesVector(CS_OBJECT_DOMAIN_OBSERVER* obs, PB_VECTOR* vec);

PB_EXPORT void csObjectDomainObserverSetFixedObject(CS_OBJECT_DOMAIN_OBSERVER* obs, PB_OBJ* obj);
PB_EXPORT void csObjectDomainObserverDelFixedObject(CS_OBJECT_DOMAIN_OBSERVER* obs, PB_OBJ* obj);
PB_EXPORT PB_BOOL csObjectDomainObserverHasFixedObject(CS_OBJECT_DOMAIN_OBSERVER* obs, PB_OBJ* obj);
PB_EXPORT void csObjectDomainObserverClearFixedObjects(CS_OBJECT_DOMAIN_OBSERVER* obs);
PB_EXPORT PB_INT csObjectDomainObserverFixedObjectsLength(CS_OBJECT_DOMAIN_OBSERVER* obs);
PB_EXPORT PB_OBJ* csObjectDomainObserverFixedObjectAt(CS_OBJECT_DOMAIN_OBSERVER* obs, PB_INT index);
PB_EXPORT PB_VECTOR* csObjectDomainObserverFixedObjectsVector(CS_OBJECT_DOMAIN_OBSERVER* obs);
/* Replaces the fixed objects with the objects in vec (not NULL). */
PB_EXPORT void csObjectDomainObserverSetFixedObjectsVector(CS_OBJECT_DOMAIN_OBSERVER* obs, PB_VECTOR* vec);

/* Replaces both sets; NULL empties a set. */
PB_EXPORT void csObjectDomainObserverConfigure(CS_OBJECT_DOMAIN_OBSERVER* obs, PB_VECTOR* namesVector,
                                               PB_VECTOR* fixedObjectsVector);

/* The current map, a new reference; never NULL. */
PB_EXPORT CS_OBJECT_DOMAIN_OBSERVER_MAP* csObjectDomainObserverMap(CS_OBJECT_DOMAIN_OBSERVER* obs);

/* A signalable added here is notified once, at the next new map. */
PB_EXPORT void csObjectDomainObserverUpdateAddSignalable(CS_OBJECT_DOMAIN_OBSERVER* obs, PB_SIGNALABLE* signalable);
PB_EXPORT void csObjectDomainObserverUpdateDelSignalable(CS_OBJECT_DOMAIN_OBSERVER* obs, PB_SIGNALABLE* signalable);

PB_END_DECLS

#endif
