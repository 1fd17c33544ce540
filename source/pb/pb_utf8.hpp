// UTF-8 decoding and encoding shared by strings and the store encoding.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "pb/pb_types.h"

namespace pb {

// The length of the well-formed sequence at p[i] (of n bytes), with its code
// point in *cp, or 0 when the byte there does not start one (overlong forms,
// surrogates, values above U+10FFFF, truncated sequences).
inline int utf8Sequence(const unsigned char* p, PB_INT n, PB_INT i, PB_CHAR* cp) {
    unsigned c = p[i];
    if (c < 0x80) { *cp = c; return 1; }
    int len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
    PB_CHAR v = len == 4 ? (c & 0x07) : len == 3 ? (c & 0x0F) : (c & 0x1F);
    if (len == 0 || c > 0xF4 || i + len > n) return 0;
    for (int k = 1; k < len; ++k) {
        unsigned cc = p[i + k];
        if ((cc & 0xC0) != 0x80) return 0;
        v = (v << 6) | (cc & 0x3F);
    }
    static const PB_CHAR minimum[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (v < minimum[len] || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 0;
    *cp = v;
    return len;
}

// Decodes n bytes into out (room for n code points); returns the count.
// Every byte that does not start a well-formed sequence becomes U+FFFD.
inline PB_INT utf8Decode(const unsigned char* p, PB_INT n, PB_CHAR* out) {
    PB_INT count = 0;
    PB_INT i = 0;
    while (i < n) {
        // Eight ASCII bytes at a time.
        if (uint64_t w; i + 8 <= n && (std::memcpy(&w, p + i, 8), !(w & 0x8080808080808080u))) {
            for (int k = 0; k < 8; ++k) out[count + k] = p[i + k];
            count += 8;
            i += 8;
            continue;
        }
        if (p[i] < 0x80) { out[count++] = p[i++]; continue; }
        PB_CHAR cp;
        int len = utf8Sequence(p, n, i, &cp);
        if (len) { out[count++] = cp; i += len; }
        else { out[count++] = PB_CHAR_REPLACEMENT; ++i; }
    }
    return count;
}

// The offset of the first byte of n that does not start a well-formed
// sequence, or -1 when all of them are UTF-8.
inline PB_INT utf8InvalidAt(const unsigned char* p, PB_INT n) {
    PB_CHAR cp;
    for (PB_INT i = 0; i < n;) {
        int len = utf8Sequence(p, n, i, &cp);
        if (!len) return i;
        i += len;
    }
    return -1;
}

// Writes the UTF-8 form of code point c (at most U+10FFFF) to out (room
// for four bytes); returns the count.
inline int utf8Put(PB_CHAR c, char* out) {
    if (c < 0x80) {
        out[0] = char(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = char(0xC0 | (c >> 6));
        out[1] = char(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = char(0xE0 | (c >> 12));
        out[1] = char(0x80 | ((c >> 6) & 0x3F));
        out[2] = char(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = char(0xF0 | (c >> 18));
    out[1] = char(0x80 | ((c >> 12) & 0x3F));
    out[2] = char(0x80 | ((c >> 6) & 0x3F));
    out[3] = char(0x80 | (c & 0x3F));
    return 4;
}

// Appends the UTF-8 form of n code points to out.
template <class Out>  // std::string or another byte sink with append(const char*, size_t)
inline void utf8Encode(const PB_CHAR* chars, PB_INT n, Out& out) {
    char buf[128];
    size_t used = 0;
    for (PB_INT i = 0; i < n; ++i) {
        if (used > sizeof buf - 4) {
            out.append(buf, used);
            used = 0;
        }
        used += size_t(utf8Put(chars[i], buf + used));
    }
    if (used) out.append(buf, used);
}

}  // namespace pb
