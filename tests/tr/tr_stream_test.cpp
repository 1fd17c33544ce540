// Trace streams: current properties, configuration, marks, anchors and
// links, text readers, and their memory behaviour across threads.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_store.h"
#include "support/live_objects.hpp"
#include "tr/tr.h"
#include "support/text.hpp"

namespace {

using pb::adopt;

using vtest::str;
using vtest::utf8;

pb::Ref<TR_STREAM> stream(const char* name) { return adopt(trStreamCreateCstr(name, -1)); }

// The property's value in a readable form: "<type>:<value>", or "<none>".
std::string prop(TR_STREAM* s, const char* key) {
    auto v = adopt(trStreamPropertyCstr(s, key, -1));
    if (!v) return "<none>";
    return std::to_string(trPropertyValueType(v.get())) + ":" + utf8(adopt(trPropertyValueToString(v.get())).get());
}

std::vector<std::string> lines(TR_TEXT_READER* r) {
    std::vector<std::string> out;
    for (PB_INT i = 0; i < trTextReaderLinesCount(r); ++i) out.push_back(utf8(adopt(trTextReaderLineAt(r, i)).get()));
    return out;
}

// Properties follow sets, replacements and deletes.
TEST(TrStream, PropertiesHoldTheCurrentValues) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto s = stream("CS_CONDITION");
    EXPECT_EQ(utf8(adopt(trStreamName(s.get())).get()), "CS_CONDITION");
    auto buffer = adopt(pbBufferCreateFromBytes("\x01\x02", 2));
    trStreamSetPropertyCstrBool(s.get(), "up", -1, PB_TRUE);
    trStreamSetPropertyCstrInt(s.get(), "count", -1, -7);
    trStreamSetPropertyCstrString(s.get(), "textXYZ", 4, str("hello").get());
    trStreamSetPropertyCstrBuffer(s.get(), "raw", -1, buffer.get());
    EXPECT_EQ(prop(s.get(), "up"), "0:true");
    EXPECT_EQ(prop(s.get(), "count"), "1:-7");
    EXPECT_EQ(prop(s.get(), "text"), "2:hello");
    auto raw = adopt(trStreamPropertyCstr(s.get(), "raw", -1));
    EXPECT_TRUE(pbBufferEquals(adopt(trPropertyValueBuffer(raw.get())).get(), buffer.get()));

    // Keys in code point order, each once.
    trStreamSetPropertyCstrInt(s.get(), "up", -1, 3);  // replaces, also the type
    EXPECT_EQ(prop(s.get(), "up"), "1:3");
    ASSERT_EQ(trStreamPropertiesCount(s.get()), 4);
    const char* keys[] = {"count", "raw", "text", "up"};
    for (PB_INT i = 0; i < 4; ++i) EXPECT_EQ(utf8(adopt(trStreamPropertyKeyAt(s.get(), i)).get()), keys[i]);
    EXPECT_EQ(trPropertyValueInt(adopt(trStreamPropertyValueAt(s.get(), 3)).get()), 3);

    // Deletes: by string key, by C key, by NULL value; absent keys are no error.
    trStreamDelProperty(s.get(), str("count").get());
    trStreamDelPropertyCstr(s.get(), "raw", -1);
    trStreamSetPropertyCstrString(s.get(), "text", -1, nullptr);
    trStreamSetProperty(s.get(), str("absent").get(), nullptr);
    trStreamDelPropertyCstr(s.get(), "absent", -1);
    EXPECT_EQ(trStreamPropertiesCount(s.get()), 1);
    EXPECT_EQ(prop(s.get(), "count"), "<none>");
    EXPECT_EQ(prop(s.get(), "up"), "1:3");
}

// A string, store or buffer given to a typed setter reads back as one
// value object until the property is set again; a reader keeps what it read.
TEST(TrStream, TypedValuesReadAsOneObjectPerSet) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto s = stream("CS_OBJECT_RECORD");
    auto meta = adopt(pbStoreCreate());
    trStreamSetPropertyCstrStore(s.get(), "meta", -1, meta.get());
    trStreamSetPropertyCstrString(s.get(), "name", -1, str("a").get());
    auto first = adopt(trStreamPropertyCstr(s.get(), "name", -1));
    EXPECT_EQ(adopt(trStreamPropertyValueAt(s.get(), 1)).get(), first.get());
    EXPECT_EQ(adopt(trPropertyValueStore(adopt(trStreamPropertyValueAt(s.get(), 0)).get())).get(), meta.get());
    trStreamSetPropertyCstrString(s.get(), "name", -1, str("b").get());
    EXPECT_EQ(utf8(adopt(trPropertyValueString(first.get())).get()), "a");
    EXPECT_EQ(prop(s.get(), "name"), "2:b");
}

