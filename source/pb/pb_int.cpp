// Saturating integer arithmetic and conversions.
#include "pb/pb_int.h"

#include <cmath>

extern "C" PB_EXPORT PB_INT pbIntAddSaturating(PB_INT a, PB_INT b) {
    PB_INT r;
    if (!__builtin_add_overflow(a, b, &r)) return r;
    return b > 0 ? PB_INT_MAX : PB_INT_MIN;
}

extern "C" PB_EXPORT PB_INT pbIntSubSaturating(PB_INT a, PB_INT b) {
    PB_INT r;
    if (!__builtin_sub_overflow(a, b, &r)) return r;
    return b < 0 ? PB_INT_MAX : PB_INT_MIN;
}

extern "C" PB_EXPORT PB_INT pbIntMulSaturating(PB_INT a, PB_INT b) {
    PB_INT r;
    if (!__builtin_mul_overflow(a, b, &r)) return r;
    return ((a < 0) != (b < 0)) ? PB_INT_MIN : PB_INT_MAX;
}

extern "C" PB_EXPORT PB_BOOL pbIntMulOk(PB_INT a, PB_INT b) {
    PB_INT r;
    return !__builtin_mul_overflow(a, b, &r);
}

extern "C" PB_EXPORT PB_INT pbIntMax(PB_INT a, PB_INT b) { return a > b ? a : b; }
extern "C" PB_EXPORT PB_INT pbIntMin(PB_INT a, PB_INT b) { return a < b ? a : b; }

extern "C" PB_EXPORT PB_INT pbRealToInt(double value) {
    if (std::isnan(value)) return 0;
    // 2^63 is exactly representable; anything at or above it saturates.
    if (value >= 9223372036854775808.0) return PB_INT_MAX;
    if (value <= -9223372036854775808.0) return PB_INT_MIN;
    return PB_INT(value);
}
