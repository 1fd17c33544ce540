// Inside the module: reaching an item of a collection to change it in place.
#pragma once

#include "cs/status/cs_status_items.h"

namespace cs {

// The item under name, borrowed, when the caller's handle is the only
// holder of the collection, of the part of its dictionary that leads to the
// item, and of the item itself; else (also for a NULL name) NULL.
CS_STATUS_ITEM* statusItemsSoleItem(CS_STATUS_ITEMS* items, PB_STRING* name);

}  // namespace cs
