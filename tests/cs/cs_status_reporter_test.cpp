// Statuses and status reporters: snapshots, one notification per change,
// the end of a status, the stream properties that mirror the items, the
// whole setter family, and writers, readers and listeners on many threads.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "support/live_objects.hpp"
#include "tr/tr.h"

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

    pb::Ref<TR_STREAM> owner = adopt(trStreamCreateCstr("TEST_OWNER", -1));
    pb::Ref<CS_STATUS_REPORTER> rep;
    pb::Ref<TR_STREAM> stream;  // the reporter's stream, reached through the anchor
    pb::Ref<CS_STATUS> stat;
};

TEST_F(CsStatusReporter, FreshReporterIsEmptyOpenAndTraced) {
    ASSERT_TRUE(stream);
    EXPECT_EQ(text(trStreamName(stream.get())), "CS_STATUS_REPORTER");
    EXPECT_EQ(trStreamPropertiesCount(stream.get()), 0);
    EXPECT_EQ(csStatusItemsLength(snapshot().get()), 0);
    EXPECT_FALSE(csStatusEnd(stat.get()));
    auto anchor = adopt(trAnchorCreate(owner.get(), 10));
    csStatusReporterTraceCompleteAnchor(rep.get(), anchor.get());
    EXPECT_EQ(adopt(trStreamLinkAt(owner.get(), 1)).get(), stream.get());
    EXPECT_EQ(trStreamLinkKindAt(owner.get(), 1), 10);
}

TEST_F(CsStatusReporter, SetUpWritesCsUpIntoStatusAndStream) {
    csStatusReporterSetUp(rep.get(), 3);
    auto item = adopt(csStatusReporterItemCstr(rep.get(), "csUp", -1));
    ASSERT_TRUE(item);
    EXPECT_TRUE(csStatusItemHasBoolValue(item.get()));
    EXPECT_TRUE(csStatusItemBoolValue(item.get()));
    EXPECT_EQ(trPropertyValueType(property("csUp").get()), TR_PROPERTY_VALUE_TYPE_BOOL);
    EXPECT_TRUE(trPropertyValueBool(property("csUp").get()));
    EXPECT_TRUE(csStatusReporterHasItemWcstr(rep.get(), L"csUp", -1));
    EXPECT_FALSE(csStatusReporterHasItem(rep.get(), str("csDown").get()));
}

