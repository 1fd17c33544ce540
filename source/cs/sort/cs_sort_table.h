/* The sort table: the registered configurable sorts by name.
 *
 * Sort backends add and remove their records; the object functions and the
 * configuration look records up by sort or sort name and call their
 * callbacks after the table's monitor is left. Listings follow the
 * dictionary's order (sort names in code point order). */
#ifndef CS_SORT_TABLE_H
#define CS_SORT_TABLE_H

#include "cs/sort/cs_sort_record.h"
#include "pb/pb_vector.h"

PB_BEGIN_DECLS

PB_EXPORT void cs___SortTableStartup(void);
PB_EXPORT void cs___SortTableShutdown(void);

/* Precondition: the sort's name is not registered yet. */
PB_EXPORT void cs___SortTableAddRecord(CS___SORT_RECORD* rec);
/* Precondition: rec is the record registered under its sort's name. */
PB_EXPORT void cs___SortTableDelRecord(CS___SORT_RECORD* rec);
/* The record, retained, or NULL. */
PB_EXPORT CS___SORT_RECORD* cs___SortTableRecordBySort(PB_SORT* sort);
PB_EXPORT CS___SORT_RECORD* cs___SortTableRecordBySortName(PB_STRING* sortName);

PB_EXPORT PB_BOOL csSortTableHasSort(PB_SORT* sort);
PB_EXPORT PB_BOOL csSortTableHasSortName(PB_STRING* sortName);
/* The registered sort names (strings) and sorts (objects), in one order. */
PB_EXPORT PB_VECTOR* csSortTableSortNamesVector(void);
PB_EXPORT PB_VECTOR* csSortTableSortsVector(void);

/* The sort's normalized form of config: the normalizeConfig callback's
 * store, or a new empty store when the sort is not registered, has no such
 * callback or the callback gives NULL. Never NULL. */
PB_EXPORT PB_STORE* csSortNormalizeConfig(PB_SORT* sort, PB_STORE* config, PB_BOOL complete,
                                          PB_BOOL includePrivateData);

PB_END_DECLS

#endif
