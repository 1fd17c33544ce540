// Rates: the public object, forwarding to its implementation.
#include "cs/rate/cs_rate.h"

#include "cs/base/cs_module.h"
#include "cs/rate/cs_rate_imp.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

struct CS_RATE {
    PB_OBJ obj;
    CS___RATE_IMP* imp;  // set once at creation; never NULL
};

namespace {

// Halting first stops the steps even while a step in progress still holds
// the implementation.
void rateFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_RATE);
    auto* rate = reinterpret_cast<CS_RATE*>(obj);
    cs___RateImpHalt(rate->imp);
    pb::releaseField(rate->imp);
}

// The check every public operation makes before it forwards.
CS___RATE_IMP* impOf(CS_RATE* rate) {
    PB_ASSERT(rate);
    return rate->imp;
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_RATE, &cs___module, "CS_RATE", rateFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csRate, CS_RATE, cs___sort_CS_RATE)

extern "C" PB_EXPORT CS_RATE* csRateCreate(CS_STATUS_REPORTER* rep, PB_STRING* baseName) {
    CS___RATE_IMP* imp = cs___RateImpCreate(rep, baseName);
    auto* rate = reinterpret_cast<CS_RATE*>(pb___ObjCreate(sizeof(CS_RATE), &cs___sort_CS_RATE));
    rate->imp = imp;
    return rate;
}

extern "C" PB_EXPORT CS_RATE* csRateCreateCstr(CS_STATUS_REPORTER* rep, const char* baseName, PB_INT length) {
    auto str = pb::adopt(pbStringCreateFromCstr(baseName, length));
    return csRateCreate(rep, str.get());
}

extern "C" PB_EXPORT CS_RATE* csRateCreateWcstr(CS_STATUS_REPORTER* rep, const wchar_t* baseName, PB_INT length) {
    auto str = pb::adopt(pbStringCreateFromWcstr(baseName, length));
    return csRateCreate(rep, str.get());
}

extern "C" PB_EXPORT PB_STRING* csRateBaseName(CS_RATE* rate) { return cs___RateImpBaseName(impOf(rate)); }

extern "C" PB_EXPORT void csRateContribute(CS_RATE* rate, PB_INT deltaPerSecond) {
    cs___RateImpContribute(impOf(rate), deltaPerSecond);
}

extern "C" PB_EXPORT PB_BOOL csRateTryContributeWithLimits(CS_RATE* rate, CS_RATE_LIMITS* lim,
                                                           PB_INT deltaPerSecond) {
    return cs___RateImpTryContributeWithLimits(impOf(rate), lim, deltaPerSecond);
}

extern "C" PB_EXPORT PB_INT csRateSecond(CS_RATE* rate) { return cs___RateImpSecond(impOf(rate)); }
extern "C" PB_EXPORT PB_INT csRateMinute(CS_RATE* rate) { return cs___RateImpMinute(impOf(rate)); }
extern "C" PB_EXPORT PB_INT csRateHour(CS_RATE* rate) { return cs___RateImpHour(impOf(rate)); }

extern "C" PB_EXPORT void cs___RateModifyBaseValue(CS_RATE* rate, PB_INT deltaPerSecond) {
    cs___RateImpModifyBaseValue(impOf(rate), deltaPerSecond);
}

extern "C" PB_EXPORT void cs___RateValues(CS_RATE* rate, PB_INT* secondDelayed, PB_INT* secondCurrent,
                                          PB_INT* minuteDelayed, PB_INT* minuteCurrent, PB_INT* hourDelayed,
                                          PB_INT* hourCurrent) {
    cs___RateImpValues(impOf(rate), secondDelayed, secondCurrent, minuteDelayed, minuteCurrent, hourDelayed,
                       hourCurrent);
}
