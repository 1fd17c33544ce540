/* The object table: the process's named objects.
 *
 * Each entry is an object record (cs_object_record.h) binding a unique name
 * to one object; a name and an object each appear in at most one record.
 * Setting a record replaces any record with the same name and any record
 * with the same object. Every change made outside an update bracket gives
 * every registered observer implementation the new dictionary of records by
 * name and asserts the table's update signal; inside a bracket
 * (cs___ObjectTableUpdateBegin/End, which nest) observers hear of the whole
 * batch once, when the outermost bracket ends. After halt the table is
 * empty and ignores csObjectTableSet.
 *
 * Lock order: the table's monitor before any observer's lock; observers
 * are told of changes while the monitor is held, the update signal is
 * asserted after it is left. */
#ifndef CS_OBJECT_TABLE_H
#define CS_OBJECT_TABLE_H

#include "cs/object/cs_object_domain_observer_imp.h"
#include "cs/object/cs_object_multi_observer_imp.h"
#include "cs/object/cs_object_observer_imp.h"
#include "cs/object/cs_object_record.h"
#include "pb/pb_signalable.h"
#include "pb/pb_vector.h"

PB_BEGIN_DECLS

PB_EXPORT void cs___ObjectTableStartup(void);
PB_EXPORT void cs___ObjectTableShutdown(void);
PB_EXPORT void cs___ObjectTableHalt(void);

PB_EXPORT void csObjectTableSet(CS_OBJECT_RECORD* record);
PB_EXPORT void csObjectTableDelByName(PB_STRING* name);
PB_EXPORT void csObjectTableDelByObject(PB_OBJ* object);

PB_EXPORT CS_OBJECT_RECORD* csObjectTableLookupRecordByName(PB_STRING* name);
PB_EXPORT CS_OBJECT_RECORD* csObjectTableLookupRecordByObject(PB_OBJ* object);
PB_EXPORT PB_OBJ* csObjectTableLookupObjectByName(PB_STRING* name);
PB_EXPORT PB_STRING* csObjectTableLookupNameByObject(PB_OBJ* object);
PB_EXPORT PB_OBJ* csObjectTableLookupObjectByNameAndSort(PB_STRING* name, PB_SORT* sort);

PB_EXPORT PB_VECTOR* csObjectTableRecordsVector(void);
PB_EXPORT PB_VECTOR* csObjectTableRecordsVectorBySort(PB_SORT* sort);

PB_EXPORT void csObjectTableUpdateAddSignalable(PB_SIGNALABLE* signalable);
PB_EXPORT void csObjectTableUpdateDelSignalable(PB_SIGNALABLE* signalable);

PB_EXPORT void cs___ObjectTableUpdateBegin(void);
PB_EXPORT void cs___ObjectTableUpdateEnd(void);

/* Observer implementations register at creation and unregister when
 * halted; registering hands the implementation the current dictionary. */
PB_EXPORT void cs___ObjectTableObjectObserverImpRegister(CS___OBJECT_OBSERVER_IMP* imp);
PB_EXPORT void cs___ObjectTableObjectObserverImpUnregister(CS___OBJECT_OBSERVER_IMP* imp);
PB_EXPORT void cs___ObjectTableObjectMultiObserverImpRegister(CS___OBJECT_MULTI_OBSERVER_IMP* imp);
PB_EXPORT void cs___ObjectTableObjectMultiObserverImpUnregister(CS___OBJECT_MULTI_OBSERVER_IMP* imp);
PB_EXPORT void cs___ObjectTableObjectDomainObserverImpRegister(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp);
PB_EXPORT void cs___ObjectTableObjectDomainObserverImpUnregister(CS___OBJECT_DOMAIN_OBSERVER_IMP* imp);

PB_END_DECLS

#endif
