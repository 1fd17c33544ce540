/* Status items collections (CS_STATUS_ITEMS): status items under
 * lower-camel-case names ("csUp", "csConditionValue").
 *
 * A collection is a value: the setters take the address of the caller's
 * handle and copy first when another holder shares the collection, so a
 * collection that was handed out never changes under its holder. A copy
 * shares the unchanged entries with the original.
 *
 *     CS_STATUS_ITEMS* items = csStatusItemsCreate();
 *     csStatusItemsSetItem( &items, name, item );
 *     for ( PB_INT i = 0; i < csStatusItemsLength( items ); ++i ) {
 *         PB_STRING* n = csStatusItemsNameAt( items, i );
 *         CS_STATUS_ITEM* it = csStatusItemsItemAt( items, i );
 *         ...
 *     }
 *     CS_STATUS_ITEM* found = csStatusItemsItemCstr( items, "csUp", -1 );  // or NULL
 *
 * Entries are ordered by name (code point order); positions
 * 0..length-1 follow that order. Names must pass
 * pbNameCamelCaseOk( name, PB_TRUE ). Collections compare entry by entry.
 *
 * Store form: one sub-store per item, under the item's name, in the item's
 * store form (cs_status_item.h). Restoring leaves out every entry whose
 * name is not a camel-case name or whose item does not restore. */
#ifndef CS_STATUS_ITEMS_H
#define CS_STATUS_ITEMS_H

#include "cs/status/cs_status_item.h"

PB_BEGIN_DECLS

typedef struct CS_STATUS_ITEMS CS_STATUS_ITEMS;

extern PB_EXPORT PB_SORT cs___sort_CS_STATUS_ITEMS;
PB_STDFUNCS_DECLARE(csStatusItems, CS_STATUS_ITEMS);

PB_EXPORT CS_STATUS_ITEMS* csStatusItemsCreate(void);
/* Shares the entries of source. */
PB_EXPORT CS_STATUS_ITEMS* csStatusItemsCreateFrom(CS_STATUS_ITEMS* source);

PB_EXPORT PB_INT csStatusItemsLength(CS_STATUS_ITEMS* items);
/* Precondition: 0 <= index < length. */
PB_EXPORT PB_STRING* csStatusItemsNameAt(CS_STATUS_ITEMS* items, PB_INT index);
PB_EXPORT CS_STATUS_ITEM* csStatusItemsItemAt(CS_STATUS_ITEMS* items, PB_INT index);

/* The named item (a new reference) or NULL. */
PB_EXPORT CS_STATUS_ITEM* csStatusItemsItem(CS_STATUS_ITEMS* items, PB_STRING* name);
PB_EXPORT CS_STATUS_ITEM* csStatusItemsItemCstr(CS_STATUS_ITEMS* items, const char* name, PB_INT length);
PB_EXPORT CS_STATUS_ITEM* csStatusItemsItemWcstr(CS_STATUS_ITEMS* items, const wchar_t* name, PB_INT length);
PB_EXPORT PB_BOOL csStatusItemsHasItem(CS_STATUS_ITEMS* items, PB_STRING* name);
PB_EXPORT PB_BOOL csStatusItemsHasItemCstr(CS_STATUS_ITEMS* items, const char* name, PB_INT length);
PB_EXPORT PB_BOOL csStatusItemsHasItemWcstr(CS_STATUS_ITEMS* items, const wchar_t* name, PB_INT length);

/* Sets or replaces the named item. Precondition: item not NULL. */
PB_EXPORT void csStatusItemsSetItem(CS_STATUS_ITEMS** items, PB_STRING* name, CS_STATUS_ITEM* item);
/* Removes the named item; an absent name changes nothing. */
PB_EXPORT void csStatusItemsDelItem(CS_STATUS_ITEMS** items, PB_STRING* name);

PB_EXPORT PB_STORE* csStatusItemsStore(CS_STATUS_ITEMS* items);
/* Never NULL; possibly empty. */
PB_EXPORT CS_STATUS_ITEMS* csStatusItemsRestore(PB_STORE* store);

PB_END_DECLS

#endif
