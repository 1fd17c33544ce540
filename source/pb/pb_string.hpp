// The layout of strings, for the containers of the pb library that compare
// string keys in their lookups: reading the code units directly spares a
// call per comparison.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "pb/pb_string.h"

struct PB_STRING {
    PB_OBJ obj;
    PB_INT length;    // code points in use
    PB_INT capacity;  // code points allocated
    PB_CHAR* chars;   // owned: right after the string in its allocation (short strings),
                      // or on the heap; NULL when capacity is 0
};

namespace pb {

inline const PB_CHAR* stringChars(const PB_STRING* s) { return s->chars; }
inline PB_INT stringLength(const PB_STRING* s) { return s->length; }

// Orders code point sequences: by the first code point that differs, else
// the shorter first. Returns <0, 0 or >0.
inline PB_INT compareChars(const PB_CHAR* a, PB_INT na, const PB_CHAR* b, PB_INT nb) {
    PB_INT n = na < nb ? na : nb;
    PB_INT i = 0;
    while (i + 2 <= n) {  // passes the equal start two code points at a time
        uint64_t x, y;
        std::memcpy(&x, a + i, sizeof x);
        std::memcpy(&y, b + i, sizeof y);
        if (x != y) break;
        i += 2;
    }
    for (; i < n; ++i) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return na < nb ? -1 : (na > nb ? 1 : 0);
}

// Two strings in code point order.
inline PB_INT compareStrings(const PB_STRING* a, const PB_STRING* b) {
    return compareChars(a->chars, a->length, b->chars, b->length);
}

// Summaries of a key for ordered lookups: the first 12 bytes of its UTF-8
// form, zero-padded, as a big-endian 64-bit number (bytes 0-7) and a 32-bit
// one (bytes 8-11). UTF-8 orders as code points do, so when the summaries
// of two strings differ the strings order as their summaries; equal
// summaries tell nothing. 0 is no summary (an empty string, or one with a
// code point that UTF-8 cannot carry among its first characters).
//
// A string of at most 12 ASCII code points is all in its summary: two such
// strings of the same length with equal summaries are equal, which spares
// a lookup the read of the stored key. shortLength is that length (else 0).
struct StringHints {
    uint64_t high = 0;
    uint32_t low = 0;
    uint8_t shortLength = 0;
};

// The summary of a string of length code points whose first (up to 12)
// are the ASCII bytes in out, zero-padded.
inline StringHints asciiHints(const unsigned char (&out)[12], PB_INT length) {
    uint64_t high;
    uint32_t low;
    std::memcpy(&high, out, sizeof high);
    std::memcpy(&low, out + 8, sizeof low);
    if constexpr (std::endian::native == std::endian::little) {
        high = __builtin_bswap64(high);
        low = __builtin_bswap32(low);
    }
    return StringHints{high, low, uint8_t(length <= 12 ? length : 0)};
}

inline StringHints stringHints(const PB_CHAR* chars, PB_INT length) {
    // Keys are mostly ASCII: one byte per code point.
    PB_INT ascii = length < 12 ? length : 12;
    PB_CHAR any = 0;
    unsigned char out[12] = {};
    for (PB_INT i = 0; i < ascii; ++i) {
        any |= chars[i];
        out[i] = static_cast<unsigned char>(chars[i]);
    }
    if (any < 0x80) return asciiHints(out, length);
    std::memset(out, 0, sizeof out);
    int used = 0;
    for (PB_INT i = 0; i < length && used < 12; ++i) {
        PB_CHAR c = chars[i];
        unsigned char bytes[4];
        int n;
        if (c < 0x80) {
            bytes[0] = static_cast<unsigned char>(c);
            n = 1;
        } else if (c < 0x800) {
            bytes[0] = static_cast<unsigned char>(0xC0 | (c >> 6));
            bytes[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
            n = 2;
        } else if (c < 0x10000) {
            bytes[0] = static_cast<unsigned char>(0xE0 | (c >> 12));
            bytes[1] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
            bytes[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
            n = 3;
        } else if (c <= 0x10FFFF) {
            bytes[0] = static_cast<unsigned char>(0xF0 | (c >> 18));
            bytes[1] = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
            bytes[2] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
            bytes[3] = static_cast<unsigned char>(0x80 | (c & 0x3F));
            n = 4;
        } else {
            return {};
        }
        for (int k = 0; k < n && used < 12; ++k) out[used++] = bytes[k];
    }
    StringHints h;
    for (int k = 0; k < 8; ++k) h.high = (h.high << 8) | out[k];
    for (int k = 8; k < 12; ++k) h.low = (h.low << 8) | out[k];
    return h;
}

// stringHints of the string that the n bytes of UTF-8 at text decode to
// (chars, length): an ASCII start is its own summary, read from the bytes.
inline StringHints stringHintsOfUtf8(const char* text, PB_INT n, const PB_CHAR* chars, PB_INT length) {
    PB_INT head = n < 12 ? n : 12;
    unsigned char out[12] = {};
    unsigned char any = 0;
    for (PB_INT i = 0; i < head; ++i) {
        out[i] = static_cast<unsigned char>(text[i]);
        any |= out[i];
    }
    if (any >= 0x80 || head == 0) return stringHints(chars, length);
    return asciiHints(out, length);
}

// What two summaries tell of their strings: their order (-1 or 1), that
// they are equal (0), or kHintsUntold when only the strings can tell.
constexpr int kHintsUntold = 2;
inline int compareHints(const StringHints& a, const StringHints& b) {
    if (!a.high || !b.high) return kHintsUntold;
    if (a.high != b.high) return a.high < b.high ? -1 : 1;
    if (a.low != b.low) return a.low < b.low ? -1 : 1;
    return a.shortLength && a.shortLength == b.shortLength ? 0 : kHintsUntold;
}

// pb___StringInternCstr for texts that come from outside the process (the
// keys of decoded documents): NULL once the process holds limit interned
// strings, so that such texts never take the room kept for the keys the
// libraries name themselves.
PB_STRING* stringInternUpTo(const char* text, PB_INT length, size_t limit);

inline uint64_t stringHint(const PB_CHAR* chars, PB_INT length) { return stringHints(chars, length).high; }
inline uint64_t stringHint(const PB_STRING* s) { return stringHint(s->chars, s->length); }

}  // namespace pb
