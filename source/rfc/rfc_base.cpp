// Base16, base32 and base64 encoding and strict decoding of byte buffers.
#include "rfc/rfc_base.h"

#include <string>
#include <vector>

namespace {

// One alphabet: each character carries 'bits' bits, and a group of
// 'groupChars' characters carries a whole number of bytes (padded with '='
// when the group is the last and incomplete). 'values' maps an ASCII
// character to its value, or -1 when it is not in the alphabet.
struct Alphabet {
    const char* chars;
    int bits;
    int groupChars;
    int8_t values[128];
};

constexpr Alphabet makeAlphabet(const char* chars, int bits, int groupChars) {
    Alphabet a{chars, bits, groupChars, {}};
    for (auto& v : a.values) v = -1;
    for (int i = 0; i < (1 << bits); ++i) a.values[int(chars[i])] = int8_t(i);
    return a;
}

constexpr Alphabet alphabets[] = {
    makeAlphabet("0123456789ABCDEF", 4, 2),
    makeAlphabet("ABCDEFGHIJKLMNOPQRSTUVWXYZ234567", 5, 8),
    makeAlphabet("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/", 6, 4),
};

const Alphabet& alphabetOf(PB_INT selector) { return alphabets[selector - RFC_BASE_16]; }

int valueOf(const Alphabet& a, PB_CHAR ch) { return ch < 128 ? a.values[ch] : -1; }

}  // namespace

// Writes the bits of the buffer most significant first, then pads the last
// character with zero bits and the last group with '='.
extern "C" PB_EXPORT PB_STRING* rfcBaseEncodeToString(PB_BUFFER* buffer, PB_INT selector) {
    PB_ASSERT(buffer);
    PB_ASSERT(RFC_BASE_SELECTOR_OK(selector));
    const Alphabet& a = alphabetOf(selector);
    const uint8_t* bytes = pbBufferBacking(buffer);
    PB_INT length = pbBufferLength(buffer);
    std::string out;  // ASCII only
    out.reserve(size_t((length * 8 + a.bits - 1) / a.bits + a.groupChars));
    uint32_t acc = 0;
    int have = 0;
    const uint32_t mask = (1u << a.bits) - 1;
    for (PB_INT i = 0; i < length; ++i) {
        acc = (acc << 8) | bytes[i];
        have += 8;
        while (have >= a.bits) {
            have -= a.bits;
            out.push_back(a.chars[(acc >> have) & mask]);
        }
    }
    if (have > 0) out.push_back(a.chars[(acc << (a.bits - have)) & mask]);
    while (out.size() % size_t(a.groupChars)) out.push_back('=');
    return pbStringCreateFromCstr(out.data(), PB_INT(out.size()));
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

    std::vector<uint8_t> out;
    out.reserve(size_t(dataChars * a.bits / 8));
    uint32_t acc = 0;
    int have = 0;
    for (PB_INT i = 0; i < dataChars; ++i) {
        int v = valueOf(a, chars[i]);
        if (v < 0) return nullptr;
        acc = (acc << a.bits) | uint32_t(v);
        have += a.bits;
        if (have >= 8) {
            have -= 8;
            out.push_back(uint8_t(acc >> have));
        }
    }
    // The bits below the last whole byte are padding and must be zero.
    if (have > 0 && (acc & ((1u << have) - 1)) != 0) return nullptr;
    return pbBufferCreateFromBytes(out.data(), PB_INT(out.size()));
}
