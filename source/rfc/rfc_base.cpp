// Base16, base32 and base64 encoding and strict decoding of byte buffers.
#include "rfc/rfc_base.h"

#include <vector>

namespace {

// One alphabet: each character carries 'bits' bits, and a group of
// 'groupChars' characters carries a whole number of bytes (padded with '='
// when the group is the last and incomplete).
struct Alphabet {
    const char* chars;
    int bits;
    int groupChars;
};

const Alphabet alphabets[] = {
    {"0123456789ABCDEF", 4, 2},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZ234567", 5, 8},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/", 6, 4},
};

const Alphabet& alphabetOf(PB_INT selector) { return alphabets[selector - RFC_BASE_16]; }

// The value of ch in the alphabet, or -1.
int valueOf(const Alphabet& a, PB_CHAR ch) {
    if (ch >= 128) return -1;
    for (int i = 0; i < (1 << a.bits); ++i)
        if (PB_CHAR(a.chars[i]) == ch) return i;
    return -1;
}

}  // namespace

// Writes the bits of the buffer most significant first, then pads the last
// character with zero bits and the last group with '='.
extern "C" PB_EXPORT PB_STRING* rfcBaseEncodeToString(PB_BUFFER* buffer, PB_INT selector) {
    PB_ASSERT(buffer);
    PB_ASSERT(RFC_BASE_SELECTOR_OK(selector));
    const Alphabet& a = alphabetOf(selector);
    const uint8_t* bytes = pbBufferBacking(buffer);
    PB_INT length = pbBufferLength(buffer);
    std::vector<PB_CHAR> out;
    out.reserve(size_t((length * 8 + a.bits - 1) / a.bits + a.groupChars));
    uint32_t acc = 0;
    int have = 0;
    const uint32_t mask = (1u << a.bits) - 1;
    for (PB_INT i = 0; i < length; ++i) {
        acc = (acc << 8) | bytes[i];
        have += 8;
        while (have >= a.bits) {
            have -= a.bits;
            out.push_back(PB_CHAR(a.chars[(acc >> have) & mask]));
        }
    }
    if (have > 0) out.push_back(PB_CHAR(a.chars[(acc << (a.bits - have)) & mask]));
    while (out.size() % size_t(a.groupChars)) out.push_back('=');
    return pbStringCreateFromChars(out.data(), PB_INT(out.size()));
}

extern "C" PB_EXPORT PB_BUFFER* rfcBaseTryDecodeString(PB_STRING* text, PB_INT selector) {
    PB_ASSERT(text);
    PB_ASSERT(RFC_BASE_SELECTOR_OK(selector));
    const Alphabet& a = alphabetOf(selector);
    const PB_CHAR* chars = pbStringBacking(text);
    PB_INT length = pbStringLength(text);
    if (length % a.groupChars) return nullptr;

    // Padding only ends the text, and never fills a whole group.
    PB_INT pads = 0;
    while (pads < length && chars[length - 1 - pads] == '=') ++pads;
    if (pads >= a.groupChars) return nullptr;
    PB_INT dataChars = length - pads;
    // The last group keeps r characters for k bytes; the encoder writes
    // exactly ceil(8k / bits) of them, so any other count is not canonical.
    if (pads > 0) {
        PB_INT r = a.groupChars - pads;
        PB_INT k = r * a.bits / 8;
        if (k == 0 || (8 * k + a.bits - 1) / a.bits != r) return nullptr;
    }

    PB_BUFFER* out = pbBufferCreate();
    uint32_t acc = 0;
    int have = 0;
    for (PB_INT i = 0; i < dataChars; ++i) {
        int v = valueOf(a, chars[i]);
        if (v < 0) {
            pbBufferRelease(out);
            return nullptr;
        }
        acc = (acc << a.bits) | uint32_t(v);
        have += a.bits;
        if (have >= 8) {
            have -= 8;
            pbBufferAppendByte(&out, uint8_t(acc >> have));
        }
    }
    // The bits below the last whole byte are padding and must be zero.
    if (have > 0 && (acc & ((1u << have) - 1)) != 0) {
        pbBufferRelease(out);
        return nullptr;
    }
    return out;
}
