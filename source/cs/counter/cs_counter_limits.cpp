// Counter limits: two optional inclusive bounds, their check and store form.
#include "cs/counter/cs_counter_limits.h"

#include "cs/base/cs_bounds.hpp"
#include "cs/base/cs_module.h"
#include "cs/base/cs_store_keys.hpp"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

namespace {

enum Index { minValue, maxValue, boundCount };

std::array<PB_STRING*, boundCount> boundKeys() {
    const cs::StoreKeys& k = cs::storeKeys();
    return {k.minValue, k.maxValue};
}

}  // namespace

// A value object, shared read-only; holds no references, so it needs no
// free function.
struct CS_COUNTER_LIMITS {
    PB_OBJ obj;
    cs::Bounds<boundCount> bounds;
};

PB_SORT_DEFINE(cs___sort_CS_COUNTER_LIMITS, &cs___module, "CS_COUNTER_LIMITS", nullptr, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csCounterLimits, CS_COUNTER_LIMITS, cs___sort_CS_COUNTER_LIMITS)

CS___BOUND_DEFINE(csCounterLimits, CS_COUNTER_LIMITS, MinValue, minValue)
CS___BOUND_DEFINE(csCounterLimits, CS_COUNTER_LIMITS, MaxValue, maxValue)

extern "C" PB_EXPORT CS_COUNTER_LIMITS* csCounterLimitsCreate(void) {
    return reinterpret_cast<CS_COUNTER_LIMITS*>(
        pb___ObjCreate(sizeof(CS_COUNTER_LIMITS), &cs___sort_CS_COUNTER_LIMITS));
}

extern "C" PB_EXPORT CS_COUNTER_LIMITS* csCounterLimitsCreateFrom(CS_COUNTER_LIMITS* source) {
    PB_ASSERT(source);
    CS_COUNTER_LIMITS* lim = csCounterLimitsCreate();
    lim->bounds = source->bounds;
    return lim;
}

// Each bound reads the value afresh, so a counter that moves between the
// two reads is judged by the newer value for the maximum.
extern "C" PB_EXPORT PB_BOOL csCounterLimitsCheck(CS_COUNTER_LIMITS* lim, CS_COUNTER* cnt) {
    PB_ASSERT(lim);
    PB_ASSERT(cnt);
    const cs::Bound* l = lim->bounds.bound;
    if (l[minValue].has && csCounterValue(cnt) < l[minValue].value) return PB_FALSE;
    if (l[maxValue].has && csCounterValue(cnt) > l[maxValue].value) return PB_FALSE;
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
    return lim->bounds.store(boundKeys());
}

extern "C" PB_EXPORT CS_COUNTER_LIMITS* csCounterLimitsRestore(PB_STORE* store) {
    PB_ASSERT(store);
    CS_COUNTER_LIMITS* lim = csCounterLimitsCreate();
    lim->bounds.restore(store, boundKeys(), [](PB_INT) { return true; });
    return lim;
}
