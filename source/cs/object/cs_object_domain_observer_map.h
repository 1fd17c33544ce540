/* Domain observer maps (CS_OBJECT_DOMAIN_OBSERVER_MAP): at most one object per sort.
 *
 * A domain observer (cs_object_domain_observer.h) describes what it found
 * as a map from sorts to objects. A map never changes: a change of the
 * observer makes a new map, so a holder may keep and read the one it has:
 *
 *     CS_OBJECT_DOMAIN_OBSERVER_MAP* map = csObjectDomainObserverMap( obs );
 *     PB_OBJ* object = csObjectDomainObserverMapObject( map, mySort );  // or NULL
 *     ...
 *     pbObjRelease( object );
 *     csObjectDomainObserverMapRelease( map );
 *
 * A map is made from two sets of objects, the fixed objects first and then
 * the observed ones, each in its dictionary's order; the first object of a
 * sort is entered for it and later ones of the same sort are passed over,
 * so a fixed object wins over an observed object of its sort. */
#ifndef CS_OBJECT_DOMAIN_OBSERVER_MAP_H
#define CS_OBJECT_DOMAIN_OBSERVER_MAP_H

#include "pb/pb_dict.h"

PB_BEGIN_DECLS

typedef struct CS_OBJECT_DOMAIN_OBSERVER_MAP CS_OBJECT_DOMAIN_OBSERVER_MAP;

extern PB_EXPORT PB_SORT cs___sort_CS_OBJECT_DOMAIN_OBSERVER_MAP;
PB_STDFUNCS_DECLARE(csObjectDomainObserverMap, CS_OBJECT_DOMAIN_OBSERVER_MAP);

/* The object entered for sort (not NULL), a new reference, or NULL. */
PB_EXPORT PB_OBJ* csObjectDomainObserverMapObject(CS_OBJECT_DOMAIN_OBSERVER_MAP* map, PB_SORT* sort);
PB_EXPORT PB_BOOL csObjectDomainObserverMapHasObject(CS_OBJECT_DOMAIN_OBSERVER_MAP* map, PB_SORT* sort);

/* A map of the fixed objects and then the observed objects (both
 * dictionaries object -> object, not NULL). For the domain observer. */
PB_EXPORT CS_OBJECT_DOMAIN_OBSERVER_MAP* cs___ObjectDomainObserverMapCreate(PB_DICT* observedObjects,
                                                                           PB_DICT* fixedObjects);

PB_END_DECLS

#endif
