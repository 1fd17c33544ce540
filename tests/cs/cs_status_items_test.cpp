// Status item types, status items and their collections: values, order,
// copy-on-write, store forms and what malformed stores restore to.
#include <gtest/gtest.h>

#include <string>

#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "rfc/rfc_base.h"
#include "support/cs_fixture.hpp"
#include "support/live_objects.hpp"
#include "support/text.hpp"

namespace {

using pb::adopt;
using vtest::str;
using Item = pb::Ref<CS_STATUS_ITEM>;
using Items = pb::Ref<CS_STATUS_ITEMS>;
using Store = pb::Ref<PB_STORE>;

struct CsStatusItems : testing::Test {
    VTEST_NO_LEAKS_IN_SCOPE();
    void SetUp() override {
        cs___StatusItemTypeStartup();
        cs___StatusReporterStartup();
    }
    void TearDown() override {
        cs___StatusReporterShutdown();
        cs___StatusItemTypeShutdown();
    }

    pb::Ref<PB_BUFFER> bytes = adopt(pbBufferCreateFromBytes("\x00\xff\x10", 3));
    pb::Ref<PB_STORE> sub = [] {
        auto s = adopt(pbStoreCreate());
        pbStoreSetValueIntCstr(s.out(), "depth", -1, 2);
        return s;
    }();
    // One item of every type, in type order.
    Item all[5] = {adopt(csStatusItemCreateBool(PB_TRUE)), adopt(csStatusItemCreateInt(-7)),
                   adopt(csStatusItemCreateString(str("night").get())), adopt(csStatusItemCreateStore(sub.get())),
                   adopt(csStatusItemCreateBuffer(bytes.get()))};

