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

#include "cs/sort/cs_sort_record.h"

PB_BEGIN_DECLS

typedef struct CS_SORT_BACKEND CS_SORT_BACKEND;

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
