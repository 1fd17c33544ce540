// Strings and bytes in tests: made from text, read back as std::string.
#pragma once

#include <string>

#include "pb/pb.h"
#include "pb/pb_ref.hpp"

namespace vtest {

// A string made from UTF-8 text.
inline pb::Ref<PB_STRING> str(const char* text) { return pb::adopt(pbStringCreateFromCstr(text, -1)); }
inline pb::Ref<PB_STRING> str(const std::string& text) { return str(text.c_str()); }
// The same string as a plain object, for the containers.
inline pb::Ref<PB_OBJ> strObj(const std::string& text) { return pb::retain(str(text).obj()); }

// UTF-8 of a string ("<null>" for NULL); the string stays the caller's.
std::string utf8(PB_STRING* s);
// UTF-8 of a string handed over, which the helper releases ("<null>" for NULL).
std::string take(PB_STRING* s);
// The bytes of a buffer.
std::string bytes(PB_BUFFER* b);

}  // namespace vtest
