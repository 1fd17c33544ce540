// UTF-8 decoding and encoding shared by strings and the store encoding.
#pragma once

#include <string>

#include "pb/pb_types.h"

namespace pb {

// Decodes n bytes into out (room for n code points); returns the count.
// Every byte that does not start a well-formed sequence (overlong forms,
// surrogates, values above U+10FFFF, truncated sequences) becomes U+FFFD.
inline PB_INT utf8Decode(const unsigned char* p, PB_INT n, PB_CHAR* out) {
    PB_INT count = 0;
    PB_INT i = 0;
    while (i < n) {
        unsigned c = p[i];
        if (c < 0x80) { out[count++] = c; ++i; continue; }
        int len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
        PB_CHAR cp = len == 4 ? (c & 0x07) : len == 3 ? (c & 0x0F) : (c & 0x1F);
        bool ok = len > 0 && c <= 0xF4 && i + len <= n;
        for (int k = 1; ok && k < len; ++k) {
            unsigned cc = p[i + k];
            if ((cc & 0xC0) != 0x80) ok = false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (ok) {
            static const PB_CHAR minimum[5] = {0, 0, 0x80, 0x800, 0x10000};
            ok = cp >= minimum[len] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        }
        if (ok) { out[count++] = cp; i += len; }
        else { out[count++] = PB_CHAR_REPLACEMENT; ++i; }
    }
    return count;
}

// Appends the UTF-8 form of n code points to out.
template <class Out>  // std::string or another byte sink with push_back
inline void utf8Encode(const PB_CHAR* chars, PB_INT n, Out& out) {
    for (PB_INT i = 0; i < n; ++i) {
        PB_CHAR c = chars[i];
        if (c < 0x80) {
            out.push_back(char(c));
        } else if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (c >> 18)));
            out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
}

}  // namespace pb
