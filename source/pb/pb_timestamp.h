/* The runtime's clock in milliseconds. In the threaded clock mode it is
 * monotonic time since an arbitrary start; in the manual mode it is a
 * virtual clock that moves only when the runtime is told to advance. */
#ifndef PB_TIMESTAMP_H
#define PB_TIMESTAMP_H

#include "pb/pb_types.h"

PB_BEGIN_DECLS

PB_EXPORT PB_INT pbTimestamp(void);

PB_END_DECLS

#endif
