// The options class: defaults, copy-on-write, store form, preconditions.
#include <gtest/gtest.h>

#include <string>

#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "support/cs_fixture.hpp"
#include "support/live_objects.hpp"
#include "support/text.hpp"

namespace {

using pb::adopt;
using vtest::str;

struct CsOptionsTest : testing::Test {
    VTEST_NO_LEAKS_IN_SCOPE();
    pb::Ref<PB_IDENTIFIER> id = adopt(pbIdentifierCreate());
};

TEST_F(CsOptionsTest, DefaultsAndSettersInPlaceWhenHeldOnce) {
    auto opt = adopt(csOptionsCreate(id.get()));
    EXPECT_EQ(adopt(csOptionsSystemIdentifier(opt.get())).get(), id.get());
    EXPECT_FALSE(csOptionsHasComment(opt.get()));
    EXPECT_FALSE(csOptionsIncludePrivateData(opt.get()));
    EXPECT_FALSE(csOptionsMaintenanceMode(opt.get()));

    CS_OPTIONS* first = opt.get();
    csOptionsSetMaintenanceMode(opt.out(), 7);  // held once: changed in place
    EXPECT_EQ(opt.get(), first);
    EXPECT_EQ(csOptionsMaintenanceMode(opt.get()), PB_TRUE);  // stored as value != 0

    csOptionsSetComment(opt.out(), str("night shift").get());

    // CreateFrom shares the field objects; no compare function: identity.
    auto copy = adopt(csOptionsCreateFrom(opt.get()));
    EXPECT_EQ(adopt(csOptionsComment(copy.get())).get(), adopt(csOptionsComment(opt.get())).get());
    EXPECT_FALSE(csOptionsEquals(copy.get(), opt.get()));
}

// The store form round-trips; restoring needs a valid identifier and
// takes each other value only when it has the right type.
TEST_F(CsOptionsTest, StoreAndRestore) {
    auto opt = adopt(csOptionsCreate(id.get()));
    EXPECT_EQ(pbStoreLength(adopt(csOptionsStore(opt.get())).get()), 3);  // no "comment"
    csOptionsSetComment(opt.out(), str("c").get());
    csOptionsSetIncludePrivateData(opt.out(), PB_TRUE);
    auto store = adopt(csOptionsStore(opt.get()));
    auto back = adopt(csOptionsTryRestore(store.get()));
    ASSERT_TRUE(back);
    EXPECT_TRUE(pbIdentifierEquals(adopt(csOptionsSystemIdentifier(back.get())).get(), id.get()));
    EXPECT_EQ(vtest::take(csOptionsComment(back.get())), "c");
    EXPECT_TRUE(csOptionsIncludePrivateData(back.get()));

    pbStoreSetValueIntCstr(store.out(), "comment", -1, 3);                         // wrong type: absent
    pbStoreSetValueCstr(store.out(), "maintenanceMode", -1, str("true").get());  // wrong type: default
    auto mixed = adopt(csOptionsTryRestore(store.get()));
    ASSERT_TRUE(mixed);
    EXPECT_FALSE(csOptionsHasComment(mixed.get()));
    EXPECT_FALSE(csOptionsMaintenanceMode(mixed.get()));
    pbStoreSetValueCstr(store.out(), "systemIdentifier", -1, str("not-an-identifier").get());
    EXPECT_FALSE(adopt(csOptionsTryRestore(store.get())));
    pbStoreDelCstr(store.out(), "systemIdentifier", -1);
    EXPECT_FALSE(adopt(csOptionsTryRestore(store.get())));
}

using CsOptionsDeathTest = CsOptionsTest;

TEST_F(CsOptionsDeathTest, PreconditionsStopTheProcess) {
    auto opt = adopt(csOptionsCreate(id.get()));
    EXPECT_DEATH(csOptionsCreate(nullptr), "cs_options.cpp:[0-9]+: systemIdentifier\n");
    EXPECT_DEATH(csOptionsSetComment(opt.out(), nullptr), ": comment\n");
}

}  // namespace
