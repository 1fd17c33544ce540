// Statuses and status reporters: snapshots, one notification per change,
// the end of a status, the stream properties that mirror the items, and
// writers, readers and listeners on many threads.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "support/cs_fixture.hpp"
#include "support/listener.hpp"
#include "support/live_objects.hpp"
#include "tr/tr.h"
#include "support/text.hpp"

namespace {

using pb::adopt;
using vtest::str;

void count(void* context) { static_cast<std::atomic<int>*>(context)->fetch_add(1); }

struct CsStatusReporter : testing::Test {
    VTEST_NO_LEAKS_IN_SCOPE();
    void SetUp() override {
        cs___StatusItemTypeStartup();
        cs___StatusReporterStartup();
        auto anchor = adopt(trAnchorCreate(owner.get(), 9));
        rep = adopt(csStatusReporterCreate(anchor.get()));
        stream = adopt(trStreamLinkAt(owner.get(), 0));
        stat = adopt(csStatusReporterStatus(rep.get()));
    }
    void TearDown() override {
        stat.reset();
        stream.reset();
        rep.reset();
        owner.reset();
        cs___StatusReporterShutdown();
        cs___StatusItemTypeShutdown();
    }

    pb::Ref<PB_SIGNALABLE> counting(std::atomic<int>* n) { return adopt(pbSignalableCreateWithCallback(count, n)); }
    pb::Ref<CS_STATUS_ITEMS> snapshot() { return adopt(csStatusItems(stat.get())); }
    pb::Ref<TR_PROPERTY_VALUE> property(const char* key) { return adopt(trStreamPropertyCstr(stream.get(), key, -1)); }
    // The property read as a bool or an int; a missing one fails the test
    // (and reads as false or -1) instead of stopping the program.
    bool boolProperty(const char* key) {
        auto value = property(key);
        EXPECT_TRUE(value) << "no trace property " << key;
        return value && trPropertyValueBool(value.get());
    }
    PB_INT intProperty(const char* key) {
        auto value = property(key);
        EXPECT_TRUE(value) << "no trace property " << key;
        return value ? trPropertyValueInt(value.get()) : -1;
    }

