// Stores written as JSON text in tests, and stores compared by their
// encoded (deterministic) JSON form.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_store.h"
#include "pb/pb_store_encoding.h"
#include "support/text.hpp"

namespace vtest {

// The store written as JSON; a text that does not decode fails the test.
inline pb::Ref<PB_STORE> json(const std::string& text) {
    auto store = pb::adopt(pbStoreTryDecodeBytes(text.data(), PB_INT(text.size()), nullptr));
    EXPECT_TRUE(store) << "not a store: " << text;
    return store ? store : pb::adopt(pbStoreCreate());
}

// The JSON form of a store ("<null>" for NULL).
inline std::string encode(PB_STORE* store) {
    if (!store) return "<null>";
    return bytes(pb::adopt(pbStoreEncode(store, nullptr)).get());
}

// JSON text in the store's canonical form.
inline std::string canonical(const std::string& text) { return encode(json(text).get()); }

}  // namespace vtest