    Store storeOf(const char* type, void (*value)(PB_STORE**)) {
        auto s = adopt(pbStoreCreate());
        if (type) pbStoreSetValueCstr(s.out(), "type", -1, str(type).get());
        if (value) value(s.out());
        return s;
    }
};

// Every reader answers for every type: the own value, or false / PB_INT_MIN
// / NULL; the trace form carries type and value.
TEST_F(CsStatusItems, ReadersGiveTheOwnValueOrTheNeutralOne) {
    for (PB_INT t = 0; t < 5; ++t) {
        CS_STATUS_ITEM* it = all[t].get();
        EXPECT_EQ(csStatusItemType(it), t);
        EXPECT_EQ(csStatusItemBoolValue(it), t == CS_STATUS_ITEM_TYPE_BOOL);
        EXPECT_EQ(csStatusItemIntValue(it), t == CS_STATUS_ITEM_TYPE_INT ? -7 : PB_INT_MIN);
        EXPECT_EQ(adopt(csStatusItemStringValue(it)).get() != nullptr, t == CS_STATUS_ITEM_TYPE_STRING);
        EXPECT_EQ(adopt(csStatusItemBufferValue(it)).get() != nullptr, t == CS_STATUS_ITEM_TYPE_BUFFER);
        EXPECT_EQ(trPropertyValueType(adopt(csStatusItemToTrPropertyValue(it)).get()), t);
    }
    EXPECT_EQ(trPropertyValueInt(adopt(csStatusItemToTrPropertyValue(all[1].get())).get()), -7);
    EXPECT_EQ(adopt(csStatusItemStoreValue(all[3].get())).get(), sub.get());  // shared, not copied
    EXPECT_FALSE(CS_STATUS_ITEM_TYPE_OK(csStatusItemTypeFromString(str("cs_status_item_type_bool").get())));
}

TEST_F(CsStatusItems, ItemsOrderByTypeThenValue) {
    auto five = adopt(csStatusItemCreateBool(5)), one = adopt(csStatusItemCreateBool(1));
    EXPECT_TRUE(csStatusItemEquals(five.get(), one.get()));  // stored as value != 0
    auto lowest = adopt(csStatusItemCreateInt(PB_INT_MIN));
    EXPECT_EQ(csStatusItemCompare(one.get(), lowest.get()), -1);  // BOOL before any INT
    EXPECT_EQ(csStatusItemCompare(lowest.get(), all[1].get()), -1);
    for (int a = 0; a < 5; ++a)
        for (int b = 0; b < 5; ++b) EXPECT_EQ(csStatusItemCompare(all[a].get(), all[b].get()), a < b ? -1 : a > b);
    auto a = adopt(csStatusItemCreateString(str("a").get())), b = adopt(csStatusItemCreateString(str("b").get()));
    EXPECT_EQ(csStatusItemCompare(b.get(), a.get()), 1);
}

TEST_F(CsStatusItems, ItemStoresRoundTripWithBuffersAsBase64) {
    for (auto& item : all) {
        auto store = adopt(csStatusItemStore(item.get()));
        auto back = adopt(csStatusItemRestore(store.get()));
        ASSERT_TRUE(back);
        EXPECT_TRUE(csStatusItemEquals(back.get(), item.get()));
    }
    auto store = adopt(csStatusItemStore(all[4].get()));
    EXPECT_EQ(vtest::take(pbStoreValueCstr(store.get(), "type", -1)), "CS_STATUS_ITEM_TYPE_BUFFER");
    EXPECT_EQ(vtest::take(pbStoreValueCstr(store.get(), "value", -1)), "AP8Q");
}

TEST_F(CsStatusItems, MalformedItemStoresRestoreToNoItem) {
    auto none = [](PB_STORE**) {};
    auto intValue = [](PB_STORE** s) { pbStoreSetValueIntCstr(s, "value", -1, 1); };
    auto textValue = [](PB_STORE** s) { pbStoreSetValueCstr(s, "value", -1, str("AP8").get()); };
    EXPECT_FALSE(adopt(csStatusItemRestore(storeOf(nullptr, intValue).get())));
    EXPECT_FALSE(adopt(csStatusItemRestore(storeOf("CS_STATUS_ITEM_TYPE_FLOAT", intValue).get())));
    EXPECT_FALSE(adopt(csStatusItemRestore(storeOf("CS_STATUS_ITEM_TYPE_INT", none).get())));
    EXPECT_FALSE(adopt(csStatusItemRestore(storeOf("CS_STATUS_ITEM_TYPE_BOOL", intValue).get())));
    EXPECT_FALSE(adopt(csStatusItemRestore(storeOf("CS_STATUS_ITEM_TYPE_BUFFER", textValue).get())));
    auto typeAsInt = adopt(pbStoreCreate());
    pbStoreSetValueIntCstr(typeAsInt.out(), "type", -1, CS_STATUS_ITEM_TYPE_INT);
    intValue(typeAsInt.out());
    EXPECT_FALSE(adopt(csStatusItemRestore(typeAsInt.get())));
    auto ok = adopt(csStatusItemRestore(storeOf("CS_STATUS_ITEM_TYPE_STRING", textValue).get()));
    EXPECT_EQ(vtest::take(csStatusItemStringValue(ok.get())), "AP8");
}

// Collections keep their names in order and compare their items by value.
TEST_F(CsStatusItems, CollectionsKeepNamesInOrderAndCompareByValue) {
    auto items = adopt(csStatusItemsCreate());
    csStatusItemsSetItem(items.out(), str("zeta").get(), all[1].get());
    csStatusItemsSetItem(items.out(), str("alpha").get(), all[0].get());
    EXPECT_EQ(vtest::take(csStatusItemsNameAt(items.get(), 0)), "alpha");

    csStatusItemsSetItem(items.out(), str("alpha").get(), all[2].get());
    csStatusItemsDelItem(items.out(), str("zeta").get());
    EXPECT_FALSE(csStatusItemsHasItemCstr(items.get(), "zeta", -1));

    auto copy = adopt(csStatusItemsCreateFrom(items.get()));
    auto equalValue = adopt(csStatusItemCreateString(str("night").get()));
    csStatusItemsSetItem(copy.out(), str("alpha").get(), equalValue.get());
    EXPECT_TRUE(csStatusItemsEquals(copy.get(), items.get()));
    csStatusItemsSetItem(copy.out(), str("beta").get(), all[0].get());
    EXPECT_NE(csStatusItemsCompare(copy.get(), items.get()), 0);
}

TEST_F(CsStatusItems, CollectionStoresRoundTripAndSkipBadEntries) {
    auto items = adopt(csStatusItemsCreate());
    const char* names[5] = {"b", "i", "s", "st", "buf"};
    for (int t = 0; t < 5; ++t) csStatusItemsSetItem(items.out(), str(names[t]).get(), all[t].get());
    auto store = adopt(csStatusItemsStore(items.get()));
    EXPECT_EQ(pbStoreLength(store.get()), 5);
    EXPECT_TRUE(csStatusItemsEquals(adopt(csStatusItemsRestore(store.get())).get(), items.get()));

    auto good = adopt(csStatusItemStore(all[1].get()));
    auto bad = storeOf("CS_STATUS_ITEM_TYPE_NONE", nullptr);
    pbStoreSetStoreCstr(store.out(), "NotCamel", -1, good.get());
    pbStoreSetStoreCstr(store.out(), "with space", -1, good.get());
    pbStoreSetStoreCstr(store.out(), "broken", -1, bad.get());
    pbStoreSetValueIntCstr(store.out(), "plain", -1, 3);
    auto back = adopt(csStatusItemsRestore(store.get()));
    EXPECT_TRUE(csStatusItemsEquals(back.get(), items.get()));
    EXPECT_EQ(csStatusItemsLength(adopt(csStatusItemsRestore(adopt(pbStoreCreateArray()).get())).get()), 0);
}

using CsStatusItemsDeathTest = CsStatusItems;

TEST_F(CsStatusItemsDeathTest, PreconditionsStopTheProcess) {
    auto items = adopt(csStatusItemsCreate());
    EXPECT_DEATH(csStatusItemTypeToString(5), "cs_status_item_type.cpp:[0-9]+: CS_STATUS_ITEM_TYPE_OK\\( type \\)\n");
    EXPECT_DEATH(csStatusItemsSetItem(items.out(), str("Upper").get(), all[0].get()),
                 "cs_status_items.cpp:[0-9]+: pbNameCamelCaseOk\\( name, PB_TRUE \\)\n");
    EXPECT_DEATH(csStatusItemsNameAt(items.get(), 0), ": index >= 0 && index < pbDictLength\\( items->dict \\)\n");
}

}  // namespace