    pb::Ref<TR_STREAM> owner = adopt(trStreamCreateCstr("TEST_OWNER", -1));
    pb::Ref<CS_STATUS_REPORTER> rep;
    pb::Ref<TR_STREAM> stream;  // the reporter's stream, reached through the anchor
    pb::Ref<CS_STATUS> stat;
};

TEST_F(CsStatusReporter, FreshReporterIsEmptyOpenAndTraced) {
    ASSERT_TRUE(stream);
    EXPECT_EQ(vtest::take(trStreamName(stream.get())), "CS_STATUS_REPORTER");
    EXPECT_EQ(csStatusItemsLength(snapshot().get()), 0);
    EXPECT_FALSE(csStatusEnd(stat.get()));
    auto anchor = adopt(trAnchorCreate(owner.get(), 10));
    csStatusReporterTraceCompleteAnchor(rep.get(), anchor.get());
    EXPECT_EQ(adopt(trStreamLinkAt(owner.get(), 1)).get(), stream.get());

    csStatusReporterSetUp(rep.get(), 3);
    EXPECT_TRUE(csStatusItemBoolValue(adopt(csStatusReporterItemCstr(rep.get(), "csUp", -1)).get()));
    EXPECT_TRUE(boolProperty("csUp"));
}

// The setters share one path per value type whatever form the name takes;
// a few of them land as the items they name, and the stream property under
// each name is that item's trace value.
TEST_F(CsStatusReporter, SettersBuildTheNamedItems) {
    auto sub = adopt(pbStoreCreate());
    auto given = adopt(csStatusItemCreateInt(1));
    csStatusReporterSetItem(rep.get(), str("a").get(), given.get());
    csStatusReporterSetItemCstrBool(rep.get(), "bXX", 1, PB_TRUE);
    csStatusReporterSetItemCstrStore(rep.get(), "e", -1, sub.get());
    csStatusReporterSetItemCstrStringFormatWcstr(rep.get(), "h", -1, L"%i/%lc", -1, PB_INT(42), "x");

    auto expected = adopt(csStatusItemsCreate());
    auto put = [&](const char* name, CS_STATUS_ITEM* item) {
        csStatusItemsSetItem(expected.out(), str(name).get(), item);
        csStatusItemRelease(item);
    };
    put("a", csStatusItemRetain(given.get()));
    put("b", csStatusItemCreateBool(PB_TRUE));
    put("e", csStatusItemCreateStore(sub.get()));
    put("h", csStatusItemCreateString(str("42/x").get()));
    EXPECT_TRUE(csStatusItemsEquals(snapshot().get(), expected.get()));
    EXPECT_EQ(trStreamPropertiesCount(stream.get()), csStatusItemsLength(expected.get()));
    for (PB_INT i = 0; i < csStatusItemsLength(expected.get()); ++i) {
        auto name = adopt(csStatusItemsNameAt(expected.get(), i));
        auto want = adopt(csStatusItemToTrPropertyValue(adopt(csStatusItemsItemAt(expected.get(), i)).get()));
        EXPECT_TRUE(trPropertyValueEquals(adopt(trStreamProperty(stream.get(), name.get())).get(), want.get()));
    }
}

TEST_F(CsStatusReporter, SnapshotsNeverChangeAfterward) {
    auto before = snapshot();
    csStatusReporterSetItemCstrInt(rep.get(), "load", -1, 1);
    auto after = snapshot();
    EXPECT_FALSE(csStatusItemsHasItemCstr(before.get(), "load", -1));
    EXPECT_TRUE(csStatusItemsHasItemCstr(after.get(), "load", -1));
    csStatusReporterSetItemCstrInt(rep.get(), "load", -1, 2);
    csStatusReporterDelItemCstr(rep.get(), "load", -1);
    EXPECT_EQ(csStatusItemIntValue(adopt(csStatusItemsItemCstr(after.get(), "load", -1)).get()), 1);
    EXPECT_FALSE(csStatusReporterHasItemCstr(rep.get(), "load", -1));
    EXPECT_FALSE(property("load"));
}

// Integer and boolean items that nobody else holds change in place; an
// item that a reader still holds (alone, or through a snapshot) keeps its
// value, and the change is heard either way.
TEST_F(CsStatusReporter, ScalarItemsChangeInPlaceOnlyWhenNobodyHoldsThem) {
    std::atomic<int> heard{0};
    auto listener = counting(&heard);
    auto name = str("load");
    csStatusReporterSetItemInt(rep.get(), name.get(), 1);
    auto held = adopt(csStatusReporterItem(rep.get(), name.get()));
    csStatusUpdateAddSignalable(stat.get(), listener.get());
    csStatusReporterSetItemInt(rep.get(), name.get(), 2);
    EXPECT_EQ(heard.load(), 1);
    EXPECT_EQ(csStatusItemIntValue(held.get()), 1);
    held.reset();
    for (PB_INT v : {3, 4}) {
        auto before = snapshot();
        csStatusReporterSetItemInt(rep.get(), name.get(), v);
        EXPECT_EQ(csStatusItemIntValue(adopt(csStatusItemsItem(before.get(), name.get())).get()), v - 1);
    }
    csStatusReporterSetItemInt(rep.get(), name.get(), 5);  // in place: nobody holds the item now
    csStatusReporterSetItemBool(rep.get(), name.get(), PB_TRUE);  // another type: a new item
    csStatusReporterSetUp(rep.get(), PB_FALSE);
    csStatusReporterSetUp(rep.get(), PB_TRUE);
    auto items = snapshot();
    EXPECT_TRUE(csStatusItemBoolValue(adopt(csStatusItemsItem(items.get(), name.get())).get()));
    EXPECT_TRUE(csStatusItemBoolValue(adopt(csStatusItemsItemCstr(items.get(), "csUp", -1)).get()));
    EXPECT_TRUE(trPropertyValueEquals(property("load").get(), adopt(trPropertyValueCreateBool(PB_TRUE)).get()));
}

// A listener hears one change per addition, even when several changes
// follow, and none after it was removed; a change that changes nothing
// (deleting an absent name) is a change too.
TEST_F(CsStatusReporter, OneNotificationPerAddedSignalable) {
    std::atomic<int> heard{0};
    auto listener = counting(&heard);
    csStatusUpdateAddSignalable(stat.get(), listener.get());
    csStatusReporterSetItemCstrInt(rep.get(), "load", -1, 1);
    csStatusReporterSetItemCstrInt(rep.get(), "load", -1, 1);
    EXPECT_EQ(heard.load(), 1);
    csStatusUpdateAddSignalable(stat.get(), listener.get());
    csStatusReporterDelItemCstr(rep.get(), "absent", -1);
    EXPECT_EQ(heard.load(), 2);
    csStatusUpdateAddSignalable(stat.get(), listener.get());
    csStatusUpdateDelSignalable(stat.get(), listener.get());
    csStatusReporterSetUp(rep.get(), PB_TRUE);
    EXPECT_EQ(heard.load(), 2);
    EXPECT_EQ(pbObjRefCount(pbSignalableObj(listener.get())), 1);  // nothing keeps it
}

// A listener that reads and adds itself again while it is notified hears
// the next change, not the one it is being told about, and reads the
// status as that change left it.
TEST_F(CsStatusReporter, ListenerMayReAddItselfWhileNotified) {
    int seen = 0;
    vtest::Listener listener([&](PB_SIGNALABLE* s) {
        seen = int(csStatusItemsLength(snapshot().get()));
        csStatusUpdateAddSignalable(stat.get(), s);
    });
    csStatusReporterSetItemCstrInt(rep.get(), "a", -1, 1);
    csStatusReporterSetItemCstrInt(rep.get(), "b", -1, 1);
    EXPECT_EQ(listener.heard, 2);
    EXPECT_EQ(seen, 2);
    csStatusUpdateDelSignalable(stat.get(), listener.signalable.get());
}

TEST_F(CsStatusReporter, EndFiresBothSignalsAndKeepsItemsReadable) {
    std::atomic<int> ended{0}, updated{0};
    auto onEnd = counting(&ended), onUpdate = counting(&updated);
    csStatusEndAddSignalable(stat.get(), onEnd.get());
    csStatusUpdateAddSignalable(stat.get(), onUpdate.get());
    csStatusReporterSetItemCstrInt(rep.get(), "load", -1, 7);
    csStatusUpdateAddSignalable(stat.get(), onUpdate.get());
    cs___StatusSetEnd(stat.get());
    EXPECT_TRUE(csStatusEnd(stat.get()));
    EXPECT_EQ(ended.load(), 1);
    EXPECT_EQ(updated.load(), 2);
    csStatusEndAddSignalable(stat.get(), onEnd.get());  // already ended: at once
    EXPECT_EQ(ended.load(), 2);
    rep.reset();  // the status outlives its reporter
    EXPECT_EQ(csStatusItemIntValue(adopt(csStatusItemsItemCstr(snapshot().get(), "load", -1)).get()), 7);
}

// Writers, readers and listeners at once: every snapshot holds only values
// that were written, a listener hears at most one change per addition, and
// the stream ends with the same last values as the status.
TEST_F(CsStatusReporter, ManyThreadsWriteReadAndListen) {
    constexpr int kWriters = 3, kReaders = 2, kListeners = 2, kRounds = 200;
    const char* names[kWriters] = {"alpha", "beta", "gamma"};
    std::atomic<int> heard{0};
    std::atomic<bool> torn{false};
    std::vector<std::thread> threads;
    for (int w = 0; w < kWriters; ++w)
        threads.emplace_back([&, w] {
            for (PB_INT i = 1; i <= kRounds; ++i) {
                if (i % 10 == 0) csStatusReporterDelItemCstr(rep.get(), names[w], -1);
                csStatusReporterSetItemCstrInt(rep.get(), names[w], -1, i);
            }
        });
    for (int r = 0; r < kReaders; ++r)
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                auto items = snapshot();
                for (PB_INT k = 0; k < csStatusItemsLength(items.get()); ++k) {
                    auto item = adopt(csStatusItemsItemAt(items.get(), k));
                    PB_INT v = csStatusItemIntValue(item.get());
                    if (v < 1 || v > kRounds) torn = true;
                }
            }
        });
    for (int l = 0; l < kListeners; ++l)
        threads.emplace_back([&] {
            auto listener = counting(&heard);
            for (int i = 0; i < kRounds; ++i) csStatusUpdateAddSignalable(stat.get(), listener.get());
            csStatusUpdateDelSignalable(stat.get(), listener.get());
        });
    for (auto& t : threads) t.join();
    EXPECT_FALSE(torn);
    EXPECT_LE(heard.load(), kListeners * kRounds);
    auto items = snapshot();
    EXPECT_EQ(csStatusItemsLength(items.get()), kWriters);
    for (const char* name : names) {
        auto item = adopt(csStatusItemsItemCstr(items.get(), name, -1));
        EXPECT_EQ(csStatusItemIntValue(item.get()), kRounds);
        EXPECT_EQ(intProperty(name), kRounds);
    }
}

using CsStatusReporterDeathTest = CsStatusReporter;

TEST_F(CsStatusReporterDeathTest, PreconditionsStopTheProcess) {
    EXPECT_DEATH(csStatusReporterSetItemCstrInt(rep.get(), "Bad", -1, 1),
                 "cs_status.cpp:[0-9]+: pbNameCamelCaseOk\\( name, PB_TRUE \\)\n");
    EXPECT_DEATH(csStatusReporterSetItemCstrString(rep.get(), "a", -1, nullptr), "cs_status_item.cpp:[0-9]+: string\n");
    cs___StatusSetEnd(stat.get());
    EXPECT_DEATH(csStatusReporterDelItemCstr(rep.get(), "a", -1), ": !pbSignalAsserted\\( stat->endSignal \\)\n");
}

}  // namespace
