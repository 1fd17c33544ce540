// Helpers of the update tests: configuration stores written as JSON text,
// and stores compared by their encoded (deterministic) JSON form.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_store_encoding.h"
#include "support/cs_fixture.hpp"
#include "support/store_text.hpp"
#include "support/live_objects.hpp"

namespace vtest {

inline std::string currentOf(CS_UPDATE* update) { return encode(pb::adopt(csUpdateCurrent(update)).get()); }

}  // namespace vtest
