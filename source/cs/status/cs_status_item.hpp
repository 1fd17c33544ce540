// Inside the module: the change in place of an item that nobody else holds.
#pragma once

#include "cs/status/cs_status_item.h"

namespace cs {

// Gives a BOOL or INT item of the given type the value scalar in place,
// when the caller's reference is the item's only one: nobody else can see
// the change, so the item stays a value to everyone who reads it. Returns
// false, changing nothing, for an item of another type or one that is shared.
bool statusItemReuseScalar(CS_STATUS_ITEM* item, PB_INT type, PB_INT scalar);

}  // namespace cs
