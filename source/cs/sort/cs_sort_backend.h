/* Sort backends: the registration handle of a configurable sort. Creating
 * one registers the sort's callbacks in the sort table; releasing the last
 * reference unregisters them.
 *
 *     CS_SORT_BACKEND* backend = csSortBackendCreate( mySort(), tryCreate,
 *         config, setConfig, normalizeConfig, status, traceCompleteAnchor,
 *         NULL );
 *     ...
 *     csSortBackendRelease( backend );   // unregistered
 *
 * A sort can be registered once at a time. */
#ifndef CS_SORT_BACKEND_H
#define CS_SORT_BACKEND_H

#include "pb/pb_store.h"
#include "tr/tr_anchor.h"

PB_BEGIN_DECLS

typedef struct CS_STATUS CS_STATUS;
typedef struct CS_SORT_BACKEND CS_SORT_BACKEND;

/* The callbacks of a sort. Every one may be NULL: an operation whose
 * callback is absent does nothing and gives NULL. Each gets the backend's
 * context (borrowed; NULL when none was given) and borrows every argument.
 * What a callback returns is a new reference that the module takes over
 * (or NULL). The flags `complete` (write values that are at their defaults
 * as well) and `includePrivateData` are passed on as 0 or 1.
 *
 * Callbacks are called with no lock of the sort table or the object table
 * held, so they may use both. When the configuration gathers or applies
 * (csConfigGather, csConfigSetConfig), config, setConfig and tryCreate run
 * with the configuration's lock held: they must not wait for another thread
 * that calls into the configuration. */

/* (context, config store or NULL, trace anchor or NULL) -> new object or NULL */
typedef PB_OBJ* (*CS_SORT_TRY_CREATE_FUNC)(PB_OBJ* context, PB_STORE* config, TR_ANCHOR* anchor);
/* (context, object, complete, includePrivateData) -> new store */
typedef PB_STORE* (*CS_SORT_CONFIG_FUNC)(PB_OBJ* context, PB_OBJ* object, PB_BOOL complete,
                                         PB_BOOL includePrivateData);
typedef void (*CS_SORT_SET_CONFIG_FUNC)(PB_OBJ* context, PB_OBJ* object, PB_STORE* config);
/* (context, config store, complete, includePrivateData) -> new store, or
 * NULL (read as an empty store) */
typedef PB_STORE* (*CS_SORT_NORMALIZE_CONFIG_FUNC)(PB_OBJ* context, PB_STORE* config, PB_BOOL complete,
                                                   PB_BOOL includePrivateData);
/* (context, object) -> new reference to the object's status, or NULL */
typedef CS_STATUS* (*CS_SORT_STATUS_FUNC)(PB_OBJ* context, PB_OBJ* object);
/* Adds the object's complete trace to anchor (borrowed). */
typedef void (*CS_SORT_TRACE_COMPLETE_ANCHOR_FUNC)(PB_OBJ* context, PB_OBJ* object, TR_ANCHOR* anchor);

extern PB_EXPORT PB_SORT cs___sort_CS_SORT_BACKEND;
PB_STDFUNCS_DECLARE(csSortBackend, CS_SORT_BACKEND);

PB_EXPORT CS_SORT_BACKEND* csSortBackendCreate(PB_SORT* sort, CS_SORT_TRY_CREATE_FUNC tryCreate,
                                               CS_SORT_CONFIG_FUNC config, CS_SORT_SET_CONFIG_FUNC setConfig,
                                               CS_SORT_NORMALIZE_CONFIG_FUNC normalizeConfig,
                                               CS_SORT_STATUS_FUNC status,
                                               CS_SORT_TRACE_COMPLETE_ANCHOR_FUNC traceCompleteAnchor,
                                               PB_OBJ* context);

PB_END_DECLS

#endif
