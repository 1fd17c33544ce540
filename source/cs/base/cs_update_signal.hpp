// The update signal of an owner that tells its watchers about changes: a
// signal asserted once per change and replaced by a fresh one.
//
// The fresh signal is in place before the old one is asserted, so a
// watcher that adds itself again while it is notified hears the next
// change rather than this one. An owner that changes under a lock whose
// watchers may call back into it takes the old signal out under the lock
// and asserts it after leaving (takeUpdateSignal); the others assert at
// once (assertUpdate).
#pragma once

#include "pb/pb_ref.hpp"
#include "pb/pb_signal.h"

namespace cs {

// Puts a fresh signal in place of signal and returns the old one, for the
// caller to assert.
[[nodiscard]] inline pb::Ref<PB_SIGNAL> takeUpdateSignal(PB_SIGNAL*& signal) {
    auto fired = pb::adopt(signal);
    signal = pbSignalCreate();
    return fired;
}

// Puts a fresh signal in place and asserts the old one.
inline void assertUpdate(PB_SIGNAL*& signal) { pbSignalAssert(takeUpdateSignal(signal).get()); }

// The same for an owner whose signal never leaves it and gets its
// signalables only under the lock the caller holds: a signal nobody waits
// on stays in place, which spares the allocation on changes nobody watches.
inline void assertUpdateIfListened(PB_SIGNAL*& signal) {
    if (pbSignalHasSignalables(signal)) assertUpdate(signal);
}

}  // namespace cs
