// JSON string text, shared by the store encoding and the trace writer.
#pragma once

#include "pb/pb_utf8.hpp"

namespace pb {

// Appends n code points as a JSON string: quoted, UTF-8, with the escapes
// that RFC 8259 requires ('"', '\\' and the control characters). Code
// points that UTF-8 cannot carry (surrogates, above U+10FFFF) become
// U+FFFD. Out is std::string or another byte sink with push_back and
// append(const char*, size_t).
template <class Out>
inline void jsonAppendString(const PB_CHAR* chars, PB_INT n, Out& out) {
    static const char hex[] = "0123456789abcdef";
    out.push_back('"');
    PB_INT run = 0;  // start of the pending run of plain characters
    for (PB_INT i = 0; i < n; ++i) {
        PB_CHAR ch = chars[i];
        bool plain = ch >= 0x20 && ch != '"' && ch != '\\' && ch <= 0x10FFFF && !(ch >= 0xD800 && ch <= 0xDFFF);
        if (plain) continue;
        utf8Encode(chars + run, i - run, out);
        run = i + 1;
        switch (ch) {
        case '"': out.append("\\\"", 2); continue;
        case '\\': out.append("\\\\", 2); continue;
        case '\b': out.append("\\b", 2); continue;
        case '\f': out.append("\\f", 2); continue;
        case '\n': out.append("\\n", 2); continue;
        case '\r': out.append("\\r", 2); continue;
        case '\t': out.append("\\t", 2); continue;
        default: break;
        }
        if (ch < 0x20) {
            char buf[6] = {'\\', 'u', '0', '0', hex[ch >> 4], hex[ch & 15]};
            out.append(buf, 6);
        } else {
            out.append("\xEF\xBF\xBD", 3);  // U+FFFD
        }
    }
    utf8Encode(chars + run, n - run, out);
    out.push_back('"');
}

}  // namespace pb
