/* Multi observers (CS_OBJECT_MULTI_OBSERVER): follow many objects of the object table.
 *
 * A multi observer keeps a set of observed names and a set of fixed
 * objects. Its result is the set of the fixed objects and of the objects
 * registered under the observed names, restricted to one required sort
 * when one is set; an object that is both fixed and found by name is in it
 * once. Objects registered later, replaced or removed are picked up without
 * any call from the user, and every change of the result asserts the
 * update signal once:
 *
 *     CS_OBJECT_MULTI_OBSERVER* obs = csObjectMultiObserverCreate();
 *     csObjectMultiObserverSetObservedName( obs, nameA );
 *     csObjectMultiObserverSetFixedObject( obs, someObject );
 *     csObjectMultiObserverUpdateAddSignalable( obs, signalable );
 *     PB_VECTOR* objects = csObjectMultiObserverObjectsVector( obs );
 *     ... notified: read the result again, add the signalable again ...
 *     csObjectMultiObserverRelease( obs );                   // stops observing
 *
 * csObjectMultiObserverSetObservedName takes any name; the names of
 * csObjectMultiObserverSetObservedNamesVector and ...Configure must be
 * strings that pass csObjectRecordNameOk. Positions of the sets follow the
 * order of their dictionaries (names by code point, objects by
 * pbObjCompare). Configure replaces the names and then the fixed objects,
 * re-evaluating after each step, so it may assert the signal twice.
 *
 * Every function may be called from any thread; the update signal is
 * asserted as for object observers (cs_object_observer.h): under the
 * observer's lock and, when the object table notifies, the table's, so a
 * plain callback may read and re-add but must not wait for another thread
 * that takes either lock. */
#ifndef CS_OBJECT_MULTI_OBSERVER_H
#define CS_OBJECT_MULTI_OBSERVER_H

#include "pb/pb_dict.h"
#include "pb/pb_signalable.h"
#include "pb/pb_string.h"
#include "pb/pb_vector.h"

PB_BEGIN_DECLS

typedef struct CS_OBJECT_MULTI_OBSERVER CS_OBJECT_MULTI_OBSERVER;

extern PB_EXPORT PB_SORT cs___sort_CS_OBJECT_MULTI_OBSERVER;
PB_STDFUNCS_DECLARE(csObjectMultiObserver, CS_OBJECT_MULTI_OBSERVER);

/* A new observer with empty sets and an empty result. */
PB_EXPORT CS_OBJECT_MULTI_OBSERVER* csObjectMultiObserverCreate(void);
/* A new observer whose result holds only objects of sort (not NULL). */
PB_EXPORT CS_OBJECT_MULTI_OBSERVER* csObjectMultiObserverCreateWithRequiredSort(PB_SORT* sort);

PB_EXPORT PB_SORT* csObjectMultiObserverRequiredSort(CS_OBJECT_MULTI_OBSERVER* obs);
PB_EXPORT PB_BOOL csObjectMultiObserverHasRequiredSort(CS_OBJECT_MULTI_OBSERVER* obs);
PB_EXPORT void csObjectMultiObserverSetRequiredSort(CS_OBJECT_MULTI_OBSERVER* obs, PB_SORT* sort);
PB_EXPORT void csObjectMultiObserverDelRequiredSort(CS_OBJECT_MULTI_OBSERVER* obs);

PB_EXPORT void csObjectMultiObserverSetObservedName(CS_OBJECT_MULTI_OBSERVER* obs, PB_STRING* name);
PB_EXPORT void csObjectMultiObserverDelObservedName(CS_OBJECT_MULTI_OBSERVER* obs, PB_STRING* name);
PB_EXPORT PB_BOOL csObjectMultiObserverHasObservedName(CS_OBJECT_MULTI_OBSERVER* obs, PB_STRING* name);
PB_EXPORT void csObjectMultiObserverClearObservedNames(CS_OBJECT_MULTI_OBSERVER* obs);
PB_EXPORT PB_INT csObjectMultiObserverObservedNamesLength(CS_OBJECT_MULTI_OBSERVER* obs);
PB_EXPORT PB_STRING* csObjectMultiObserverObservedNameAt(CS_OBJECT_MULTI_OBSERVER* obs, PB_INT index);
PB_EXPORT PB_VECTOR* csObjectMultiObserverObservedNamesVector(CS_OBJECT_MULTI_OBSERVER* obs);
/* Replaces the observed names with the strings in vec (not NULL). */
PB_EXPORT void csObjectMultiObserverSetObservedNamesVector(CS_OBJECT_MULTI_OBSERVER* obs, PB_VECTOR* vec);

PB_EXPORT void csObjectMultiObserverSetFixedObject(CS_OBJECT_MULTI_OBSERVER* obs, PB_OBJ* obj);
PB_EXPORT void csObjectMultiObserverDelFixedObject(CS_OBJECT_MULTI_OBSERVER* obs, PB_OBJ* obj);
PB_EXPORT PB_BOOL csObjectMultiObserverHasFixedObject(CS_OBJECT_MULTI_OBSERVER* obs, PB_OBJ* obj);
PB_EXPORT void csObjectMultiObserverClearFixedObjects(CS_OBJECT_MULTI_OBSERVER* obs);
PB_EXPORT PB_INT csObjectMultiObserverFixedObjectsLength(CS_OBJECT_MULTI_OBSERVER* obs);
PB_EXPORT PB_OBJ* csObjectMultiObserverFixedObjectAt(CS_OBJECT_MULTI_OBSERVER* obs, PB_INT index);
PB_EXPORT PB_VECTOR* csObjectMultiObserverFixedObjectsVector(CS_OBJECT_MULTI_OBSERVER* obs);
/* Replaces the fixed objects with the objects in vec (not NULL). */
PB_EXPORT void csObjectMultiObserverSetFixedObjectsVector(CS_OBJECT_MULTI_OBSERVER* obs, PB_VECTOR* vec);

/* Replaces both sets; NULL empties a set. */
PB_EXPORT void csObjectMultiObserverConfigure(CS_OBJECT_MULTI_OBSERVER* obs, PB_VECTOR* namesVector,
                                              PB_VECTOR* fixedObjectsVector);

/* The current result as a dictionary (object -> object), a value that
 * later changes never alter, and as a vector in the same order. */
PB_EXPORT PB_DICT* csObjectMultiObserverObjectsDict(CS_OBJECT_MULTI_OBSERVER* obs);
PB_EXPORT PB_VECTOR* csObjectMultiObserverObjectsVector(CS_OBJECT_MULTI_OBSERVER* obs);

/* A signalable added here is notified once, at the next change of the
 * result. */
PB_EXPORT void csObjectMultiObserverUpdateAddSignalable(CS_OBJECT_MULTI_OBSERVER* obs, PB_SIGNALABLE* signalable);
PB_EXPORT void csObjectMultiObserverUpdateDelSignalable(CS_OBJECT_MULTI_OBSERVER* obs, PB_SIGNALABLE* signalable);

PB_END_DECLS

#endif
