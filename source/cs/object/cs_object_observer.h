/* Object observers (CS_OBJECT_OBSERVER): follow one object of the object table.
 *
 * An observer follows either the object registered under an observed name,
 * whatever object that name stands for from moment to moment, or a fixed
 * object given directly (a fixed object wins: while one is set, the name is
 * not looked up). With a required sort it only accepts an object of that
 * sort. It gives the object that currently satisfies its settings and, for
 * a name, the object record it was found in; objects registered later,
 * replaced or removed are picked up without any call from the user, and
 * each change of the pair (object, record) asserts the update signal once:
 *
 *     CS_OBJECT_OBSERVER* obs = csObjectObserverCreateWithRequiredSort( mySort );
 *     csObjectObserverSetObservedName( obs, name );
 *     csObjectObserverUpdateAddSignalable( obs, signalable );  // hear the next change
 *     PB_OBJ* object = csObjectObserverObject( obs );          // NULL: nothing satisfies
 *     ... notified: release object, take it again, add the signalable again ...
 *     csObjectObserverRelease( obs );                          // stops observing
 *
 * Changes made inside an update of the object table reach the observer once,
 * when the outermost update ends. A name that is not in the table, or an
 * object of another sort than the required one, is no error: the observer
 * then has no object. Names must pass csObjectRecordNameOk.
 *
 * Every function may be called from any thread. The update signal is
 * asserted on the thread that made the change, while the observer's own
 * lock is held and, when the change came from the object table, the
 * table's lock as well (and, during csConfigSetConfig, the
 * configuration's). A plain callback on it may read this observer, add
 * itself again, look the table up and change other observers' settings;
 * it must not wait for another thread that takes any of those locks (one
 * that changes or reads the object table, or this observer), nor drop the
 * last reference to an object whose free function does. Longer work
 * belongs to a process that the callback schedules. */
#ifndef CS_OBJECT_OBSERVER_H
#define CS_OBJECT_OBSERVER_H

#include "pb/pb_signalable.h"
#include "pb/pb_string.h"

PB_BEGIN_DECLS

typedef struct CS_OBJECT_OBSERVER CS_OBJECT_OBSERVER;
typedef struct CS_OBJECT_RECORD CS_OBJECT_RECORD;

extern PB_EXPORT PB_SORT cs___sort_CS_OBJECT_OBSERVER;
PB_STDFUNCS_DECLARE(csObjectObserver, CS_OBJECT_OBSERVER);

/* A new observer with nothing set. */
PB_EXPORT CS_OBJECT_OBSERVER* csObjectObserverCreate(void);
/* A new observer that only accepts objects of sort (not NULL). */
PB_EXPORT CS_OBJECT_OBSERVER* csObjectObserverCreateWithRequiredSort(PB_SORT* sort);

PB_EXPORT PB_SORT* csObjectObserverRequiredSort(CS_OBJECT_OBSERVER* obs);
PB_EXPORT PB_BOOL csObjectObserverHasRequiredSort(CS_OBJECT_OBSERVER* obs);
PB_EXPORT void csObjectObserverSetRequiredSort(CS_OBJECT_OBSERVER* obs, PB_SORT* sort);
PB_EXPORT void csObjectObserverDelRequiredSort(CS_OBJECT_OBSERVER* obs);

PB_EXPORT PB_STRING* csObjectObserverObservedName(CS_OBJECT_OBSERVER* obs);
PB_EXPORT PB_BOOL csObjectObserverHasObservedName(CS_OBJECT_OBSERVER* obs);
PB_EXPORT void csObjectObserverSetObservedName(CS_OBJECT_OBSERVER* obs, PB_STRING* name);
PB_EXPORT void csObjectObserverDelObservedName(CS_OBJECT_OBSERVER* obs);

PB_EXPORT PB_OBJ* csObjectObserverFixedObject(CS_OBJECT_OBSERVER* obs);
PB_EXPORT PB_BOOL csObjectObserverHasFixedObject(CS_OBJECT_OBSERVER* obs);
PB_EXPORT void csObjectObserverSetFixedObject(CS_OBJECT_OBSERVER* obs, PB_OBJ* obj);
PB_EXPORT void csObjectObserverDelFixedObject(CS_OBJECT_OBSERVER* obs);

/* Sets the observed name and the fixed object in one step (NULL clears
 * either one) and re-evaluates once. */
PB_EXPORT void csObjectObserverConfigure(CS_OBJECT_OBSERVER* obs, PB_STRING* optionalName,
                                         PB_OBJ* optionalFixedObject);
/* True when an observed name or a fixed object is set. */
PB_EXPORT PB_BOOL csObjectObserverConfigured(CS_OBJECT_OBSERVER* obs);

/* The object that satisfies the settings now, and the record it was found
 * in (never one for a fixed object); new references or NULL. */
PB_EXPORT PB_OBJ* csObjectObserverObject(CS_OBJECT_OBSERVER* obs);
PB_EXPORT PB_BOOL csObjectObserverHasObject(CS_OBJECT_OBSERVER* obs);
PB_EXPORT CS_OBJECT_RECORD* csObjectObserverRecord(CS_OBJECT_OBSERVER* obs);
PB_EXPORT PB_BOOL csObjectObserverHasRecord(CS_OBJECT_OBSERVER* obs);

/* A signalable added here is notified once, at the next change of the
 * object or record. */
PB_EXPORT void csObjectObserverUpdateAddSignalable(CS_OBJECT_OBSERVER* obs, PB_SIGNALABLE* signalable);
PB_EXPORT void csObjectObserverUpdateDelSignalable(CS_OBJECT_OBSERVER* obs, PB_SIGNALABLE* signalable);

PB_END_DECLS

#endif
