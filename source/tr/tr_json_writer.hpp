// The JSON text of trace sink lines: strings escaped for JSON (RFC 8259)
// and the values that streams carry.
#pragma once

#include <string>

#include "pb/pb_store.h"
#include "pb/pb_string.h"
#include "tr/tr_property_value.h"

namespace tr {

// Appends str as a JSON string: quoted, UTF-8, with '"', '\\' and control
// characters escaped. A code point that UTF-8 cannot carry (a surrogate or
// one above U+10FFFF) becomes U+FFFD.
void jsonAppendString(std::string& out, PB_STRING* str);
void jsonAppendStringCstr(std::string& out, const char* text);

// Appends the store as its one-line JSON document (the runtime's compact
// store encoding), or null for NULL.
void jsonAppendStore(std::string& out, PB_STORE* store);

// Appends ,"type":"<type>","value":<value> for a property value: booleans
// and integers as JSON literals, strings as JSON strings, stores as JSON
// documents and buffers as base64 text.
void jsonAppendPropertyValue(std::string& out, TR_PROPERTY_VALUE* value);

}  // namespace tr
