// Inside the module: the cheap way of a reporter's boolean and integer items.
#pragma once

#include "cs/status/cs_status.h"

namespace cs {

// Sets the BOOL or INT item under name (type) to scalar in place, when the
// status holds an item of that type there that nobody else holds, and then
// tells the update signal's listeners as cs___StatusSetItem does. Returns
// false, changing nothing, when that cannot be done (no such item, a
// shared one, an ended status); the caller then sets a new item, which
// makes every check.
bool statusTrySetScalar(CS_STATUS* stat, PB_STRING* name, PB_INT type, PB_INT scalar);

}  // namespace cs
