// Counters: the item and the update signal that follow every change,
// tokens that hold a change, limits and their store form, preconditions.
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
    }
    void TearDown() override {
        cnt.reset();
        rep.reset();
        vtest::CsModuleTest::TearDown();
    }
    // The item's value, or "absent".
    std::string item() {
        auto i = adopt(csStatusReporterItemCstr(rep.get(), "fooSessions", -1));
        return i ? std::to_string(csStatusItemIntValue(i.get())) : "absent";
    }

    pb::Ref<CS_STATUS_REPORTER> rep;
    pb::Ref<CS_COUNTER> cnt;
};

// Tokens of +1, +1 and +3 raise the counter 0 -> 5 and their release
// brings it back to 0, each change reported and signalled once (the
// listener is added again before each); a change of 0 does neither; the
// value may go below 0; the item goes with the counter.
TEST_F(CsCounter, TokensHoldTheirChangeWithOneSignalEach) {
    int signals = 0;
    auto listener = adopt(pbSignalableCreateWithCallback([](void* n) { ++*static_cast<int*>(n); }, &signals));
    auto listen = [&] { csCounterUpdateAddSignalable(cnt.get(), listener.get()); };
    EXPECT_EQ(item(), "0");
    listen();
    auto a = adopt(csCounterTokenCreate(cnt.get()));
    listen();
    auto b = adopt(csCounterTokenCreate(cnt.get()));
    listen();
    auto c = adopt(csCounterTokenCreateWithDelta(cnt.get(), 3));
    EXPECT_EQ(csCounterValue(cnt.get()), 5);
    EXPECT_EQ(item(), "5");
    listen();
    csCounterModifyValue(cnt.get(), 0);
    auto zero = adopt(csCounterTokenCreateWithDelta(cnt.get(), 0));
    zero.reset();
    EXPECT_EQ(signals, 3);
    c.reset();
    EXPECT_EQ(item(), "2");
    listen();
    a.reset();
    listen();
    b.reset();
    EXPECT_EQ(signals, 6);
    EXPECT_EQ(item(), "0");
    csCounterUpdateDelSignalable(cnt.get(), listener.get());
    csCounterModifyValue(cnt.get(), -7);
    EXPECT_EQ(item(), "-7");
    EXPECT_EQ(signals, 6);
    cnt.reset();
    EXPECT_EQ(item(), "absent");
}

// Bounds are inclusive and optional; a token's counter is checked with the
// token's delta in it; the store holds only the bounds that are set; any
// store restores.
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
    csCounterLimitsDelMinValue(lim.out());
    EXPECT_FALSE(csCounterLimitsHasMinValue(lim.get()));
    EXPECT_EQ(vtest::encode(adopt(csCounterLimitsStore(lim.get())).get()), vtest::canonical(R"({"maxValue":10})"));
    auto back = adopt(csCounterLimitsRestore(vtest::json(R"({"minValue":"3","maxValue":-4})").get()));
    EXPECT_FALSE(csCounterLimitsHasMinValue(back.get()));
    EXPECT_EQ(csCounterLimitsMaxValue(back.get()), -4);
}

using CsCounterDeathTest = CsCounter;

TEST_F(CsCounterDeathTest, PreconditionsStopTheProcess) {
    csCounterModifyValue(cnt.get(), PB_INT_MAX);
    EXPECT_DEATH(csCounterModifyValue(cnt.get(), 1), "cs_counter_imp.cpp:[0-9]+: PB_INT_ADD_OK\\( imp->extValue, delta \\)");
    EXPECT_DEATH(csCounterCreateCstr(rep.get(), "FooBar", -1), "pbNameCamelCaseOk\\( name, PB_TRUE \\)");
    EXPECT_DEATH(csCounterTokenCreateWithDelta(cnt.get(), PB_INT_MIN), "pbIntMulOk\\( delta, -1 \\)");
}

}  // namespace
