// Counter tokens: a delta added at creation and taken back at the end.
#include "cs/counter/cs_counter_token.h"

#include "cs/base/cs_module.h"
#include "pb/pb_int.h"
#include "pb/pb_stdfunc.hpp"

struct CS_COUNTER_TOKEN {
    PB_OBJ obj;
    CS_COUNTER* counter;  // set once at creation
    PB_INT delta;         // set once at creation; part of the counter's value for the token's life
};

namespace {

void tokenFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_COUNTER_TOKEN);
    auto* tok = reinterpret_cast<CS_COUNTER_TOKEN*>(obj);
    csCounterModifyValue(tok->counter, -tok->delta);
    pb::releaseField(tok->counter);
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_COUNTER_TOKEN, &cs___module, "CS_COUNTER_TOKEN", tokenFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csCounterToken, CS_COUNTER_TOKEN, cs___sort_CS_COUNTER_TOKEN)

extern "C" PB_EXPORT CS_COUNTER_TOKEN* csCounterTokenCreate(CS_COUNTER* cnt) {
    return csCounterTokenCreateWithDelta(cnt, 1);
}

extern "C" PB_EXPORT CS_COUNTER_TOKEN* csCounterTokenCreateWithDelta(CS_COUNTER* cnt, PB_INT delta) {
    PB_ASSERT(cnt);
    PB_ASSERT(pbIntMulOk( delta, -1 ));
    auto* tok = reinterpret_cast<CS_COUNTER_TOKEN*>(
        pb___ObjCreate(sizeof(CS_COUNTER_TOKEN), &cs___sort_CS_COUNTER_TOKEN));
    tok->counter = csCounterRetain(cnt);
    tok->delta = delta;
    csCounterModifyValue(cnt, delta);
    return tok;
}

extern "C" PB_EXPORT CS_COUNTER* csCounterTokenCounter(CS_COUNTER_TOKEN* tok) {
    PB_ASSERT(tok);
    return csCounterRetain(tok->counter);
}

extern "C" PB_EXPORT PB_INT csCounterTokenDelta(CS_COUNTER_TOKEN* tok) {
    PB_ASSERT(tok);
    return tok->delta;
}
