// Rate limits: six optional inclusive bounds, their check and store form.
#include "cs/rate/cs_rate_limits.h"

#include "cs/base/cs_bounds.hpp"
#include "cs/base/cs_module.h"
#include "cs/base/cs_store_keys.hpp"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

namespace {

// The bounds in their fixed order, which is also the order of the check
// and of the store.
enum Index { minSecond, maxSecond, minMinute, maxMinute, minHour, maxHour, boundCount };

std::array<PB_STRING*, boundCount> boundKeys() {
    const cs::StoreKeys& k = cs::storeKeys();
    return {k.minSecond, k.maxSecond, k.minMinute, k.maxMinute, k.minHour, k.maxHour};
}

}  // namespace

// A value object, shared read-only; holds no references, so it needs no
// free function.
struct CS_RATE_LIMITS {
    PB_OBJ obj;
    cs::Bounds<boundCount> bounds;  // values >= 0 while set
};

PB_SORT_DEFINE(cs___sort_CS_RATE_LIMITS, &cs___module, "CS_RATE_LIMITS", nullptr, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csRateLimits, CS_RATE_LIMITS, cs___sort_CS_RATE_LIMITS)

namespace {

bool below(const cs::Bound& min, PB_INT delayed) { return min.has && delayed < min.value; }

bool above(const cs::Bound& max, PB_INT delayed, PB_INT current) {
    return max.has && (delayed > max.value || current > max.value);
}

}  // namespace

CS___BOUND_DEFINE(csRateLimits, CS_RATE_LIMITS, MinSecond, minSecond, PB_ASSERT(value >= 0))
CS___BOUND_DEFINE(csRateLimits, CS_RATE_LIMITS, MaxSecond, maxSecond, PB_ASSERT(value >= 0))
CS___BOUND_DEFINE(csRateLimits, CS_RATE_LIMITS, MinMinute, minMinute, PB_ASSERT(value >= 0))
CS___BOUND_DEFINE(csRateLimits, CS_RATE_LIMITS, MaxMinute, maxMinute, PB_ASSERT(value >= 0))
CS___BOUND_DEFINE(csRateLimits, CS_RATE_LIMITS, MinHour, minHour, PB_ASSERT(value >= 0))
CS___BOUND_DEFINE(csRateLimits, CS_RATE_LIMITS, MaxHour, maxHour, PB_ASSERT(value >= 0))

extern "C" PB_EXPORT CS_RATE_LIMITS* csRateLimitsCreate(void) {
    return reinterpret_cast<CS_RATE_LIMITS*>(pb___ObjCreate(sizeof(CS_RATE_LIMITS), &cs___sort_CS_RATE_LIMITS));
}

extern "C" PB_EXPORT CS_RATE_LIMITS* csRateLimitsCreateFrom(CS_RATE_LIMITS* source) {
    PB_ASSERT(source);
    CS_RATE_LIMITS* lim = csRateLimitsCreate();
    lim->bounds = source->bounds;
    return lim;
}

// The first bound that fails decides, in the fixed order of the bounds.
extern "C" PB_EXPORT PB_BOOL cs___RateLimitsCheck(CS_RATE_LIMITS* lim, PB_INT secondDelayed, PB_INT secondCurrent,
                                                  PB_INT minuteDelayed, PB_INT minuteCurrent, PB_INT hourDelayed,
                                                  PB_INT hourCurrent) {
    PB_ASSERT(lim);
    PB_ASSERT(secondDelayed >= 0);
    PB_ASSERT(secondCurrent >= 0);
    PB_ASSERT(minuteDelayed >= 0);
    PB_ASSERT(minuteCurrent >= 0);
    PB_ASSERT(hourDelayed >= 0);
    PB_ASSERT(hourCurrent >= 0);
    const cs::Bound* l = lim->bounds.bound;
    if (below(l[minSecond], secondDelayed)) return PB_FALSE;
    if (above(l[maxSecond], secondDelayed, secondCurrent)) return PB_FALSE;
    if (below(l[minMinute], minuteDelayed)) return PB_FALSE;
    if (above(l[maxMinute], minuteDelayed, minuteCurrent)) return PB_FALSE;
    if (below(l[minHour], hourDelayed)) return PB_FALSE;
    if (above(l[maxHour], hourDelayed, hourCurrent)) return PB_FALSE;
    return PB_TRUE;
}

extern "C" PB_EXPORT PB_BOOL csRateLimitsCheck(CS_RATE_LIMITS* lim, CS_RATE* rate) {
    PB_ASSERT(lim);
    PB_ASSERT(rate);
    PB_INT v[6];
    cs___RateValues(rate, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]);
    return cs___RateLimitsCheck(lim, v[0], v[1], v[2], v[3], v[4], v[5]);
}

extern "C" PB_EXPORT PB_BOOL csRateLimitsCheckWithToken(CS_RATE_LIMITS* lim, CS_RATE_TOKEN* tok) {
    PB_ASSERT(lim);
    PB_ASSERT(tok);
    auto rate = pb::adopt(csRateTokenRate(tok));
    return csRateLimitsCheck(lim, rate.get());
}

extern "C" PB_EXPORT PB_STORE* csRateLimitsStore(CS_RATE_LIMITS* lim) {
    PB_ASSERT(lim);
    return lim->bounds.store(boundKeys());
}

extern "C" PB_EXPORT CS_RATE_LIMITS* csRateLimitsRestore(PB_STORE* store) {
    PB_ASSERT(store);
    CS_RATE_LIMITS* lim = csRateLimitsCreate();
    lim->bounds.restore(store, boundKeys(), [](PB_INT value) { return value >= 0; });
    return lim;
}
