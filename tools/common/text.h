// Conversions between the runtime's strings and stores and the std::string
// the host and the configuration tool print.
#pragma once

#include <string>

#include "pb/pb_ref.hpp"
#include "pb/pb_store.h"
#include "pb/pb_string.h"

namespace vorlix::tools {

// The UTF-8 text of s; empty for null.
std::string utf8(PB_STRING* s);
// A new runtime string holding text.
pb::Ref<PB_STRING> makeString(const std::string& text);
// The store as compact JSON (the runtime's encoding, no header).
std::string storeJson(PB_STORE* store);
// text as a JSON string literal, quotes included.
std::string jsonQuote(const std::string& text);

}  // namespace vorlix::tools
