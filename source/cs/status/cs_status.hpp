// Inside the module: the cheap way of a reporter's boolean and integer items.
#pragma once

#include "cs/status/cs_status.h"
#include "pb/pb_region.h"

namespace cs {

// What a reporter does beside a change of its status: it runs under the
// status's lock after the change and before the listeners are told, so the
// reporter's trace stream follows the status in the order of its changes
// without a lock of its own. An empty one does nothing.
struct StatusAlso {
    void (*run)(void* context) = nullptr;
    void* context = nullptr;

    void operator()() const {
        if (run) run(context);
    }
};

// The StatusAlso that calls f, which must outlive the change.
template <class F>
StatusAlso statusAlso(F& f) {
    return {[](void* context) { (*static_cast<F*>(context))(); }, &f};
}

// cs___StatusSetItem and cs___StatusDelItem with also run beside the change.
void statusSetItem(CS_STATUS* stat, PB_STRING* name, CS_STATUS_ITEM* item, StatusAlso also);
void statusDelItem(CS_STATUS* stat, PB_STRING* name, StatusAlso also);

// Sets the BOOL or INT item under name (type) to scalar in place, when the
// status holds an item of that type there that nobody else holds, and then
// tells the update signal's listeners as cs___StatusSetItem does. Returns
// false, changing nothing, when that cannot be done (no such item, a
// shared one, an ended status); the caller then sets a new item, which
// makes every check. also runs only when the item was set.
bool statusTrySetScalar(CS_STATUS* stat, PB_STRING* name, PB_INT type, PB_INT scalar, StatusAlso also);

// The lock that guards the status's items (not retained). An owner of a
// reporter may hold it exclusively to change fields of its own together
// with its items: the changes of the status made meanwhile by the same
// thread nest into that hold, so both follow one order without a second
// lock.
PB_REGION* statusRegion(CS_STATUS* stat);

}  // namespace cs