// Keys given as text are told apart by their content, not by where it lies.
TEST(TrStream, KeysFromOneBufferStayApart) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto s = stream("CS_CONDITION");
    char key[] = "alpha";
    trStreamSetPropertyCstrInt(s.get(), key, -1, 1);
    std::memcpy(key, "omega", 5);
    trStreamSetPropertyCstrInt(s.get(), key, -1, 2);
    trStreamSetPropertyCstrInt(s.get(), key, 3, 3);
    ASSERT_EQ(trStreamPropertiesCount(s.get()), 3);
    EXPECT_EQ(prop(s.get(), "alpha"), "1:1");
    EXPECT_EQ(prop(s.get(), "omega"), "1:2");
    EXPECT_EQ(prop(s.get(), "ome"), "1:3");
}

// The scalar setters update the stream's value in place only while the
// stream alone holds it: a value read before a change keeps what it read.
TEST(TrStream, ScalarSettersLeaveValuesReadBeforeUnchanged) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto s = stream("CS_COUNTER");
    auto key = str("count");
    trStreamSetPropertyInt(s.get(), key.get(), 1);
    trStreamSetPropertyInt(s.get(), key.get(), 2);
    auto read = adopt(trStreamProperty(s.get(), key.get()));
    trStreamSetPropertyInt(s.get(), key.get(), 3);
    EXPECT_EQ(trPropertyValueInt(read.get()), 2);
    EXPECT_EQ(prop(s.get(), "count"), "1:3");
    read.reset();
    trStreamSetPropertyBool(s.get(), key.get(), 7);  // another type: a new value
    EXPECT_EQ(prop(s.get(), "count"), "0:true");
    trStreamSetPropertyBool(s.get(), key.get(), PB_FALSE);
    EXPECT_EQ(prop(s.get(), "count"), "0:false");
}

TEST(TrStream, PropertyValuesReadLeniently) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto store = adopt(pbStoreCreate());
    pbStoreSetValueIntCstr(store.out(), "n", -1, 1);
    auto b = adopt(trPropertyValueCreateBool(7));  // any non-zero is true
    auto i = adopt(trPropertyValueCreateInt(5));
    auto st = adopt(trPropertyValueCreateStore(store.get()));
    EXPECT_EQ(trPropertyValueBool(b.get()), PB_TRUE);
    EXPECT_EQ(trPropertyValueInt(b.get()), 0);
    EXPECT_EQ(trPropertyValueBool(i.get()), PB_FALSE);
    EXPECT_EQ(trPropertyValueString(i.get()), nullptr);
    EXPECT_EQ(trPropertyValueBuffer(st.get()), nullptr);
    EXPECT_TRUE(pbStoreEquals(adopt(trPropertyValueStore(st.get())).get(), store.get()));
    // Type first, then value.
    EXPECT_LT(trPropertyValueCompare(b.get(), i.get()), 0);
    EXPECT_LT(trPropertyValueCompare(adopt(trPropertyValueCreateInt(4)).get(), i.get()), 0);
    EXPECT_TRUE(trPropertyValueEquals(adopt(trPropertyValueCreateString(str("a").get())).get(),
                                      adopt(trPropertyValueCreateString(str("a").get())).get()));
}

