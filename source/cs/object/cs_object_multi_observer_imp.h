/* The implementation object of the ObjectMultiObserver (CS___OBJECT_MULTI_OBSERVER_IMP).
 *
 * The object table hands every registered implementation its current
 * dictionary of records by name (a value: later changes of the table never
 * alter it) with cs___ObjectMultiObserverImpSetObjectTable, under the table's monitor.
 *
 * The implementation registers with the table when it is created and
 * unregisters when it is halted. Every new dictionary and every change of
 * its sets or its required sort re-evaluates the result (the fixed objects
 * and the objects found under the observed names, of the required sort
 * when one is set) and asserts the update signal when the result changes.
 * The public object (cs_object_multi_observer.h) forwards every operation
 * to the function of the same name here; the arguments are checked here. */
#ifndef CS_OBJECT_MULTI_OBSERVER_IMP_H
#define CS_OBJECT_MULTI_OBSERVER_IMP_H

#include "pb/pb_dict.h"
#include "pb/pb_signalable.h"
#include "pb/pb_vector.h"

PB_BEGIN_DECLS

typedef struct CS___OBJECT_MULTI_OBSERVER_IMP CS___OBJECT_MULTI_OBSERVER_IMP;

extern PB_EXPORT PB_SORT cs___sort_CS___OBJECT_MULTI_OBSERVER_IMP;
PB_STDFUNCS_DECLARE(cs___ObjectMultiObserverImp, CS___OBJECT_MULTI_OBSERVER_IMP);

/* Called by the object table. Precondition: objectTable not NULL. */
PB_EXPORT void cs___ObjectMultiObserverImpSetObjectTable(CS___OBJECT_MULTI_OBSERVER_IMP* imp, PB_DICT* objectTable);

/* A new implementation with empty sets, registered with the table. */
PB_EXPORT CS___OBJECT_MULTI_OBSERVER_IMP* cs___ObjectMultiObserverImpCreate(void);
/* Unregisters from the table; called once, by the public object's free
 * function. */
PB_EXPORT void cs___ObjectMultiObserverImpHalt(CS___OBJECT_MULTI_OBSERVER_IMP* imp);

PB_EXPORT PB_SORT* cs___ObjectMultiObserverImpRequiredSort(CS___OBJECT_MULTI_OBSERVER_IMP* imp);
PB_EXPORT PB_BOOL cs___ObjectMultiObserverImpHasRequiredSort(CS___OBJECT_MULTI_OBSERVER_IMP* imp);
PB_EXPORT void cs___ObjectMultiObserverImpSetRequiredSort(CS___OBJECT_MULTI_OBSERVER_IMP* imp, PB_SORT* sort);
PB_EXPORT void cs___ObjectMultiObserverImpDelRequiredSort(CS___OBJECT_MULTI_OBSERVER_IMP* imp);

PB_EXPORT void cs___ObjectMultiObserverImpSetObservedName(CS___OBJECT_MULTI_OBSERVER_IMP* imp, PB_STRING* name);
PB_EXPORT void cs___ObjectMultiObserverImpDelObservedName(CS___OBJECT_MULTI_OBSERVER_IMP* imp, PB_STRING* name);
PB_EXPORT PB_BOOL cs___ObjectMultiObserverImpHasObservedName(CS___OBJECT_MULTI_OBSERVER_IMP* imp, PB_STRING* name);
PB_EXPORT void cs___ObjectMultiObserverImpClearObservedNames(CS___OBJECT_MULTI_OBSERVER_IMP* imp);
PB_EXPORT PB_INT cs___ObjectMultiObserverImpObservedNamesLength(CS___OBJECT_MULTI_OBSERVER_IMP* imp);
PB_EXPORT PB_STRING* cs___ObjectMultiObserverImpObservedNameAt(CS___OBJECT_MULTI_OBSERVER_IMP* imp, PB_INT index);
PB_EXPORT PB_VECTOR* cs___ObjectMultiObserverImpObservedNamesVector(CS___OBJECT_MULTI_OBSERVER_IMP* imp);
PB_EXPORT void cs___ObjectMultiObserverImpSetObservedNamesVector(CS___OBJECT_MULTI_OBSERVER_IMP* imp,
                                                                 PB_VECTOR* vec);

PB_EXPORT void cs___ObjectMultiObserverImpSetFixedObject(CS___OBJECT_MULTI_OBSERVER_IMP* imp, PB_OBJ* obj);
PB_EXPORT void cs___ObjectMultiObserverImpDelFixedObject(CS___OBJECT_MULTI_OBSERVER_IMP* imp, PB_OBJ* obj);
PB_EXPORT PB_BOOL cs___ObjectMultiObserverImpHasFixedObject(CS___OBJECT_MULTI_OBSERVER_IMP* imp, PB_OBJ* obj);
PB_EXPORT void cs___ObjectMultiObserverImpClearFixedObjects(CS___OBJECT_MULTI_OBSERVER_IMP* imp);
PB_EXPORT PB_INT cs___ObjectMultiObserverImpFixedObjectsLength(CS___OBJECT_MULTI_OBSERVER_IMP* imp);
PB_EXPORT PB_OBJ* cs___ObjectMultiObserverImpFixedObjectAt(CS___OBJECT_MULTI_OBSERVER_IMP* imp, PB_INT index);
PB_EXPORT PB_VECTOR* cs___ObjectMultiObserverImpFixedObjectsVector(CS___OBJECT_MULTI_OBSERVER_IMP* imp);
PB_EXPORT void cs___ObjectMultiObserverImpSetFixedObjectsVector(CS___OBJECT_MULTI_OBSERVER_IMP* imp,
                                                                PB_VECTOR* vec);

PB_EXPORT void cs___ObjectMultiObserverImpConfigure(CS___OBJECT_MULTI_OBSERVER_IMP* imp, PB_VECTOR* namesVector,
                                                    PB_VECTOR* fixedObjectsVector);

PB_EXPORT PB_DICT* cs___ObjectMultiObserverImpObjectsDict(CS___OBJECT_MULTI_OBSERVER_IMP* imp);
PB_EXPORT PB_VECTOR* cs___ObjectMultiObserverImpObjectsVector(CS___OBJECT_MULTI_OBSERVER_IMP* imp);

PB_EXPORT void cs___ObjectMultiObserverImpUpdateAddSignalable(CS___OBJECT_MULTI_OBSERVER_IMP* imp,
                                                              PB_SIGNALABLE* signalable);
PB_EXPORT void cs___ObjectMultiObserverImpUpdateDelSignalable(CS___OBJECT_MULTI_OBSERVER_IMP* imp,
                                                              PB_SIGNALABLE* signalable);

PB_END_DECLS

#endif
