// Helpers shared by the object, multi and domain observer implementations.
//
// Observers change their fields under their own monitor, often while the
// object table holds its monitor as well; what they drop goes to a
// cs::ReleaseLater (cs/base/cs_release_later.hpp), which releases it once
// the outermost of those monitors is left.
#pragma once

#include "cs/base/cs_release_later.hpp"
#include "pb/pb_signal.h"

namespace cs {

// Puts a fresh update signal in place and then asserts the old one, so a
// listener that adds itself again while it is notified hears the next
// change rather than this one.
inline void assertUpdate(PB_SIGNAL*& signal) {
    PB_SIGNAL* fired = signal;
    signal = pbSignalCreate();
    pbSignalAssert(fired);
    pbSignalRelease(fired);
}

// The same for an owner whose signal never leaves it and gets its
// signalables only under the lock the caller holds: a signal nobody waits
// on stays in place, which spares the allocation on changes nobody watches.
inline void assertUpdateIfListened(PB_SIGNAL*& signal) {
    if (pbSignalHasSignalables(signal)) assertUpdate(signal);
}

}  // namespace cs