TEST(TrStream, ConfigurationAndMarkAreReplacedAndCleared) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto s = stream("cs");
    EXPECT_EQ(trStreamConfiguration(s.get()), nullptr);
    EXPECT_EQ(trStreamExplicitMark(s.get()), nullptr);
    auto config = adopt(pbStoreCreate());
    pbStoreSetValueBoolCstr(config.out(), "enabled", -1, PB_TRUE);
    trStreamSetConfiguration(s.get(), config.get());
    EXPECT_EQ(adopt(trStreamConfiguration(s.get())).get(), config.get());  // held as given, not copied
    auto mark = adopt(trMarkCreate()), other = adopt(trMarkCreate());
    EXPECT_NE(trMarkId(mark.get()), trMarkId(other.get()));
    trStreamSetExplicitMark(s.get(), mark.get());
    trStreamSetExplicitMark(s.get(), other.get());
    EXPECT_EQ(adopt(trStreamExplicitMark(s.get())).get(), other.get());
    trStreamSetConfiguration(s.get(), nullptr);
    trStreamSetExplicitMark(s.get(), nullptr);
    EXPECT_EQ(trStreamConfiguration(s.get()), nullptr);
    EXPECT_EQ(trStreamExplicitMark(s.get()), nullptr);
    EXPECT_EQ(pbObjRefCount(trMarkObj(other.get())), 1);
}

TEST(TrStream, ScrubRetiresAMarkOnce) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto mark = adopt(trMarkCreate());
    EXPECT_FALSE(trMarkScrubbed(mark.get()));
    tr___SystemMarkScrub(mark.get());
    tr___SystemMarkScrub(mark.get());
    EXPECT_TRUE(trMarkScrubbed(mark.get()));
    EXPECT_FALSE(trMarkScrubbed(adopt(trMarkCreate()).get()));
}

// Completing an anchor links its stream to the other one.
TEST(TrAnchor, CompletingRecordsLinksWithKindAndAnnotation) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto table = stream("CS_OBJECT_TABLE");
    auto anchor = adopt(trAnchorCreateWithAnnotationCstr(table.get(), 10, "records/a", -1));
    auto plain = adopt(trAnchorCreate(table.get(), 12));
    EXPECT_EQ(adopt(trAnchorStream(anchor.get())).get(), table.get());
    {
        auto record = stream("CS_OBJECT_RECORD");
        trAnchorComplete(anchor.get(), record.get());
    }  // the link keeps the record's stream alive
    auto other = stream("CS_CONDITION");
    trAnchorComplete(plain.get(), other.get());
    trAnchorComplete(plain.get(), other.get());  // each completion is a link
    ASSERT_EQ(trStreamLinksCount(table.get()), 3);
    EXPECT_EQ(utf8(adopt(trStreamName(adopt(trStreamLinkAt(table.get(), 0)).get())).get()), "CS_OBJECT_RECORD");
    EXPECT_EQ(trStreamLinkKindAt(table.get(), 0), 10);
    EXPECT_EQ(utf8(adopt(trStreamLinkAnnotationAt(table.get(), 0)).get()), "records/a");
    EXPECT_EQ(adopt(trStreamLinkAt(table.get(), 2)).get(), other.get());
    EXPECT_EQ(trStreamLinkKindAt(table.get(), 2), 12);
    EXPECT_EQ(trStreamLinkAnnotationAt(table.get(), 2), nullptr);
    EXPECT_EQ(trStreamLinksCount(other.get()), 0);
}

TEST(TrAnchor, KeepsOnlyTheMostRecentLinks) {
    VTEST_NO_LEAKS_IN_SCOPE();
    PB_INT streamsBefore = pbSortLiveCount(trStreamSort());
    auto parent = stream("parent");
    for (PB_INT i = 0; i < TR_STREAM_LINKS_MAX + 10; ++i) {
        auto anchor = adopt(trAnchorCreate(parent.get(), i));
        trAnchorComplete(anchor.get(), stream("child").get());
    }
    ASSERT_EQ(trStreamLinksCount(parent.get()), TR_STREAM_LINKS_MAX);
    for (PB_INT i = 0; i < TR_STREAM_LINKS_MAX; ++i) EXPECT_EQ(trStreamLinkKindAt(parent.get(), i), 10 + i);
    // Dropped links released their children.
    EXPECT_EQ(pbSortLiveCount(trStreamSort()) - streamsBefore, 1 + TR_STREAM_LINKS_MAX);
}

