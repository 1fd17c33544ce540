/* Objects by sort: creating an object, and reaching its configuration,
 * status and trace, through the sort backend registered for its sort
 * (cs_sort_backend.h).
 *
 * Any object may be passed; an object whose sort is not registered, or
 * whose sort registered no such callback, gives the neutral answer (an
 * empty store, NULL, nothing):
 *
 *     PB_OBJ* obj = csObjectTryCreateBySortName( sortName, config, NULL );
 *     if ( obj ) {
 *         PB_STORE* now = csObjectConfig( obj, PB_FALSE, PB_FALSE );
 *         csObjectSetConfig( obj, changed );
 *     }
 *
 * cs___ObjectCreateWithFallback never fails: a sort that cannot make the
 * object is stood in for by a wrapped object (cs_wrapped.h) holding the
 * sort name and configuration, and a wrapped object of the fallback mode
 * is unwrapped when its inner sort can make the object. */
#ifndef CS_OBJECT_H
#define CS_OBJECT_H

#include "cs/object/cs_object_record.h"
#include "pb/pb_store.h"
#include "tr/tr_anchor.h"

PB_BEGIN_DECLS

typedef struct CS_STATUS CS_STATUS;

/* A new object of the registered sort, or NULL (sort not registered, no
 * tryCreate callback, or the callback made nothing). config and anchor may
 * be NULL. The sort name must be an upper-case name. */
PB_EXPORT PB_OBJ* csObjectTryCreateBySort(PB_SORT* sort, PB_STORE* config, TR_ANCHOR* anchor);
PB_EXPORT PB_OBJ* csObjectTryCreateBySortName(PB_STRING* sortName, PB_STORE* config, TR_ANCHOR* anchor);

/* The object's configuration; never NULL (an empty store when its sort
 * cannot tell). Precondition: object not NULL. */
PB_EXPORT PB_STORE* csObjectConfig(PB_OBJ* object, PB_BOOL complete, PB_BOOL includePrivateData);
/* Preconditions: object and config not NULL. */
PB_EXPORT void csObjectSetConfig(PB_OBJ* object, PB_STORE* config);
/* The object's status, or NULL. */
PB_EXPORT CS_STATUS* csObjectStatus(PB_OBJ* object);
/* Completes anchor with the object's trace stream, when its sort can. */
PB_EXPORT void csObjectTraceCompleteAnchor(PB_OBJ* object, TR_ANCHOR* anchor);

/* A new object, never NULL. Precondition: an upper-case sort name. */
PB_EXPORT PB_OBJ* cs___ObjectCreateWithFallback(PB_STRING* sortName, PB_STORE* config);
/* A new trace stream "CS_OBJECT_RECORD" describing rec, linked from anchor
 * when one is given and carrying mark as its explicit mark when one is
 * given; the object's own trace is linked below it. */
PB_EXPORT TR_STREAM* cs___ObjectRecordTrace(CS_OBJECT_RECORD* rec, TR_ANCHOR* anchor, TR_MARK* mark);

PB_END_DECLS

#endif
