// Random 128-bit identifiers with a canonical text form.
#include "pb/pb_identifier.h"

#include <cstring>

#include "pb/pb_module.h"
#include "pb/pb_random.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"
#include "pb/pb_string.h"

struct PB_IDENTIFIER {
    PB_OBJ obj;
    uint8_t bytes[16];  // set once at creation
};

namespace {

PB_INT identifierCompare(PB_OBJ* a, PB_OBJ* b) {
    int c = std::memcmp(reinterpret_cast<PB_IDENTIFIER*>(a)->bytes, reinterpret_cast<PB_IDENTIFIER*>(b)->bytes, 16);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

PB_STRING* identifierToString(PB_OBJ* obj) {
    static const char hex[] = "0123456789abcdef";
    const uint8_t* b = reinterpret_cast<PB_IDENTIFIER*>(obj)->bytes;
    char text[37];
    int at = 0;
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) text[at++] = '-';
        text[at++] = hex[b[i] >> 4];
        text[at++] = hex[b[i] & 15];
    }
    text[at] = 0;
    return pbStringCreateFromCstr(text, 36);
}

PB_IDENTIFIER* create() {
    return reinterpret_cast<PB_IDENTIFIER*>(pb___ObjCreate(sizeof(PB_IDENTIFIER), &pb___sort_PB_IDENTIFIER));
}

int hexValue(PB_CHAR c) {
    if (c >= '0' && c <= '9') return int(c - '0');
    if (c >= 'a' && c <= 'f') return int(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return int(c - 'A' + 10);
    return -1;
}

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_IDENTIFIER, &pb___module, "PB_IDENTIFIER", nullptr, identifierCompare,
               identifierToString);
PB_STDFUNCS_DEFINE(pbIdentifier, PB_IDENTIFIER, pb___sort_PB_IDENTIFIER)

extern "C" PB_EXPORT PB_IDENTIFIER* pbIdentifierCreate(void) {
    PB_IDENTIFIER* id = create();
    pbRandomBytes(id->bytes, 16);
    id->bytes[6] = uint8_t((id->bytes[6] & 0x0F) | 0x40);  // random (version 4) layout
    id->bytes[8] = uint8_t((id->bytes[8] & 0x3F) | 0x80);
    return id;
}

extern "C" PB_EXPORT PB_IDENTIFIER* pbIdentifierTryCreateFromString(PB_STRING* text) {
    PB_ASSERT(text);
    if (pbStringLength(text) != 36) return nullptr;
    const PB_CHAR* c = pbStringBacking(text);
    uint8_t bytes[16];
    int at = 0;
    for (int i = 0; i < 36;) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c[i] != '-') return nullptr;
            ++i;
            continue;
        }
        int hi = hexValue(c[i]), lo = hexValue(c[i + 1]);
        if (hi < 0 || lo < 0) return nullptr;
        bytes[at++] = uint8_t(hi * 16 + lo);
        i += 2;
    }
    PB_IDENTIFIER* id = create();
    std::memcpy(id->bytes, bytes, 16);
    return id;
}

extern "C" PB_EXPORT PB_IDENTIFIER* pbIdentifierTryCreateFromCstr(const char* text, PB_INT length) {
    PB_ASSERT(text);
    auto s = pb::adopt(pbStringCreateFromCstr(text, length));
    return pbIdentifierTryCreateFromString(s.get());
}

extern "C" PB_EXPORT PB_STRING* pbIdentifierString(PB_IDENTIFIER* identifier) {
    PB_ASSERT(identifier);
    return identifierToString(&identifier->obj);
}

extern "C" PB_EXPORT void pbIdentifierBytes(PB_IDENTIFIER* identifier, uint8_t bytes[16]) {
    PB_ASSERT(identifier);
    std::memcpy(bytes, identifier->bytes, 16);
}
