/* Random numbers for the runtime: uniform, thread-safe, seeded from the
 * operating system. */
#ifndef PB_RANDOM_H
#define PB_RANDOM_H

#include "pb/pb_types.h"

PB_BEGIN_DECLS

/* A uniform value in [low, high], both bounds included.
 * Preconditions: 0 <= low, low <= high. */
PB_EXPORT PB_INT pbRandomNonNegativeIntRange(PB_INT low, PB_INT high);
/* Fills length bytes at out with random bytes. */
PB_EXPORT void pbRandomBytes(void* out, PB_INT length);

PB_END_DECLS

#endif
