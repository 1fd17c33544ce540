// Name rules: camel case, upper case and module names.
#include "pb/pb_name.h"

#include "pb/pb_ref.hpp"
#include "pb/pb_string.h"
#include "pb/pb_string.hpp"

namespace {

bool isLower(PB_CHAR c) { return c >= 'a' && c <= 'z'; }
bool isUpper(PB_CHAR c) { return c >= 'A' && c <= 'Z'; }
bool isDigit(PB_CHAR c) { return c >= '0' && c <= '9'; }

template <class Pred>
bool check(PB_STRING* name, PB_INT maxLength, bool (*first)(PB_CHAR), Pred rest) {
    if (!name) return false;
    PB_INT n = pb::stringLength(name);
    if (n < 1 || n > maxLength) return false;
    const PB_CHAR* c = pb::stringChars(name);
    if (!first(c[0])) return false;
    for (PB_INT i = 1; i < n; ++i)
        if (!rest(c[i])) return false;
    return true;
}

template <class F>
PB_BOOL withCstr(const char* text, PB_INT length, F f) {
    if (!text) return PB_FALSE;
    auto s = pb::adopt(pbStringCreateFromCstr(text, length));
    return f(s.get());
}

}  // namespace

extern "C" PB_EXPORT PB_BOOL pbNameCamelCaseOk(PB_STRING* name, PB_BOOL lowerFirst) {
    return check(name, 256, lowerFirst ? isLower : isUpper,
                 [](PB_CHAR c) { return isLower(c) || isUpper(c) || isDigit(c); });
}

extern "C" PB_EXPORT PB_BOOL pbNameCamelCaseOkCstr(const char* name, PB_INT length, PB_BOOL lowerFirst) {
    return withCstr(name, length, [&](PB_STRING* s) { return pbNameCamelCaseOk(s, lowerFirst); });
}

extern "C" PB_EXPORT PB_BOOL pbNameUpperCaseOk(PB_STRING* name, PB_BOOL allowUnderscores) {
    return check(name, 256, isUpper,
                 [&](PB_CHAR c) { return isUpper(c) || isDigit(c) || (allowUnderscores && c == '_'); });
}

extern "C" PB_EXPORT PB_BOOL pbNameUpperCaseOkCstr(const char* name, PB_INT length, PB_BOOL allowUnderscores) {
    return withCstr(name, length, [&](PB_STRING* s) { return pbNameUpperCaseOk(s, allowUnderscores); });
}

extern "C" PB_EXPORT PB_BOOL pbModuleNameOk(PB_STRING* name) {
    return check(name, 64, isLower, [](PB_CHAR c) { return isLower(c) || isDigit(c); });
}

extern "C" PB_EXPORT PB_BOOL pbModuleNameOkCstr(const char* name, PB_INT length) {
    return withCstr(name, length, [](PB_STRING* s) { return pbModuleNameOk(s); });
}
