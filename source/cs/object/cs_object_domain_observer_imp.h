/* The implementation object of the ObjectDomainObserver (CS___OBJECT_DOMAIN_OBSERVER_IMP).
 *
 * The object table hands every registered implementation its current
 * dictionary of records by name (a value: later changes of the table never
 * alter it) with cs___ObjectDomainObserverImpSetObjectTable, under the table's monitor.
 *
 * The implementation registers with the table when it is created (which
 * makes its first map) and unregisters when it is halted. Every new
 * dictionary and every change of its sets re-evaluates the objects found
 * under the observed names; when they or the fixed objects changed, it
 * makes a new map (cs_object_domain_observer_map.h) and asserts the update
 * signal. The public object (cs_object_domain_observer.h) forwards every
 * operation to the function of the same name here; the arguments are
 * checked here. */
#ifndef CS_OBJECT_DOMAIN_OBSERVER_IMP_H
#define CS_OBJECT_DOMAIN_OBSERVER_IMP_H

#include "cs/object/cs_object_domain_observer_map.h"
#include "pb/pb_dict.h"
#include "pb/pb_signalable.h"
#include "pb/pb_vector.h"

PB_BEGIN_DECLS

typedef struct CS___OBJECT_DOMAIN_OBSERVER_IMP CS___OBJECT_DOMAIN_OBSERVER_IMP;

extern PB_EXPORT PB_SORT cs___sort_CS___OBJECT_DOMAIN_OBSERVER_IMP;
PB_STDFUNCS_DECLARE(cs___ObjectDomainObserverImp, CS___OBJECT_DOMAIN_OBSERVER_IMP);

/* Called by the object table. Precondition: objectTable not NULL. */
PB_EXPORT void cs___ObjectDomainObserverImpSetObjectTable(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp, PB_DICT* objectTable);

/* A new implementation with empty sets and an empty map, registered with
 * the table. */
PB_EXPORT CS___OBJECT_DOMAIN_OBSERVER_IMP* cs___ObjectDomainObserverImpCreate(void);
/* Unregisters from the table; called once, by the public object's free
 * function. */
PB_EXPORT void cs___ObjectDomainObserverImpHalt(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp);

PB_EXPORT void cs___ObjectDomainObserverImpSetObservedName(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp, PB_STRING* name);
PB_EXPORT void cs___ObjectDomainObserverImpDelObservedName(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp, PB_STRING* name);
PB_EXPORT PB_BOOL cs___ObjectDomainObserverImpHasObservedName(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp,
                                                               PB_STRING* name);
PB_EXPORT void cs___ObjectDomainObserverImpClearObservedNames(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp);
PB_EXPORT PB_INT cs___ObjectDomainObserverImpObservedNamesLength(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp);
PB_EXPORT PB_STRING* cs___ObjectDomainObserverImpObservedNameAt(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp,
                                                                PB_INT index);
PB_EXPORT PB_VECTOR* cs___ObjectDomainObserverImpObservedNamesVector(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp);
PB_EXPORT void cs___ObjectDomainObserverImpSetObservedNamesVector(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp,
                                                                  PB_VECTOR* vec);

PB_EXPORT void cs___ObjectDomainObserverImpSetFixedObject(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp, PB_OBJ* obj);
PB_EXPORT void cs___ObjectDomainObserverImpDelFixedObject(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp, PB_OBJ* obj);
PB_EXPORT PB_BOOL cs___ObjectDomainObserverImpHasFixedObject(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp, PB_OBJ* obj);
PB_EXPORT void cs___ObjectDomainObserverImpClearFixedObjects(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp);
PB_EXPORT PB_INT cs___ObjectDomainObserverImpFixedObjectsLength(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp);
PB_EXPORT PB_OBJ* cs___ObjectDomainObserverImpFixedObjectAt(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp, PB_INT index);
PB_EXPORT PB_VECTOR* cs___ObjectDomainObserverImpFixedObjectsVector(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp);
PB_EXPORT void cs___ObjectDomainObserverImpSetFixedObjectsVector(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp,
                                                                 PB_VECTOR* vec);

PB_EXPORT void cs___ObjectDomainObserverImpConfigure(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp, PB_VECTOR* namesVector,
                                                     PB_VECTOR* fixedObjectsVector);

PB_EXPORT CS_OBJECT_DOMAIN_OBSERVER_MAP* cs___ObjectDomainObserverImpMap(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp);

PB_EXPORT void cs___ObjectDomainObserverImpUpdateAddSignalable(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp,
                                                               PB_SIGNALABLE* signalable);
PB_EXPORT void cs___ObjectDomainObserverImpUpdateDelSignalable(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp,
                                                               PB_SIGNALABLE* signalable);

PB_END_DECLS

#endif
