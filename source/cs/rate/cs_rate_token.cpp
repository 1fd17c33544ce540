// Rate tokens: an amount per second held in a rate's base value.
#include "cs/rate/cs_rate_token.h"

#include "cs/base/cs_module.h"
#include "pb/pb_monitor.hpp"
#include "pb/pb_stdfunc.hpp"

struct CS_RATE_TOKEN {
    PB_OBJ obj;
    PB_MONITOR* monitor;  // set once at creation; guards value
    CS_RATE* rate;        // set once at creation
    PB_INT value;         // guarded by monitor; >= 0, part of the rate's base value
};

namespace {

void tokenFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_RATE_TOKEN);
    auto* tok = reinterpret_cast<CS_RATE_TOKEN*>(obj);
    PB_ASSERT(PB_INT_SUB_OK( 0, tok->value ));
    cs___RateModifyBaseValue(tok->rate, -tok->value);
    pb::releaseField(tok->monitor);
    pb::releaseField(tok->rate);
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_RATE_TOKEN, &cs___module, "CS_RATE_TOKEN", tokenFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csRateToken, CS_RATE_TOKEN, cs___sort_CS_RATE_TOKEN)

extern "C" PB_EXPORT CS_RATE_TOKEN* csRateTokenCreate(CS_RATE* rate) {
    PB_ASSERT(rate);
    auto* tok = reinterpret_cast<CS_RATE_TOKEN*>(pb___ObjCreate(sizeof(CS_RATE_TOKEN), &cs___sort_CS_RATE_TOKEN));
    tok->monitor = pbMonitorCreate();
    tok->rate = csRateRetain(rate);
    tok->value = 0;
    return tok;
}

extern "C" PB_EXPORT CS_RATE* csRateTokenRate(CS_RATE_TOKEN* tok) {
    PB_ASSERT(tok);
    return csRateRetain(tok->rate);
}

extern "C" PB_EXPORT PB_INT csRateTokenDeltaPerSecond(CS_RATE_TOKEN* tok) {
    PB_ASSERT(tok);
    pb::MonitorGuard guard(tok->monitor);
    return tok->value;
}

// The token's monitor is held while the rate changes (lock order: token,
// then rate), so two changes of one token reach the rate in their order.
extern "C" PB_EXPORT void csRateTokenSetDeltaPerSecond(CS_RATE_TOKEN* tok, PB_INT deltaPerSecond) {
    PB_ASSERT(tok);
    PB_ASSERT(deltaPerSecond >= 0);
    pb::MonitorGuard guard(tok->monitor);
    PB_ASSERT(PB_INT_SUB_OK( deltaPerSecond, tok->value ));
    cs___RateModifyBaseValue(tok->rate, deltaPerSecond - tok->value);
    tok->value = deltaPerSecond;
}
