// The gathered configuration without private data, as the endpoint shows
// it: every module's and object's "config" read again from the live
// module or object with includePrivateData false.
#pragma once

#include "pb/pb_ref.hpp"
#include "pb/pb_store.h"

namespace vorlix::tools {

pb::Ref<PB_STORE> configWithoutPrivateData();

}  // namespace vorlix::tools
