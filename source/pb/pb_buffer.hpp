// Buffers as code inside the pb library sees them.
#pragma once

#include "pb/pb_buffer.h"

namespace pb {

// The bytes allocated for the buffer: at least its length. The bytes from
// the length up to the capacity are readable (a parser may read ahead).
PB_INT bufferCapacity(PB_BUFFER* buffer);

// A buffer that takes over bytes, an allocation of capacity bytes made
// with pb___MemAlloc (or pb___MemRealloc), of which length are in use.
PB_BUFFER* bufferCreateAdopting(void* bytes, PB_INT length, PB_INT capacity);

}  // namespace pb
