// The store decoder as code inside the pb library sees it.
#pragma once

#include "pb/pb_ref.hpp"
#include "pb/pb_store_encoding.h"

namespace pb {

// pbStoreTryDecode for a buffer that is no longer needed once read: the
// buffer is released as soon as the parser is done with its bytes, before
// the stores are built, so that a large file and the stores decoded from it
// are not both held at the peak.
PB_STORE* storeTryDecodeReleasing(Ref<PB_BUFFER> buffer, PB_STORE_HEADER** header);

}  // namespace pb
