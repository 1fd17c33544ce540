// Counters: the item that follows every change, one update signal per
// change, tokens that hold a change, limits and their store form, and the
// preconditions that stop the process.
#include <gtest/gtest.h>

#include <string>

#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "support/cs_fixture.hpp"
#include "support/store_text.hpp"

namespace {

using pb::adopt;

struct CsCounter : vtest::CsModuleTest {
    void SetUp() override {
        vtest::CsModuleTest::SetUp();
        rep = adopt(csStatusReporterCreate(nullptr));
        cnt = adopt(csCounterCreateCstr(rep.get(), "fooSessions", -1));
        listener = adopt(pbSignalableCreateWithCallback([](void* n) { ++*static_cast<int*>(n); }, &signals));
    }
    void TearDown() override {
        listener.reset();
        cnt.reset();
        rep.reset();
        vtest::CsModuleTest::TearDown();
    }
    // The item's value, or "absent".
    std::string item() {
        auto i = adopt(csStatusReporterItemCstr(rep.get(), "fooSessions", -1));
        return i ? std::to_string(csStatusItemIntValue(i.get())) : "absent";
    }
    // Changes the counter with the listener on its current update signal.
    void change(void (*how)(CsCounter*)) {
        csCounterUpdateAddSignalable(cnt.get(), listener.get());
        how(this);
        csCounterUpdateDelSignalable(cnt.get(), listener.get());
    }

    pb::Ref<CS_STATUS_REPORTER> rep;
    pb::Ref<CS_COUNTER> cnt;
    pb::Ref<PB_SIGNALABLE> listener;
    int signals = 0;
    pb::Ref<CS_COUNTER_TOKEN> tokens[3];
};

// Tokens of +1, +1 and +3 raise the counter 0 -> 5 and their release
// brings it back to 0, each step reported and signalled once; a change of
// 0 neither reports nor signals; the value may go below 0; the item goes
// with the counter.
TEST_F(CsCounter, TokensHoldTheirChangeWithOneSignalEach) {
    EXPECT_EQ(item(), "0");
    EXPECT_EQ(vtest::take(csCounterName(cnt.get())), "fooSessions");
    change([](CsCounter* t) { t->tokens[0] = adopt(csCounterTokenCreate(t->cnt.get())); });
    change([](CsCounter* t) { t->tokens[1] = adopt(csCounterTokenCreate(t->cnt.get())); });
    change([](CsCounter* t) { t->tokens[2] = adopt(csCounterTokenCreateWithDelta(t->cnt.get(), 3)); });
    EXPECT_EQ(csCounterValue(cnt.get()), 5);
    EXPECT_EQ(item(), "5");
    EXPECT_EQ(signals, 3);
    EXPECT_EQ(csCounterTokenDelta(tokens[2].get()), 3);
    EXPECT_EQ(adopt(csCounterTokenCounter(tokens[2].get())).get(), cnt.get());
    change([](CsCounter* t) { csCounterModifyValue(t->cnt.get(), 0); });
    auto zero = adopt(csCounterTokenCreateWithDelta(cnt.get(), 0));
    change([](CsCounter* t) { t->tokens[2].reset(); });
    EXPECT_EQ(item(), "2");
    change([](CsCounter* t) { t->tokens[0].reset(); });
    change([](CsCounter* t) { t->tokens[1].reset(); });
    zero.reset();
    EXPECT_EQ(signals, 6);
    EXPECT_EQ(item(), "0");
    csCounterModifyValue(cnt.get(), -7);
    EXPECT_EQ(item(), "-7");
    cnt.reset();
    EXPECT_EQ(item(), "absent");
}

// Bounds are inclusive, each is optional, a token's counter is checked
// with the token's delta in it; the store holds only the bounds that are
// set and any store restores; a shared object is copied before a change.
TEST_F(CsCounter, LimitsCheckStoreAndRestore) {
    auto lim = adopt(csCounterLimitsCreate());
    EXPECT_TRUE(csCounterLimitsCheck(lim.get(), cnt.get()));
    csCounterLimitsSetMinValue(lim.out(), 1);
    csCounterLimitsSetMaxValue(lim.out(), 10);
    EXPECT_FALSE(csCounterLimitsCheck(lim.get(), cnt.get()));  // 0
    auto tok = adopt(csCounterTokenCreate(cnt.get()));
    EXPECT_TRUE(csCounterLimitsCheckWithToken(lim.get(), tok.get()));  // 1
    csCounterModifyValue(cnt.get(), 9);
    EXPECT_TRUE(csCounterLimitsCheck(lim.get(), cnt.get()));  // 10
    csCounterModifyValue(cnt.get(), 1);
    EXPECT_FALSE(csCounterLimitsCheck(lim.get(), cnt.get()));  // 11

    auto shared = lim;
    csCounterLimitsDelMinValue(lim.out());
    EXPECT_NE(lim.get(), shared.get());
    EXPECT_TRUE(csCounterLimitsHasMinValue(shared.get()));
    EXPECT_FALSE(csCounterLimitsHasMinValue(lim.get()));
    EXPECT_EQ(csCounterLimitsMinValue(lim.get()), 0);
    auto store = adopt(csCounterLimitsStore(lim.get()));
    EXPECT_EQ(vtest::encode(store.get()), vtest::canonical(R"({"maxValue":10})"));

    auto odd = vtest::json(R"({"minValue":"3","maxValue":-4})");
    auto back = adopt(csCounterLimitsRestore(odd.get()));
    EXPECT_FALSE(csCounterLimitsHasMinValue(back.get()));
    EXPECT_EQ(csCounterLimitsMaxValue(back.get()), -4);
}

using CsCounterDeathTest = CsCounter;

TEST_F(CsCounterDeathTest, PreconditionsStopTheProcess) {
    csCounterModifyValue(cnt.get(), PB_INT_MAX);
    EXPECT_DEATH(csCounterModifyValue(cnt.get(), 1), "cs_counter_imp.cpp:[0-9]+: PB_INT_ADD_OK\\( imp->extValue, delta \\)");
    EXPECT_DEATH(csCounterCreateCstr(rep.get(), "FooBar", -1), "pbNameCamelCaseOk\\( name, PB_TRUE \\)");
    EXPECT_DEATH(csCounterTokenCreateWithDelta(cnt.get(), PB_INT_MIN), "cs_counter_token.cpp:[0-9]+: pbIntMulOk\\( delta, -1 \\)");
    EXPECT_DEATH(csCounterValue(nullptr), "cs_counter.cpp:[0-9]+: cnt\n");
}

}  // namespace
