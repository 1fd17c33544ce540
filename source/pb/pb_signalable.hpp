// Notification of a signalable, for the signals of the runtime library.
#pragma once

#include "pb/pb_signalable.h"

namespace pb {

// Carries out the signalable's action on the calling thread. The caller
// holds a reference to it and no lock.
void signalableNotify(PB_SIGNALABLE* signalable);

}  // namespace pb