// Links that would close a cycle do not keep their target alive; the
// leak guard fails if any stream keeps itself alive.
TEST(TrAnchor, CyclesOfLinksDoNotLeak) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto link = [](TR_STREAM* from, TR_STREAM* to) { trAnchorComplete(adopt(trAnchorCreate(from, 0)).get(), to); };
    auto a = stream("a"), b = stream("b"), c = stream("c");
    link(a.get(), a.get());
    link(a.get(), b.get());
    link(b.get(), c.get());
    link(c.get(), a.get());
    link(b.get(), a.get());
    EXPECT_EQ(adopt(trStreamLinkAt(a.get(), 0)).get(), a.get());
    EXPECT_EQ(adopt(trStreamLinkAt(c.get(), 0)).get(), a.get());
    // Only 'a' holds the rest; once it goes, the cycle's weak links read NULL.
    b.reset();
    c.reset();
    EXPECT_EQ(pbObjRefCount(trStreamObj(a.get())), 1);
    auto keepC = adopt(trStreamLinkAt(adopt(trStreamLinkAt(a.get(), 1)).get(), 0));
    a.reset();
    EXPECT_EQ(trStreamLinkAt(keepC.get(), 0), nullptr);
    EXPECT_EQ(trStreamLinksCount(keepC.get()), 1);
}

// Text readers see the lines written while they live, in order.
TEST(TrTextReader, CollectsLinesFromItsCreationOn) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto s = stream("cs");
    trStreamTextCstr(s.get(), "before any reader", -1);
    auto first = adopt(trTextReaderCreate(s.get()));
    trStreamTextCstr(s.get(), "one", -1);
    auto second = adopt(trTextReaderCreate(s.get()));
    trStreamText(s.get(), str("two").get());
    trStreamTextFormatCstr(s.get(), "%s=%i", -1, str("three").get(), PB_INT(3));
    EXPECT_EQ(lines(first.get()), (std::vector<std::string>{"one", "two", "three=3"}));
    EXPECT_EQ(lines(second.get()), (std::vector<std::string>{"two", "three=3"}));
    trTextReaderClear(first.get());
    second.reset();
    trStreamTextCstr(s.get(), "four", -1);
    EXPECT_EQ(lines(first.get()), (std::vector<std::string>{"four"}));
    EXPECT_EQ(adopt(trTextReaderStream(first.get())).get(), s.get());
    // The reader keeps its stream.
    TR_STREAM* raw = s.get();
    s.reset();
    trStreamTextCstr(raw, "five", -1);
    EXPECT_EQ(trTextReaderLinesCount(first.get()), 2);
}

// Writers, readers and linkers on several threads (run under tsan).
TEST(TrStream, ConcurrentUseKeepsEveryLineAndLeaksNothing) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto s = stream("shared"), t = stream("other");
    auto reader = adopt(trTextReaderCreate(s.get()));
    constexpr int kThreads = 4, kRounds = 200;
    std::vector<std::thread> threads;
    for (int n = 0; n < kThreads; ++n) {
        threads.emplace_back([&, n] {
            std::string key = "k" + std::to_string(n);
            for (int i = 0; i < kRounds; ++i) {
                trStreamSetPropertyCstrInt(s.get(), key.c_str(), -1, i);
                trStreamTextCstr(s.get(), key.c_str(), -1);
                // Opposite links from alternating threads race on the cycle test.
                TR_STREAM* from = n % 2 ? s.get() : t.get();
                TR_STREAM* to = n % 2 ? t.get() : s.get();
                trAnchorComplete(adopt(trAnchorCreate(from, i)).get(), to);
                auto transient = adopt(trTextReaderCreate(s.get()));
                (void)adopt(trStreamPropertyCstr(s.get(), "k0", -1));
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(trTextReaderLinesCount(reader.get()), kThreads * kRounds);
    EXPECT_EQ(trStreamPropertiesCount(s.get()), kThreads);
    EXPECT_EQ(trPropertyValueInt(adopt(trStreamPropertyCstr(s.get(), "k3", -1)).get()), kRounds - 1);
    EXPECT_EQ(trStreamLinksCount(s.get()), TR_STREAM_LINKS_MAX);
}

TEST(TrStreamDeathTest, ChecksItsArguments) {
    auto s = stream("cs");
    EXPECT_DEATH(trStreamCreate(nullptr), "source/tr/tr_stream.cpp:[0-9]+: name");
    EXPECT_DEATH(trStreamPropertyKeyAt(s.get(), 0),
                 "index >= 0 && index < PB_INT\\(stream->state->properties.size\\(\\)\\)");
    EXPECT_DEATH(trAnchorComplete(adopt(trAnchorCreate(s.get(), 1)).get(), nullptr), "tr_anchor.cpp:[0-9]+: other");
}

}  // namespace
