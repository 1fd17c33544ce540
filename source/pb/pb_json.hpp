// JSON string text, shared by the store encoding and the trace writer.
#pragma once

#include <cstring>

#include "pb/pb_utf8.hpp"

namespace pb {

// Appends n code points as a JSON string: quoted, UTF-8, with the escapes
// that RFC 8259 requires ('"', '\\' and the control characters). Code
// points that UTF-8 cannot carry (surrogates, above U+10FFFF) become
// U+FFFD. Out is std::string or another byte sink with
// append(const char*, size_t).
template <class Out>
inline void jsonAppendString(const PB_CHAR* chars, PB_INT n, Out& out) {
    static const char hex[] = "0123456789abcdef";
    // The text goes out through a buffer: one append per few hundred bytes
    // rather than one call per byte.
    char buf[512];
    size_t used = 0;
    buf[used++] = '"';
    for (PB_INT i = 0; i < n;) {
        // As many code points as surely fit, in their longest form (six bytes).
        PB_INT end = i + PB_INT((sizeof buf - 1 - used) / 6);
        if (end > n) end = n;
        for (; i < end; ++i) {
            PB_CHAR ch = chars[i];
            if (ch >= 0x20 && ch < 0x80 && ch != '"' && ch != '\\') {  // most of all text
                buf[used++] = char(ch);
            } else if (ch == '"' || ch == '\\') {
                buf[used++] = '\\';
                buf[used++] = char(ch);
            } else if (ch < 0x20) {
                buf[used++] = '\\';
                switch (ch) {
                case '\b': buf[used++] = 'b'; break;
                case '\f': buf[used++] = 'f'; break;
                case '\n': buf[used++] = 'n'; break;
                case '\r': buf[used++] = 'r'; break;
                case '\t': buf[used++] = 't'; break;
                default:
                    std::memcpy(buf + used, "u00", 3);
                    buf[used + 3] = hex[ch >> 4];
                    buf[used + 4] = hex[ch & 15];
                    used += 5;
                }
            } else if ((ch >= 0xD800 && ch <= 0xDFFF) || ch > 0x10FFFF) {
                used += size_t(utf8Put(PB_CHAR_REPLACEMENT, buf + used));
            } else {
                used += size_t(utf8Put(ch, buf + used));
            }
        }
        if (i < n) {
            out.append(buf, used);
            used = 0;
        }
    }
    buf[used++] = '"';
    out.append(buf, used);
}

}  // namespace pb
