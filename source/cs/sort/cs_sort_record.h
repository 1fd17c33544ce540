/* Sort records: the callbacks through which the module reaches the objects
 * of one configurable sort, and the context they are called with.
 *
 * The callbacks and their contract are those of the sort backend
 * (cs_sort_backend.h). Records are set once at creation and shared
 * read-only. */
#ifndef CS_SORT_RECORD_H
#define CS_SORT_RECORD_H

#include "cs/sort/cs_sort_backend.h"

PB_BEGIN_DECLS

typedef struct CS___SORT_RECORD CS___SORT_RECORD;

extern PB_EXPORT PB_SORT cs___sort_CS___SORT_RECORD;
PB_STDFUNCS_DECLARE(cs___SortRecord, CS___SORT_RECORD);

/* Precondition: sort not NULL. The context is retained when given. */
PB_EXPORT CS___SORT_RECORD* cs___SortRecordCreate(PB_SORT* sort, CS_SORT_TRY_CREATE_FUNC tryCreate,
                                                  CS_SORT_CONFIG_FUNC config, CS_SORT_SET_CONFIG_FUNC setConfig,
                                                  CS_SORT_NORMALIZE_CONFIG_FUNC normalizeConfig,
                                                  CS_SORT_STATUS_FUNC status,
                                                  CS_SORT_TRACE_COMPLETE_ANCHOR_FUNC traceCompleteAnchor,
                                                  PB_OBJ* context);
PB_EXPORT PB_SORT* cs___SortRecordPbSort(CS___SORT_RECORD* rec);

PB_EXPORT PB_OBJ* cs___SortRecordTryCreate(CS___SORT_RECORD* rec, PB_STORE* config, TR_ANCHOR* anchor);
/* The operations on an object require an object of the record's sort. */
PB_EXPORT PB_STORE* cs___SortRecordConfig(CS___SORT_RECORD* rec, PB_OBJ* object, PB_BOOL complete,
                                          PB_BOOL includePrivateData);
PB_EXPORT void cs___SortRecordSetConfig(CS___SORT_RECORD* rec, PB_OBJ* object, PB_STORE* config);
PB_EXPORT CS_STATUS* cs___SortRecordStatus(CS___SORT_RECORD* rec, PB_OBJ* object);
PB_EXPORT void cs___SortRecordTraceCompleteAnchor(CS___SORT_RECORD* rec, PB_OBJ* object, TR_ANCHOR* anchor);
PB_EXPORT PB_STORE* cs___SortRecordNormalizeConfig(CS___SORT_RECORD* rec, PB_STORE* config, PB_BOOL complete,
                                                   PB_BOOL includePrivateData);

PB_END_DECLS

#endif
