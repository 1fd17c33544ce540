/* The implementation object of the ObjectObserver (CS___OBJECT_OBSERVER_IMP).
 *
 * The object table hands every registered implementation its current
 * dictionary of records by name (a value: later changes of the table never
 * alter it) with cs___ObjectObserverImpSetObjectTable, under the table's monitor.
 *
 * The implementation registers with the table when it is created and
 * unregisters when it is halted; in between, every new dictionary and every
 * change of its settings re-evaluates which object (and, for an observed
 * name, which record) satisfies the settings, and asserts the update signal
 * when that pair changes. After halt it keeps its last object and record.
 * The public object (cs_object_observer.h) forwards every operation to the
 * function of the same name here; the arguments are checked here. */
#ifndef CS_OBJECT_OBSERVER_IMP_H
#define CS_OBJECT_OBSERVER_IMP_H

#include "pb/pb_dict.h"
#include "pb/pb_signalable.h"

PB_BEGIN_DECLS

typedef struct CS___OBJECT_OBSERVER_IMP CS___OBJECT_OBSERVER_IMP;
typedef struct CS_OBJECT_RECORD CS_OBJECT_RECORD;

extern PB_EXPORT PB_SORT cs___sort_CS___OBJECT_OBSERVER_IMP;
PB_STDFUNCS_DECLARE(cs___ObjectObserverImp, CS___OBJECT_OBSERVER_IMP);

/* Called by the object table. Precondition: objectTable not NULL. */
PB_EXPORT void cs___ObjectObserverImpSetObjectTable(CS___OBJECT_OBSERVER_IMP* imp, PB_DICT* objectTable);

/* A new implementation with nothing set, registered with the table. */
PB_EXPORT CS___OBJECT_OBSERVER_IMP* cs___ObjectObserverImpCreate(void);
/* Unregisters from the table; called once, by the public object's free
 * function. */
PB_EXPORT void cs___ObjectObserverImpHalt(CS___OBJECT_OBSERVER_IMP* imp);

PB_EXPORT PB_SORT* cs___ObjectObserverImpRequiredSort(CS___OBJECT_OBSERVER_IMP* imp);
PB_EXPORT PB_BOOL cs___ObjectObserverImpHasRequiredSort(CS___OBJECT_OBSERVER_IMP* imp);
PB_EXPORT void cs___ObjectObserverImpSetRequiredSort(CS___OBJECT_OBSERVER_IMP* imp, PB_SORT* sort);
PB_EXPORT void cs___ObjectObserverImpDelRequiredSort(CS___OBJECT_OBSERVER_IMP* imp);

PB_EXPORT PB_STRING* cs___ObjectObserverImpObservedName(CS___OBJECT_OBSERVER_IMP* imp);
PB_EXPORT PB_BOOL cs___ObjectObserverImpHasObservedName(CS___OBJECT_OBSERVER_IMP* imp);
/* Precondition: csObjectRecordNameOk( name ). */
PB_EXPORT void cs___ObjectObserverImpSetObservedName(CS___OBJECT_OBSERVER_IMP* imp, PB_STRING* name);
PB_EXPORT void cs___ObjectObserverImpDelObservedName(CS___OBJECT_OBSERVER_IMP* imp);

PB_EXPORT PB_OBJ* cs___ObjectObserverImpFixedObject(CS___OBJECT_OBSERVER_IMP* imp);
PB_EXPORT PB_BOOL cs___ObjectObserverImpHasFixedObject(CS___OBJECT_OBSERVER_IMP* imp);
PB_EXPORT void cs___ObjectObserverImpSetFixedObject(CS___OBJECT_OBSERVER_IMP* imp, PB_OBJ* obj);
PB_EXPORT void cs___ObjectObserverImpDelFixedObject(CS___OBJECT_OBSERVER_IMP* imp);

/* Sets the observed name and the fixed object together (NULL clears
 * either) and re-evaluates once. */
PB_EXPORT void cs___ObjectObserverImpConfigure(CS___OBJECT_OBSERVER_IMP* imp, PB_STRING* optionalName,
                                               PB_OBJ* optionalFixedObject);
PB_EXPORT PB_BOOL cs___ObjectObserverImpConfigured(CS___OBJECT_OBSERVER_IMP* imp);

PB_EXPORT PB_OBJ* cs___ObjectObserverImpObject(CS___OBJECT_OBSERVER_IMP* imp);
PB_EXPORT PB_BOOL cs___ObjectObserverImpHasObject(CS___OBJECT_OBSERVER_IMP* imp);
PB_EXPORT CS_OBJECT_RECORD* cs___ObjectObserverImpRecord(CS___OBJECT_OBSERVER_IMP* imp);
PB_EXPORT PB_BOOL cs___ObjectObserverImpHasRecord(CS___OBJECT_OBSERVER_IMP* imp);

PB_EXPORT void cs___ObjectObserverImpUpdateAddSignalable(CS___OBJECT_OBSERVER_IMP* imp, PB_SIGNALABLE* signalable);
PB_EXPORT void cs___ObjectObserverImpUpdateDelSignalable(CS___OBJECT_OBSERVER_IMP* imp, PB_SIGNALABLE* signalable);

PB_END_DECLS

#endif
