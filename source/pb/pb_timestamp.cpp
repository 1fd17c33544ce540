// The runtime clock's reading (threaded or manual, see pb_runtime_clock.h).
#include "pb/pb_timestamp.h"

#include "pb/pb_runtime_clock.hpp"

extern "C" PB_EXPORT PB_INT pbTimestamp(void) { return pb::clockNow(); }
