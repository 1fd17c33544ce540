/* Object records (CS_OBJECT_RECORD): one entry of the object table, binding
 * a unique name to one object.
 *
 *   name       string, required           csObjectRecordNameOk( name )
 *   object     object, required, never NULL
 *   visible    boolean, true
 *   protected  boolean, false             kept through an applied configuration
 *                                         that does not name the record
 *   trMark     boolean, false             the record's trace stream carries a
 *                                         trace mark kept across replacements
 *   comment    string, optional
 *   metaData   store, an empty store
 *
 * A name is valid exactly when it is a valid store address, so that every
 * name can be a key of the "objects" part of a configuration. Records are
 * values: setters take the address of the caller's handle and copy first
 * when another holder shares the record, so a record handed to the table
 * (cs_object_table.h) never changes under it:
 *
 *     CS_OBJECT_RECORD* rec = csObjectRecordCreate( name, object );
 *     csObjectRecordSetProtected( &rec, PB_TRUE );
 *     csObjectTableSet( rec );
 *     csObjectRecordSetComment( &rec, comment );   // copies: the table holds rec
 *     csObjectRecordRelease( rec );
 */
#ifndef CS_OBJECT_RECORD_H
#define CS_OBJECT_RECORD_H

#include "pb/pb_store.h"
#include "pb/pb_string.h"

PB_BEGIN_DECLS

typedef struct CS_OBJECT_RECORD CS_OBJECT_RECORD;

extern PB_EXPORT PB_SORT cs___sort_CS_OBJECT_RECORD;
PB_STDFUNCS_DECLARE(csObjectRecord, CS_OBJECT_RECORD);

/* Preconditions: csObjectRecordNameOk( name ); object not NULL. */
PB_EXPORT CS_OBJECT_RECORD* csObjectRecordCreate(PB_STRING* name, PB_OBJ* object);
/* A record named by csObjectRecordNameRandom. */
PB_EXPORT CS_OBJECT_RECORD* csObjectRecordCreateWithRandomName(PB_OBJ* object);
PB_EXPORT CS_OBJECT_RECORD* csObjectRecordCreateFrom(CS_OBJECT_RECORD* source);

/* Whether name may name a record (a valid store address; NULL is not). */
PB_EXPORT PB_BOOL csObjectRecordNameOk(PB_STRING* name);
/* A fresh unique name: the text form of a new identifier. */
PB_EXPORT PB_STRING* csObjectRecordNameRandom(void);

PB_EXPORT PB_STRING* csObjectRecordName(CS_OBJECT_RECORD* rec);
PB_EXPORT void csObjectRecordSetName(CS_OBJECT_RECORD** rec, PB_STRING* name);
PB_EXPORT void csObjectRecordSetNameRandom(CS_OBJECT_RECORD** rec);

PB_EXPORT PB_OBJ* csObjectRecordObject(CS_OBJECT_RECORD* rec);
PB_EXPORT void csObjectRecordSetObject(CS_OBJECT_RECORD** rec, PB_OBJ* object);
/* The sort of the record's object. */
PB_EXPORT PB_SORT* csObjectRecordObjectSort(CS_OBJECT_RECORD* rec);

PB_EXPORT PB_BOOL csObjectRecordVisible(CS_OBJECT_RECORD* rec);
PB_EXPORT void csObjectRecordSetVisible(CS_OBJECT_RECORD** rec, PB_BOOL visible);
PB_EXPORT PB_BOOL csObjectRecordProtected(CS_OBJECT_RECORD* rec);
PB_EXPORT void csObjectRecordSetProtected(CS_OBJECT_RECORD** rec, PB_BOOL isProtected);
PB_EXPORT PB_BOOL csObjectRecordTrMark(CS_OBJECT_RECORD* rec);
PB_EXPORT void csObjectRecordSetTrMark(CS_OBJECT_RECORD** rec, PB_BOOL trMark);

/* The comment, or NULL when absent. */
PB_EXPORT PB_STRING* csObjectRecordComment(CS_OBJECT_RECORD* rec);
PB_EXPORT PB_BOOL csObjectRecordHasComment(CS_OBJECT_RECORD* rec);
PB_EXPORT void csObjectRecordSetComment(CS_OBJECT_RECORD** rec, PB_STRING* comment);
PB_EXPORT void csObjectRecordDelComment(CS_OBJECT_RECORD** rec);

PB_EXPORT PB_STORE* csObjectRecordMetaData(CS_OBJECT_RECORD* rec);
PB_EXPORT void csObjectRecordSetMetaData(CS_OBJECT_RECORD** rec, PB_STORE* metaData);

PB_END_DECLS

#endif