// Every member of the family lands as the item it names, and the stream
// property under each name is that item's trace value.
TEST_F(CsStatusReporter, SetterFamilyBuildsTheNamedItems) {
    auto s = str("v"), fmt = str("%i/%lc");
    auto sub = adopt(pbStoreCreate());
    auto buf = adopt(pbBufferCreateFromBytes("ab", 2));
    auto given = adopt(csStatusItemCreateInt(1));
    CS_STATUS_REPORTER* r = rep.get();
    const PB_INT n = 42;
    csStatusReporterSetItem(r, str("a").get(), given.get());
    csStatusReporterSetItemBool(r, str("b").get(), PB_TRUE);
    csStatusReporterSetItemInt(r, str("c").get(), 2);
    csStatusReporterSetItemString(r, str("d").get(), s.get());
    csStatusReporterSetItemStore(r, str("e").get(), sub.get());
    csStatusReporterSetItemBuffer(r, str("f").get(), buf.get());
    csStatusReporterSetItemCstr(r, "gXX", 1, given.get());
    csStatusReporterSetItemCstrBool(r, "h", -1, PB_FALSE);
    csStatusReporterSetItemCstrInt(r, "i", -1, 3);
    csStatusReporterSetItemCstrString(r, "j", -1, s.get());
    csStatusReporterSetItemCstrStore(r, "k", -1, sub.get());
    csStatusReporterSetItemCstrBuffer(r, "l", -1, buf.get());
    csStatusReporterSetItemWcstr(r, L"mXX", 1, given.get());
    csStatusReporterSetItemWcstrBool(r, L"n", -1, PB_TRUE);
    csStatusReporterSetItemWcstrInt(r, L"o", -1, 4);
    csStatusReporterSetItemWcstrString(r, L"p", -1, s.get());
    csStatusReporterSetItemWcstrStore(r, L"q", -1, sub.get());
    csStatusReporterSetItemWcstrBuffer(r, L"r", -1, buf.get());
    csStatusReporterSetItemStringFormat(r, str("fa").get(), fmt.get(), n, "x");
    csStatusReporterSetItemStringFormatCstr(r, str("fb").get(), "%i/%lc", -1, n, "x");
    csStatusReporterSetItemStringFormatWcstr(r, str("fc").get(), L"%i/%lc", -1, n, "x");
    csStatusReporterSetItemCstrStringFormat(r, "fd", -1, fmt.get(), n, "x");
    csStatusReporterSetItemCstrStringFormatCstr(r, "fe", -1, "%i/%lc", -1, n, "x");
    csStatusReporterSetItemCstrStringFormatWcstr(r, "ff", -1, L"%i/%lc", -1, n, "x");
    csStatusReporterSetItemWcstrStringFormat(r, L"fg", -1, fmt.get(), n, "x");
    csStatusReporterSetItemWcstrStringFormatCstr(r, L"fh", -1, "%i/%lc", -1, n, "x");
    csStatusReporterSetItemWcstrStringFormatWcstr(r, L"fi", -1, L"%i/%lc", -1, n, "x");

    auto expected = adopt(csStatusItemsCreate());
    auto put = [&](const char* name, CS_STATUS_ITEM* item) {
        csStatusItemsSetItem(expected.out(), str(name).get(), item);
        csStatusItemRelease(item);
    };
    const char* perForm[3][6] = {{"a", "b", "c", "d", "e", "f"}, {"g", "h", "i", "j", "k", "l"},
                                 {"m", "n", "o", "p", "q", "r"}};
    for (PB_INT form = 0; form < 3; ++form) {
        put(perForm[form][0], csStatusItemRetain(given.get()));
        put(perForm[form][1], csStatusItemCreateBool(form != 1));
        put(perForm[form][2], csStatusItemCreateInt(form + 2));
        put(perForm[form][3], csStatusItemCreateString(s.get()));
        put(perForm[form][4], csStatusItemCreateStore(sub.get()));
        put(perForm[form][5], csStatusItemCreateBuffer(buf.get()));
    }
    for (const char* f : {"fa", "fb", "fc", "fd", "fe", "ff", "fg", "fh", "fi"})
        put(f, csStatusItemCreateString(str("42/x").get()));

    auto got = snapshot();
    EXPECT_TRUE(csStatusItemsEquals(got.get(), expected.get())) << text(pbStoreToString(adopt(csStatusItemsStore(got.get())).get()));
    EXPECT_EQ(trStreamPropertiesCount(stream.get()), csStatusItemsLength(expected.get()));
    for (PB_INT i = 0; i < csStatusItemsLength(expected.get()); ++i) {
        auto name = adopt(csStatusItemsNameAt(expected.get(), i));
        auto item = adopt(csStatusItemsItemAt(expected.get(), i));
        auto want = adopt(csStatusItemToTrPropertyValue(item.get()));
        auto have = adopt(trStreamProperty(stream.get(), name.get()));
        EXPECT_TRUE(trPropertyValueEquals(have.get(), want.get())) << text(pbStringRetain(name.get()));
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

    // A collection put in place is the status's; the caller's later change copies.
    auto mine = adopt(csStatusItemsCreate());
    cs___StatusSetItems(stat.get(), mine.get());
    auto item = adopt(csStatusItemCreateInt(5));
    csStatusItemsSetItem(mine.out(), str("late").get(), item.get());
    EXPECT_EQ(csStatusItemsLength(snapshot().get()), 0);
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
// the next change, not the one it is being told about.
TEST_F(CsStatusReporter, ListenerMayReAddItselfWhileNotified) {
    struct Follower {
        CS_STATUS* stat;
        PB_SIGNALABLE* self;
        int heard;
        PB_INT seen;
    } f{stat.get(), nullptr, 0, 0};
    auto listener = adopt(pbSignalableCreateWithCallback(
        [](void* ctx) {
            auto* f = static_cast<Follower*>(ctx);
            ++f->heard;
            auto items = adopt(csStatusItems(f->stat));
            f->seen = csStatusItemsLength(items.get());
            csStatusUpdateAddSignalable(f->stat, f->self);
        },
        &f));
    f.self = listener.get();
    csStatusUpdateAddSignalable(stat.get(), listener.get());
    csStatusReporterSetItemCstrInt(rep.get(), "a", -1, 1);
    EXPECT_EQ(f.heard, 1);
    EXPECT_EQ(f.seen, 1);
    csStatusReporterSetItemCstrInt(rep.get(), "b", -1, 1);
    EXPECT_EQ(f.heard, 2);
    EXPECT_EQ(f.seen, 2);
    csStatusUpdateDelSignalable(stat.get(), listener.get());
}

TEST_F(CsStatusReporter, EndFiresBothSignalsAndKeepsItemsReadable) {
    std::atomic<int> ended{0}, updated{0};
    auto onEnd = counting(&ended), onUpdate = counting(&updated);
    csStatusEndAddSignalable(stat.get(), onEnd.get());
    csStatusUpdateAddSignalable(stat.get(), onUpdate.get());
    csStatusReporterSetItemCstrInt(rep.get(), "load", -1, 7);
    csStatusUpdateAddSignalable(stat.get(), onUpdate.get());
    EXPECT_EQ(ended.load(), 0);
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
        EXPECT_EQ(trPropertyValueInt(property(name).get()), kRounds);
    }
}

using CsStatusReporterDeathTest = CsStatusReporter;

TEST_F(CsStatusReporterDeathTest, PreconditionsStopTheProcess) {
    auto item = adopt(csStatusItemCreateInt(1));
    EXPECT_DEATH(csStatusReporterSetItem(nullptr, str("a").get(), item.get()), "cs_status_reporter.cpp:[0-9]+: rep\n");
    EXPECT_DEATH(csStatusReporterSetItemCstr(rep.get(), "a", -1, nullptr), ": item\n");
    EXPECT_DEATH(csStatusReporterSetItemCstrInt(rep.get(), "Bad", -1, 1),
                 "cs_status.cpp:[0-9]+: pbNameCamelCaseOk\\( name, PB_TRUE \\)\n");
    EXPECT_DEATH(csStatusReporterSetItemCstrString(rep.get(), "a", -1, nullptr), "cs_status_item.cpp:[0-9]+: string\n");
    EXPECT_DEATH(csStatusReporterDelItem(nullptr, str("a").get()), ": rep\n");
    EXPECT_DEATH(csStatusReporterItemCstr(rep.get(), "", -1), ": pbNameCamelCaseOk\\( name, PB_TRUE \\)\n");
    EXPECT_DEATH(csStatusReporterTraceCompleteAnchor(rep.get(), nullptr), ": anchor\n");
    EXPECT_DEATH(csStatusItems(nullptr), "cs_status.cpp:[0-9]+: stat\n");
    EXPECT_DEATH(cs___StatusSetItems(stat.get(), nullptr), ": items\n");
    EXPECT_DEATH(csStatusReporterFrom(csStatusObj(stat.get())),
                 "stdfunc from: !obj \\|\\| pbObjSort\\(obj\\)==&cs___sort_CS_STATUS_REPORTER\n");
    cs___StatusSetEnd(stat.get());
    EXPECT_DEATH(cs___StatusSetEnd(stat.get()), "cs_status.cpp:[0-9]+: !pbSignalAsserted\\( stat->endSignal \\)\n");
    EXPECT_DEATH(csStatusReporterSetItem(rep.get(), str("a").get(), item.get()),
                 ": !pbSignalAsserted\\( stat->endSignal \\)\n");
    EXPECT_DEATH(csStatusReporterDelItemCstr(rep.get(), "a", -1), ": !pbSignalAsserted\\( stat->endSignal \\)\n");
}

}  // namespace
