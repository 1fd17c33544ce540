// Notification of an alertable, for the alerts of the runtime library.
#pragma once

#include "pb/pb_alertable.h"

namespace pb {

// Carries out the alertable's action on the calling thread. The caller
// holds a reference to it and no lock.
void alertableNotify(PB_ALERTABLE* alertable);

}  // namespace pb
