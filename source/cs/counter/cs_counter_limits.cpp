// Counter limits: two optional inclusive bounds, their check and store form.
#include "cs/counter/cs_counter_limits.h"

#include "cs/base/cs_module.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

// A value object, shared read-only; holds no references, so it needs no
// free function.
struct CS_COUNTER_LIMITS {
    PB_OBJ obj;
    PB_BOOL hasMinValue;
    PB_INT minValue;  // 0 while unset
    PB_BOOL hasMaxValue;
    PB_INT maxValue;  // 0 while unset
};

PB_SORT_DEFINE(cs___sort_CS_COUNTER_LIMITS, &cs___module, "CS_COUNTER_LIMITS", nullptr, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csCounterLimits, CS_COUNTER_LIMITS, cs___sort_CS_COUNTER_LIMITS)

extern "C" PB_EXPORT CS_COUNTER_LIMITS* csCounterLimitsCreate(void) {
    return reinterpret_cast<CS_COUNTER_LIMITS*>(
        pb___ObjCreate(sizeof(CS_COUNTER_LIMITS), &cs___sort_CS_COUNTER_LIMITS));
}

extern "C" PB_EXPORT CS_COUNTER_LIMITS* csCounterLimitsCreateFrom(CS_COUNTER_LIMITS* source) {
    PB_ASSERT(source);
    CS_COUNTER_LIMITS* lim = csCounterLimitsCreate();
    lim->hasMinValue = source->hasMinValue;
    lim->minValue = source->minValue;
    lim->hasMaxValue = source->hasMaxValue;
    lim->maxValue = source->maxValue;
    return lim;
}

extern "C" PB_EXPORT PB_BOOL csCounterLimitsHasMinValue(CS_COUNTER_LIMITS* lim) {
    PB_ASSERT(lim);
    return lim->hasMinValue;
}
extern "C" PB_EXPORT PB_INT csCounterLimitsMinValue(CS_COUNTER_LIMITS* lim) {
    PB_ASSERT(lim);
    return lim->minValue;
}
extern "C" PB_EXPORT void csCounterLimitsSetMinValue(CS_COUNTER_LIMITS** lim, PB_INT value) {
    PB_COW(lim, csCounterLimitsCreateFrom);
    (*lim)->hasMinValue = PB_TRUE;
    (*lim)->minValue = value;
}
extern "C" PB_EXPORT void csCounterLimitsDelMinValue(CS_COUNTER_LIMITS** lim) {
    PB_COW(lim, csCounterLimitsCreateFrom);
    (*lim)->hasMinValue = PB_FALSE;
    (*lim)->minValue = 0;
}

extern "C" PB_EXPORT PB_BOOL csCounterLimitsHasMaxValue(CS_COUNTER_LIMITS* lim) {
    PB_ASSERT(lim);
    return lim->hasMaxValue;
}
extern "C" PB_EXPORT PB_INT csCounterLimitsMaxValue(CS_COUNTER_LIMITS* lim) {
    PB_ASSERT(lim);
    return lim->maxValue;
}
extern "C" PB_EXPORT void csCounterLimitsSetMaxValue(CS_COUNTER_LIMITS** lim, PB_INT value) {
    PB_COW(lim, csCounterLimitsCreateFrom);
    (*lim)->hasMaxValue = PB_TRUE;
    (*lim)->maxValue = value;
}
extern "C" PB_EXPORT void csCounterLimitsDelMaxValue(CS_COUNTER_LIMITS** lim) {
    PB_COW(lim, csCounterLimitsCreateFrom);
    (*lim)->hasMaxValue = PB_FALSE;
    (*lim)->maxValue = 0;
}

// Each bound reads the value afresh, so a counter that moves between the
// two reads is judged by the newer value for the maximum.
extern "C" PB_EXPORT PB_BOOL csCounterLimitsCheck(CS_COUNTER_LIMITS* lim, CS_COUNTER* cnt) {
    PB_ASSERT(lim);
    PB_ASSERT(cnt);
    if (lim->hasMinValue && csCounterValue(cnt) < lim->minValue) return PB_FALSE;
    if (lim->hasMaxValue && csCounterValue(cnt) > lim->maxValue) return PB_FALSE;
    return PB_TRUE;
}

extern "C" PB_EXPORT PB_BOOL csCounterLimitsCheckWithToken(CS_COUNTER_LIMITS* lim, CS_COUNTER_TOKEN* tok) {
    PB_ASSERT(lim);
    PB_ASSERT(tok);
    auto cnt = pb::adopt(csCounterTokenCounter(tok));
    return csCounterLimitsCheck(lim, cnt.get());
}

extern "C" PB_EXPORT PB_STORE* csCounterLimitsStore(CS_COUNTER_LIMITS* lim) {
    PB_ASSERT(lim);
    PB_STORE* store = pbStoreCreate();
    if (lim->hasMinValue) pbStoreSetValueIntCstr(&store, "minValue", -1, lim->minValue);
    if (lim->hasMaxValue) pbStoreSetValueIntCstr(&store, "maxValue", -1, lim->maxValue);
    return store;
}

extern "C" PB_EXPORT CS_COUNTER_LIMITS* csCounterLimitsRestore(PB_STORE* store) {
    PB_ASSERT(store);
    CS_COUNTER_LIMITS* lim = csCounterLimitsCreate();
    PB_INT value;
    if (pbStoreValueIntCstr(store, "minValue", -1, &value)) csCounterLimitsSetMinValue(&lim, value);
    if (pbStoreValueIntCstr(store, "maxValue", -1, &value)) csCounterLimitsSetMaxValue(&lim, value);
    return lim;
}
