// Rate limits: six optional inclusive bounds, their check and store form.
#include "cs/rate/cs_rate_limits.h"

#include "cs/base/cs_module.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

namespace {

// The bounds in their fixed order, which is also the order of the check
// and of the store.
enum Bound { minSecond, maxSecond, minMinute, maxMinute, minHour, maxHour, boundCount };

const char* const boundKeys[boundCount] = {"minSecond", "maxSecond", "minMinute",
                                           "maxMinute", "minHour",   "maxHour"};

struct Limit {
    PB_BOOL has;
    PB_INT value;  // >= 0 while set; 0 while unset
};

}  // namespace

// A value object, shared read-only; holds no references, so it needs no
// free function.
struct CS_RATE_LIMITS {
    PB_OBJ obj;
    Limit bounds[boundCount];
};

PB_SORT_DEFINE(cs___sort_CS_RATE_LIMITS, &cs___module, "CS_RATE_LIMITS", nullptr, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csRateLimits, CS_RATE_LIMITS, cs___sort_CS_RATE_LIMITS)

namespace {

PB_BOOL has(CS_RATE_LIMITS* lim, Bound b) {
    PB_ASSERT(lim);
    return lim->bounds[b].has;
}

PB_INT get(CS_RATE_LIMITS* lim, Bound b) {
    PB_ASSERT(lim);
    return lim->bounds[b].value;
}

void set(CS_RATE_LIMITS** lim, Bound b, PB_INT value) {
    PB_COW(lim, csRateLimitsCreateFrom);
    PB_ASSERT(value >= 0);
    (*lim)->bounds[b] = Limit{PB_TRUE, value};
}

void del(CS_RATE_LIMITS** lim, Bound b) {
    PB_COW(lim, csRateLimitsCreateFrom);
    (*lim)->bounds[b] = Limit{PB_FALSE, 0};
}

bool below(const Limit& min, PB_INT delayed) { return min.has && delayed < min.value; }

bool above(const Limit& max, PB_INT delayed, PB_INT current) {
    return max.has && (delayed > max.value || current > max.value);
}

}  // namespace

#define CS___RATE_LIMITS_BOUND_DEFINE(Bound, b) \
    extern "C" PB_EXPORT PB_BOOL csRateLimitsHas##Bound(CS_RATE_LIMITS* lim) { return has(lim, b); } \
    extern "C" PB_EXPORT PB_INT csRateLimits##Bound(CS_RATE_LIMITS* lim) { return get(lim, b); } \
    extern "C" PB_EXPORT void csRateLimitsSet##Bound(CS_RATE_LIMITS** lim, PB_INT value) { set(lim, b, value); } \
    extern "C" PB_EXPORT void csRateLimitsDel##Bound(CS_RATE_LIMITS** lim) { del(lim, b); }
CS___RATE_LIMITS_BOUND_DEFINE(MinSecond, minSecond)
CS___RATE_LIMITS_BOUND_DEFINE(MaxSecond, maxSecond)
CS___RATE_LIMITS_BOUND_DEFINE(MinMinute, minMinute)
CS___RATE_LIMITS_BOUND_DEFINE(MaxMinute, maxMinute)
CS___RATE_LIMITS_BOUND_DEFINE(MinHour, minHour)
CS___RATE_LIMITS_BOUND_DEFINE(MaxHour, maxHour)
#undef CS___RATE_LIMITS_BOUND_DEFINE

extern "C" PB_EXPORT CS_RATE_LIMITS* csRateLimitsCreate(void) {
    return reinterpret_cast<CS_RATE_LIMITS*>(pb___ObjCreate(sizeof(CS_RATE_LIMITS), &cs___sort_CS_RATE_LIMITS));
}

extern "C" PB_EXPORT CS_RATE_LIMITS* csRateLimitsCreateFrom(CS_RATE_LIMITS* source) {
    PB_ASSERT(source);
    CS_RATE_LIMITS* lim = csRateLimitsCreate();
    for (int b = 0; b < boundCount; ++b) lim->bounds[b] = source->bounds[b];
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
    const Limit* l = lim->bounds;
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
    PB_STORE* store = pbStoreCreate();
    for (int b = 0; b < boundCount; ++b) {
        if (lim->bounds[b].has) pbStoreSetValueIntCstr(&store, boundKeys[b], -1, lim->bounds[b].value);
    }
    return store;
}

extern "C" PB_EXPORT CS_RATE_LIMITS* csRateLimitsRestore(PB_STORE* store) {
    PB_ASSERT(store);
    CS_RATE_LIMITS* lim = csRateLimitsCreate();
    for (int b = 0; b < boundCount; ++b) {
        PB_INT value;
        if (pbStoreValueIntCstr(store, boundKeys[b], -1, &value) && value >= 0) lim->bounds[b] = Limit{PB_TRUE, value};
    }
    return lim;
}
