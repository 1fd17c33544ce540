// The options class: store form and preconditions (copy-on-write is the
// value-class table's).
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
    EXPECT_DEATH(csOptionsCreate(nullptr), "cs_options.cpp:[0-9]+: systemIdentifier\n");
}

}  // namespace
