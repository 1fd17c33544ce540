// The options class: defaults, copy-on-write, store form, preconditions.
#include <gtest/gtest.h>

#include <string>

#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "support/live_objects.hpp"

namespace {

using pb::adopt;

std::string text(PB_STRING* s) {
    if (!s) return "<null>";
    PB_INT n;
    char* c = pbStringConvertToCstr(s, &n);
    std::string out(c, size_t(n));
    pb___MemFree(c);
    pbStringRelease(s);
    return out;
}

pb::Ref<PB_STRING> str(const char* t) { return adopt(pbStringCreateFromCstr(t, -1)); }

struct CsOptionsTest : testing::Test {
    VTEST_NO_LEAKS_IN_SCOPE();
    pb::Ref<PB_IDENTIFIER> id = adopt(pbIdentifierCreate());
};

TEST_F(CsOptionsTest, DefaultsAndSettersThatCopyOnlyWhenShared) {
    auto opt = adopt(csOptionsCreate(id.get()));
    EXPECT_EQ(adopt(csOptionsSystemIdentifier(opt.get())).get(), id.get());
    EXPECT_FALSE(csOptionsHasComment(opt.get()));
    EXPECT_FALSE(csOptionsIncludePrivateData(opt.get()));
    EXPECT_FALSE(csOptionsMaintenanceMode(opt.get()));
    EXPECT_EQ(text(csOptionsToString(opt.get())).rfind("<CS_OPTIONS 0x", 0), 0u);

    CS_OPTIONS* first = opt.get();
    csOptionsSetMaintenanceMode(opt.out(), 7);  // held once: changed in place
    EXPECT_EQ(opt.get(), first);
    EXPECT_EQ(csOptionsMaintenanceMode(opt.get()), PB_TRUE);  // stored as value != 0

    auto other = opt;  // a second holder
    csOptionsSetComment(opt.out(), str("night shift").get());
    EXPECT_NE(opt.get(), other.get());
    EXPECT_EQ(pbObjRefCount(csOptionsObj(opt.get())), 1);
    EXPECT_FALSE(csOptionsHasComment(other.get()));
    EXPECT_EQ(text(csOptionsComment(opt.get())), "night shift");
    EXPECT_TRUE(csOptionsMaintenanceMode(opt.get()));

    auto third = opt;
    csOptionsDelComment(opt.out());
    EXPECT_FALSE(csOptionsHasComment(opt.get()));
    EXPECT_TRUE(csOptionsHasComment(third.get()));

    // CreateFrom shares the field objects.
    auto copy = adopt(csOptionsCreateFrom(third.get()));
    auto c1 = adopt(csOptionsComment(copy.get())), c2 = adopt(csOptionsComment(third.get()));
    EXPECT_EQ(c1.get(), c2.get());
    EXPECT_FALSE(csOptionsEquals(copy.get(), third.get()));  // no compare function: identity
    EXPECT_TRUE(csOptionsEquals(copy.get(), copy.get()));
}

TEST_F(CsOptionsTest, StoreAndRestoreRoundTrip) {
    auto opt = adopt(csOptionsCreate(id.get()));
    auto bare = adopt(csOptionsStore(opt.get()));
    EXPECT_FALSE(pbStoreHasAddressCstr(bare.get(), "comment", -1));
    PB_BOOL flag = 1;
    ASSERT_TRUE(pbStoreValueBoolCstr(bare.get(), "includePrivateData", -1, &flag));
    EXPECT_FALSE(flag);
    ASSERT_TRUE(pbStoreValueBoolCstr(bare.get(), "maintenanceMode", -1, &flag));
    EXPECT_EQ(text(pbStoreValueCstr(bare.get(), "systemIdentifier", -1)), text(pbIdentifierString(id.get())));

    csOptionsSetComment(opt.out(), str("c").get());
    csOptionsSetIncludePrivateData(opt.out(), PB_TRUE);
    auto store = adopt(csOptionsStore(opt.get()));
    auto back = adopt(csOptionsTryRestore(store.get()));
    ASSERT_TRUE(back);
    auto backId = adopt(csOptionsSystemIdentifier(back.get()));
    EXPECT_TRUE(pbIdentifierEquals(backId.get(), id.get()));
    EXPECT_EQ(text(csOptionsComment(back.get())), "c");
    EXPECT_TRUE(csOptionsIncludePrivateData(back.get()));
    EXPECT_FALSE(csOptionsMaintenanceMode(back.get()));
}

TEST_F(CsOptionsTest, RestoreNeedsAValidIdentifierAndSkipsWrongTypes) {
    auto empty = adopt(pbStoreCreate());
    EXPECT_FALSE(adopt(csOptionsTryRestore(empty.get())));
    auto bad = adopt(pbStoreCreate());
    pbStoreSetValueCstr(bad.out(), "systemIdentifier", -1, str("not-an-identifier").get());
    EXPECT_FALSE(adopt(csOptionsTryRestore(bad.get())));
    pbStoreSetValueIntCstr(bad.out(), "systemIdentifier", -1, 5);
    EXPECT_FALSE(adopt(csOptionsTryRestore(bad.get())));

    auto mixed = adopt(pbStoreCreate());
    pbStoreSetValueCstr(mixed.out(), "systemIdentifier", -1, adopt(pbIdentifierString(id.get())).get());
    pbStoreSetValueIntCstr(mixed.out(), "comment", -1, 3);                  // wrong type: absent
    pbStoreSetValueCstr(mixed.out(), "maintenanceMode", -1, str("true").get());  // wrong type: default
    pbStoreSetValueBoolCstr(mixed.out(), "includePrivateData", -1, PB_TRUE);
    auto opt = adopt(csOptionsTryRestore(mixed.get()));
    ASSERT_TRUE(opt);
    EXPECT_FALSE(csOptionsHasComment(opt.get()));
    EXPECT_FALSE(csOptionsMaintenanceMode(opt.get()));
    EXPECT_TRUE(csOptionsIncludePrivateData(opt.get()));
}

using CsOptionsDeathTest = CsOptionsTest;

TEST_F(CsOptionsDeathTest, PreconditionsStopTheProcess) {
    auto opt = adopt(csOptionsCreate(id.get()));
    CS_OPTIONS* none = nullptr;
    EXPECT_DEATH(csOptionsCreate(nullptr), "cs_options.cpp:[0-9]+: systemIdentifier\n");
    EXPECT_DEATH(csOptionsSetComment(&none, str("x").get()), ": \\*opt\n");
    EXPECT_DEATH(csOptionsSetComment(opt.out(), nullptr), ": comment\n");
    auto s = str("x");
    EXPECT_DEATH(csOptionsFrom(pbStringObj(s.get())),
                 "source/cs/base/cs_options.cpp:[0-9]+: stdfunc from: "
                 "!obj \\|\\| pbObjSort\\(obj\\)==&cs___sort_CS_OPTIONS\n");
    EXPECT_DEATH(csOptionsCompare(opt.get(), nullptr), "stdfunc compare b: objB\n");
}

}  // namespace
