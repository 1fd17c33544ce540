// The JSON form of stores: byte-exact round trips of random stores, the
// header wrapper, recurring texts, large documents, and rejection of
// everything that is not a store.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_store.h"
#include "pb/pb_store_encoding.h"
#include "support/live_objects.hpp"
#include "support/text.hpp"

namespace {

using pb::adopt;
using Store = pb::Ref<PB_STORE>;

using vtest::bytes;

std::string encode(PB_STORE* s, PB_STORE_HEADER* h = nullptr) {
    auto b = adopt(pbStoreEncode(s, h));
    return bytes(b.get());
}

// The decoder's explanation of text ("" when it decodes).
std::string errorOf(const std::string& text) {
    auto buffer = adopt(pbBufferCreateFromBytes(text.data(), PB_INT(text.size())));
    auto error = adopt(pbStoreDecodeError(buffer.get()));
    if (!error) return "";
    return vtest::utf8(error.get());
}

Store decode(const std::string& text, pb::Ref<PB_STORE_HEADER>* header = nullptr) {
    PB_STORE_HEADER* h = nullptr;
    Store s = adopt(pbStoreTryDecodeBytes(text.data(), PB_INT(text.size()), &h));
    auto hr = adopt(h);
    if (header) *header = hr;
    return s;
}

// Random text over a few alphabets, with characters that need escapes.
pb::Ref<PB_STRING> randomText(std::mt19937& rng, bool key) {
    static const PB_CHAR pool[] = {'a', 'b', 'Z', '0', ' ', '"', '\\', '/', 0xE9, 0x20AC, 0x1F600, 0x7F};
    static const PB_CHAR controls[] = {0, '\n', '\t', 0x1F, 0x85};
    std::vector<PB_CHAR> chars(size_t(rng() % 8) + (key ? 1 : 0));
    // Keys never hold control characters (DEL, the last of the pool, is one).
    for (auto& c : chars) c = (!key && rng() % 8 == 0) ? controls[rng() % 5] : pool[rng() % (key ? 11 : 12)];
    return adopt(pbStringCreateFromChars(chars.data(), PB_INT(chars.size())));
}

Store randomStore(std::mt19937& rng, int depth, bool array) {
    Store s = adopt(array ? pbStoreCreateArray() : pbStoreCreate());
    int n = int(rng() % (depth == 0 ? 40 : 8));
    for (int i = 0; i < n; ++i) {
        int kind = int(rng() % (depth < 4 ? 5 : 3));
        auto key = randomText(rng, true);
        auto text = randomText(rng, false);
        // Any 64-bit value, small ones more often (modular conversion).
        PB_INT number = PB_INT(((uint64_t(rng()) << 32) | rng()) >> (rng() % 64));
        if (array) {
            if (kind == 0) pbStoreAppendValue(s.out(), text.get());
            else if (kind == 1) pbStoreAppendValueInt(s.out(), number);
            else if (kind == 2) pbStoreAppendValueBool(s.out(), rng() % 2);
            else pbStoreAppendStore(s.out(), randomStore(rng, depth + 1, kind == 4).get());
        } else {
            if (kind == 0) pbStoreSetValue(s.out(), key.get(), text.get());
            else if (kind == 1) pbStoreSetValueInt(s.out(), key.get(), number);
            else if (kind == 2) pbStoreSetValueBool(s.out(), key.get(), rng() % 2);
            else pbStoreSetStore(s.out(), key.get(), randomStore(rng, depth + 1, kind == 4).get());
        }
    }
    return s;
}

TEST(PbStoreEncoding, RandomStoresRoundTripByteExactly) {
    VTEST_NO_LEAKS_IN_SCOPE();
    std::mt19937 rng(20261205);
    auto header = adopt(pbStoreHeaderCreateCstr("CS_CONFIG", -1));
    for (int round = 0; round < 300; ++round) {
        Store s = randomStore(rng, 0, round % 10 == 0);
        PB_STORE_HEADER* h = round % 2 ? header.get() : nullptr;
        std::string first = encode(s.get(), h);
        pb::Ref<PB_STORE_HEADER> got;
        Store back = decode(first, &got);
        ASSERT_TRUE(back) << first;
        EXPECT_TRUE(pbStoreEquals(back.get(), s.get())) << first;
        EXPECT_EQ(bool(got), h != nullptr);
        EXPECT_EQ(encode(back.get(), got.get()), first);
    }
}

TEST(PbStoreEncoding, WritesReadableJson) {
    VTEST_NO_LEAKS_IN_SCOPE();
    Store s = adopt(pbStoreCreate());
    pbStoreSetValueIntCstr(s.out(), "b", -1, -9223372036854775807LL - 1);
    pbStoreSetValueCstr(s.out(), "a", -1, adopt(pbStringCreateFromCstr("x\"\n\x01\xC3\xA9", -1)).get());
    Store arr = adopt(pbStoreCreateArray());
    pbStoreAppendValueBool(arr.out(), PB_TRUE);
    pbStoreSetStoreCstr(s.out(), "c", -1, arr.get());
    pbStoreSetStoreCstr(s.out(), "d", -1, adopt(pbStoreCreate()).get());
    EXPECT_EQ(encode(s.get()),
              "{\n  \"a\":\"x\\\"\\n\\u0001\xC3\xA9\",\n  \"b\":-9223372036854775808,\n"
              "  \"c\":[\n    true\n  ],\n  \"d\":{}\n}\n");
    auto header = adopt(pbStoreHeaderCreateCstr("CS_CONFIG", -1));
    EXPECT_EQ(encode(arr.get(), header.get()),
              "{\n  \"vorlixStoreHeader\":{\"type\":\"CS_CONFIG\"},\n  \"store\":[\n    true\n  ]\n}\n");

    // The compact form is the same document on one line.
    auto compact = adopt(pbStoreEncodeCompact(s.get(), nullptr));
    EXPECT_EQ(bytes(compact.get()), "{\"a\":\"x\\\"\\n\\u0001\xC3\xA9\",\"b\":-9223372036854775808,\"c\":[true],\"d\":{}}");
    compact = adopt(pbStoreEncodeCompact(arr.get(), header.get()));
    EXPECT_EQ(bytes(compact.get()), "{\"vorlixStoreHeader\":{\"type\":\"CS_CONFIG\"},\"store\":[true]}");
}

// Long texts are written in pieces: every character keeps its form, wherever
// a piece ends.
TEST(PbStoreEncoding, LongTextsKeepEveryCharacter) {
    VTEST_NO_LEAKS_IN_SCOPE();
    const struct {
        PB_CHAR ch;
        const char* json;
    } forms[] = {{'a', "a"},           {'"', "\\\""},     {'\n', "\\n"},           {1, "\\u0001"},
                 {0xE9, "\xC3\xA9"},   {0x20AC, "\xE2\x82\xAC"}, {0x1F600, "\xF0\x9F\x98\x80"},
                 {0x7F, "\x7F"},       {0xD800, "\xEF\xBF\xBD"}, {'\\', "\\\\"}};
    std::vector<PB_CHAR> chars;
    std::string expected = "{\"k\":\"";
    std::mt19937 rng(3);
    for (int i = 0; i < 3000; ++i) {
        const auto& form = forms[rng() % 3 ? 0 : rng() % 10];  // mostly plain runs
        chars.push_back(form.ch);
        expected += form.json;
    }
    Store s = adopt(pbStoreCreate());
    pbStoreSetValueCstr(s.out(), "k", -1, adopt(pbStringCreateFromChars(chars.data(), PB_INT(chars.size()))).get());
    EXPECT_EQ(bytes(adopt(pbStoreEncodeCompact(s.get(), nullptr)).get()), expected + "\"}");
}

TEST(PbStoreEncoding, HeaderAndHeaderlessStoresAreNeverConfused) {
    VTEST_NO_LEAKS_IN_SCOPE();
    // A headerless store that looks like a wrapper.
    Store tricky = adopt(pbStoreCreate());
    Store inner = adopt(pbStoreCreate());
    pbStoreSetValueCstr(inner.out(), "type", -1, adopt(pbStringCreateFromCstr("CS_CONFIG", -1)).get());
    pbStoreSetStoreCstr(tricky.out(), "vorlixStoreHeader", -1, inner.get());
    pbStoreSetStoreCstr(tricky.out(), "zzz", -1, adopt(pbStoreCreate()).get());
    pb::Ref<PB_STORE_HEADER> h;
    Store back = decode(encode(tricky.get()), &h);
    ASSERT_TRUE(back);
    EXPECT_FALSE(h);
    EXPECT_TRUE(pbStoreEquals(back.get(), tricky.get()));

    // A stored header type comes back; keys may arrive out of order.
    Store plain = decode("{\"b\":1,\"a\":true}", &h);
    ASSERT_TRUE(plain);
    EXPECT_FALSE(h);
    EXPECT_EQ(encode(plain.get()), "{\n  \"a\":true,\n  \"b\":1\n}\n");
    Store typed = decode("{\"vorlixStoreHeader\":{\"type\":\"CS_CONFIG\"},\"store\":{}}", &h);
    ASSERT_TRUE(typed && h);
    EXPECT_TRUE(pbStoreHeaderIsTypeCstr(h.get(), "CS_CONFIG", -1));
}

TEST(PbStoreEncoding, RejectsWhatIsNotAStore) {
    VTEST_NO_LEAKS_IN_SCOPE();
    const char* bad[] = {
        "", "   ", "1", "\"text\"", "true", "null", "{", "{\"a\":1", "{\"a\":1,}", "{\"a\":null}",
        "{\"a\":1.5}", "{\"a\":1e3}", "{\"a\":18446744073709551615}", "{\"a\":9223372036854775808}",
        "{\"a\":1,\"a\":2}", "{\"\":1}", "{\"a\\u0000\":1}", "[null]", "[1.0]", "{\"a\":\"\xFF\"}",
        "{} {}", "{\"a\":1}x",
        // Wrappers: wrong header shapes, wrong order, extra keys, unneeded
        // headerless wrapper, invalid type name.
        "{\"vorlixStoreHeader\":{\"type\":\"cs\"},\"store\":{}}",
        "{\"vorlixStoreHeader\":{\"type\":1},\"store\":{}}",
        "{\"vorlixStoreHeader\":{\"kind\":\"X\"},\"store\":{}}",
        "{\"vorlixStoreHeader\":\"X\",\"store\":{}}",
        "{\"vorlixStoreHeader\":{\"type\":\"X\"},\"store\":1}",
        "{\"vorlixStoreHeader\":{\"type\":\"X\"}}",
        "{\"vorlixStoreHeader\":{\"type\":\"X\"},\"store\":{},\"more\":1}",
        "{\"vorlixStoreHeader\":{},\"store\":{\"a\":1}}",
    };
    for (const char* text : bad) {
        EXPECT_FALSE(decode(text)) << text;
        EXPECT_FALSE(errorOf(text).empty()) << text;
    }

    // Truncations of a valid document never decode and never crash.
    std::mt19937 rng(7);
    auto header = adopt(pbStoreHeaderCreateCstr("CS_CONFIG", -1));
    std::string doc = encode(randomStore(rng, 0, false).get(), header.get());
    for (size_t cut = 0; cut + 2 < doc.size(); ++cut) EXPECT_FALSE(decode(doc.substr(0, cut))) << cut;
}

// Keys may arrive in any order, also where only what follows a long shared
// beginning tells them apart; a duplicate is found wherever it stands.
TEST(PbStoreEncoding, KeysInAnyOrderDuplicatesNowhere) {
    VTEST_NO_LEAKS_IN_SCOPE();
    const std::string shortPrefix = "config-of-item-", longPrefix(40, 'p');
    std::vector<std::string> keys = {"a", "z", "\xC3\xA9", "ab"};
    for (const std::string& prefix : {shortPrefix, longPrefix})
        for (const char* tail : {"", "b", "a", "ab", "\xC3\xA9", "\xF0\x9F\x98\x80"}) keys.push_back(prefix + tail);
    Store expected = adopt(pbStoreCreate());
    for (size_t i = 0; i < keys.size(); ++i) pbStoreSetValueIntCstr(expected.out(), keys[i].c_str(), -1, PB_INT(i));
    auto document = [&](const std::vector<size_t>& order) {
        std::string doc = "{";
        for (size_t i : order) doc += (doc.size() > 1 ? ",\"" : "\"") + keys[i] + "\":" + std::to_string(i);
        return doc + "}";
    };
    std::mt19937 rng(11);
    std::vector<size_t> order(keys.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    for (int round = 0; round < 20; ++round) {
        std::shuffle(order.begin(), order.end(), rng);
        Store back = decode(document(order));
        ASSERT_TRUE(back) << document(order);
        EXPECT_TRUE(pbStoreEquals(back.get(), expected.get())) << document(order);
        std::vector<size_t> twice = order;
        twice.insert(twice.begin() + long(rng() % (twice.size() + 1)), order[rng() % order.size()]);
        EXPECT_FALSE(decode(document(twice))) << document(twice);
    }
}

// Texts that recur in a document are shared and may be interned: the
// result is the same however many there are and however often it is
// decoded, and a document never takes the room kept for the strings the
// libraries intern themselves.
TEST(PbStoreEncoding, RecurringTextsDecodeAlikeAndLeaveTheLibrariesRoom) {
    VTEST_NO_LEAKS_IN_SCOPE();
    // More recurring texts (each name names its object) than documents may intern.
    std::string named = "{";
    for (int i = 10000; i < 15000; ++i) {
        std::string name = "\"name" + std::to_string(i) + "\"";
        named += (i > 10000 ? "," : "") + name + ":{" + name + ":" + name + "}";
    }
    named += "}";
    Store s = decode(named), again = decode(named);
    ASSERT_TRUE(s && again);
    EXPECT_TRUE(pbStoreEquals(s.get(), again.get()));
    EXPECT_EQ(bytes(adopt(pbStoreEncodeCompact(s.get(), nullptr)).get()), named);
    PB_INT interned = 0;  // among the names' second comings
    for (PB_INT at = 0; at < pbStoreLength(s.get()); ++at) {
        Store inner = adopt(pbStoreStoreAt(s.get(), at));
        interned += pbObjRefCount(pbStringObj(adopt(pbStoreAddressAt(inner.get(), 0)).get())) == PB_INT_MAX;
    }
    EXPECT_GT(interned, 1000);
    EXPECT_LE(interned, PB___STRING_INTERN_MAX / 2);
    EXPECT_TRUE(pb___StringInternCstr("a text that no document brought", -1));
}

// A document of more than a megabyte is parsed apart from the thread's
// parser, its bytes copied when nothing may be read after them: such bytes
// and a buffer decode alike, and a fault anywhere still refuses the text.
TEST(PbStoreEncoding, LargeDocumentsDecodeAlikeFromBytesAndBuffers) {
    VTEST_NO_LEAKS_IN_SCOPE();
    std::string doc = "{";
    for (int i = 100000; i < 140000; ++i)
        doc += (i > 100000 ? ",\"entry" : "\"entry") + std::to_string(i) + "\":[\"" + std::string(size_t(i % 16), 'x') +
               "\"," + std::to_string(i) + "]";
    doc += "}";
    ASSERT_GT(doc.size(), size_t(1) << 20);
    // The document, then cut short, with a byte that is not UTF-8, with a duplicate key.
    std::string texts[] = {doc, doc.substr(0, doc.size() - 1), doc,
                           doc.substr(0, doc.size() - 1) + ",\"entry100000\":1}"};
    texts[2][doc.size() / 2] = '\xFF';
    for (const std::string& text : texts) {
        // The bytes end where a page begins that may not be read.
        size_t page = size_t(sysconf(_SC_PAGESIZE)), span = (text.size() + page - 1) / page * page;
        void* area = mmap(nullptr, span + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        ASSERT_NE(area, MAP_FAILED);
        ASSERT_EQ(mprotect(static_cast<char*>(area) + span, page, PROT_NONE), 0);
        char* exact = static_cast<char*>(area) + span - text.size();
        std::memcpy(exact, text.data(), text.size());
        Store fromBytes = adopt(pbStoreTryDecodeBytes(exact, PB_INT(text.size()), nullptr));
        munmap(area, span + page);
        auto buffer = adopt(pbBufferCreateFromBytes(text.data(), PB_INT(text.size())));
        Store fromBuffer = adopt(pbStoreTryDecode(buffer.get(), nullptr));
        if (&text != &texts[0]) {
            EXPECT_FALSE(fromBytes || fromBuffer) << text.substr(text.size() - 40);
            continue;
        }
        ASSERT_TRUE(fromBytes && fromBuffer);
        EXPECT_TRUE(pbStoreEquals(fromBytes.get(), fromBuffer.get()));
        EXPECT_EQ(bytes(adopt(pbStoreEncodeCompact(fromBytes.get(), nullptr)).get()), doc);
    }
}

// Why a document does not decode, with the place of the fault as editors
// count it: lines from 1, columns from 1 in code points.
TEST(PbStoreEncoding, DecodeErrorsNameLineAndColumn) {
    VTEST_NO_LEAKS_IN_SCOPE();
    EXPECT_EQ(errorOf("{\"a\":[1,true,\"x\"]}"), "");
    EXPECT_EQ(errorOf("{\n  \"a\": 1,\n}\n").rfind("line 3, column 1: ", 0), 0u);
    EXPECT_EQ(errorOf("{\"\xC3\xA9\":1 \"b\":2}").rfind("line 1, column 8: ", 0), 0u);
    EXPECT_EQ(errorOf("[1,\n null]"), "line 2, column 2: null is not a store value");
    EXPECT_EQ(errorOf("{\"a\":1.5}"), "line 1, column 6: not a 64-bit integer");
    EXPECT_EQ(errorOf("{\"a\":\n-9223372036854775809}"), "line 2, column 1: not a 64-bit integer");
    EXPECT_EQ(errorOf("[-99999999999999999999999]"), "line 1, column 2: not a 64-bit integer");
    EXPECT_EQ(errorOf("{\"a\":\n \"\xE2\x82\xAC\xFF\"}"), "line 2, column 4: The input is not valid UTF-8");
    EXPECT_NE(errorOf("{\"k\":1,\"k\":2}").find("duplicate key \"k\""), std::string::npos);
    // Keys are quoted escaped (every control character) and cut short.
    EXPECT_EQ(errorOf("{\"\xE2\x82\xAC\\n\\u0001\\u007f\xC2\x85\":1}"),
              "line 1, column 1: key \"\xE2\x82\xAC\\n\\u0001\\u007f\\u0085\" is not a store address");
    std::string longKey(300, 'k');
    EXPECT_EQ(errorOf("{\"" + longKey + "\\u0000\":1}"),
              "line 1, column 1: key \"" + longKey.substr(0, 64) + "\"... is not a store address");
    EXPECT_EQ(errorOf("{\"" + longKey + "\":1,\"" + longKey + "\":2}"),
              "line 1, column 1: duplicate key \"" + longKey.substr(0, 64) + "\"...");
    EXPECT_EQ(errorOf("{\"a\":\"open").rfind("line 1, column 6: ", 0), 0u);
    EXPECT_EQ(errorOf(""), "empty document");
}

TEST(PbStoreEncoding, NestingIsBounded) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto nested = [](int levels, const char* inner = "1") {
        std::string s;
        for (int i = 0; i < levels; ++i) s += "{\"a\":";
        s += inner;
        for (int i = 0; i < levels; ++i) s += "}";
        return s;
    };
    auto wrapped = [](const std::string& body) { return "{\"vorlixStoreHeader\":{\"type\":\"X\"},\"store\":" + body + "}"; };
    // The limit counts stores, not the wrapper around them.
    const int max = PB_STORE_ENCODING_MAX_DEPTH;
    EXPECT_TRUE(decode(nested(max)));
    EXPECT_TRUE(decode(wrapped(nested(max))));
    EXPECT_FALSE(decode(nested(max + 1)));
    EXPECT_FALSE(decode(wrapped(nested(max + 1))));
    EXPECT_NE(errorOf(nested(max + 1)).find("nested too deep"), std::string::npos);
    EXPECT_NE(errorOf(wrapped(nested(max + 1))).find("nested too deep"), std::string::npos);
    EXPECT_NE(errorOf(wrapped(nested(max, "null"))).find("null is not a store value"), std::string::npos);
    EXPECT_FALSE(decode(std::string(100000, '[') + std::string(100000, ']')));
}

}  // namespace
