// Strings: UTF-8 in and out, copy-on-write, formatting and scans.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "support/live_objects.hpp"
#include "support/text.hpp"

namespace {

using vtest::str;
using vtest::utf8;

TEST(PbString, Utf8RoundTripsAndReplacesInvalidBytes) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto s = str("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(pbStringLength(s.get()), 4);
    EXPECT_EQ(pbStringCharAt(s.get(), 3), 0x1F600u);
    EXPECT_EQ(utf8(s.get()), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    // Lone continuation byte, overlong '/', a surrogate, and a cut sequence.
    auto bad = str("\x80" "\xC0\xAF" "\xED\xA0\x80" "\xE2\x82");
    for (PB_INT i = 0; i < pbStringLength(bad.get()); ++i) EXPECT_EQ(pbStringCharAt(bad.get(), i), 0xFFFDu);
    EXPECT_EQ(pbStringLength(bad.get()), 8);
    auto w = pb::adopt(pbStringCreateFromWcstr(L"x\u00e9", -1));
    EXPECT_EQ(utf8(w.get()), "x\xC3\xA9");
}

// Runs of ASCII are read eight bytes at a time: whatever length a run has
// and whatever follows it (a longer sequence, a byte that starts none, a
// sequence cut short, more ASCII, the end), each byte reads as it would alone.
TEST(PbString, Utf8AsciiRunsOfAnyLengthBeforeAnyBytes) {
    VTEST_NO_LEAKS_IN_SCOPE();
    const struct {
        const char* bytes;
        std::vector<PB_CHAR> chars;
    } tails[] = {{"", {}},           {"\xC3\xA9", {0xE9}}, {"\xF0\x9F\x98\x80", {0x1F600}},
                 {"\xFF", {0xFFFD}}, {"\x80", {0xFFFD}},   {"\xE2\x82", {0xFFFD, 0xFFFD}}};
    for (size_t run : {1, 7, 8, 9, 15, 16}) {
        for (const auto& tail : tails) {
            for (size_t after : {0, 9}) {
                std::string text;
                std::vector<PB_CHAR> expected;
                auto ascii = [&](size_t n) {
                    for (size_t i = 0; i < n; ++i) {
                        text += char('a' + i % 26);
                        expected.push_back(PB_CHAR('a' + i % 26));
                    }
                };
                ascii(run);
                text += tail.bytes;
                expected.insert(expected.end(), tail.chars.begin(), tail.chars.end());
                ascii(after);
                std::vector<char> exact(text.begin(), text.end());  // nothing readable after the bytes
                auto s = pb::adopt(pbStringCreateFromCstr(exact.data(), PB_INT(exact.size())));
                std::vector<PB_CHAR> got;
                for (PB_INT i = 0; i < pbStringLength(s.get()); ++i) got.push_back(pbStringCharAt(s.get(), i));
                EXPECT_EQ(got, expected) << "run " << run << ", tail " << &tail - tails << ", then " << after;
            }
        }
    }
}

TEST(PbString, MutatorsCopyOnlyWhenShared) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto a = str("abc");
    PB_STRING* held = a.get();
    pbStringSetCharAt(a.out(), 0, 'X');
    EXPECT_EQ(a.get(), held);  // sole holder: changed in place
    auto b = a;                // now shared
    pbStringAppendCstr(b.out(), "def", -1);
    EXPECT_NE(b.get(), a.get());
    EXPECT_EQ(utf8(a.get()), "Xbc");
    EXPECT_EQ(utf8(b.get()), "Xbcdef");
    EXPECT_EQ(pbObjRefCount(b.obj()), 1);
    pbStringAppend(b.out(), b.get());  // appending to itself
    EXPECT_EQ(utf8(b.get()), "XbcdefXbcdef");
    pbStringToUpper(b.out());
    pbStringTrim(b.out(), 3, 4);
    EXPECT_EQ(utf8(b.get()), "DEFX");
}

TEST(PbString, InternedStringsAreSharedImmortalAndCopiedOnChange) {
    VTEST_NO_LEAKS_IN_SCOPE();
    PB_STRING* a = pb___StringInternCstr("internKey\xC3\xA9", -1);
    std::string buffer = "internKey\xC3\xA9 and more";
    EXPECT_EQ(pb___StringInternCstr(buffer.c_str(), 11), a);  // same text, other memory
    EXPECT_NE(pb___StringInternCstr("internKey", -1), a);
    EXPECT_TRUE(pbStringEquals(a, str("internKey\xC3\xA9").get()));
    EXPECT_EQ(pbObjRefCount(pbStringObj(a)), PB_INT_MAX);
    pb::Ref<PB_STRING> held = pb::retain(a);
    pbStringAppendCstr(held.out(), "!", -1);
    EXPECT_EQ(utf8(held.get()), "internKey\xC3\xA9!");
    EXPECT_EQ(utf8(a), "internKey\xC3\xA9");
}

TEST(PbString, ComparesByCodePoint) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto a = str("ab"), b = str("abc"), c = str("\xC3\xA9"), d = str("ab");
    EXPECT_LT(pbStringCompare(a.get(), b.get()), 0);
    EXPECT_GT(pbStringCompare(c.get(), b.get()), 0);
    EXPECT_TRUE(pbStringEquals(a.get(), d.get()));
    EXPECT_TRUE(pbStringEqualsCstr(a.get(), "abX", 2));
}

TEST(PbString, Formats) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto name = str("cs");
    auto f = pb::adopt(pbStringCreateFromFormatCstr("%s-%lc|%i|%05i|%-4i|%x|%%|%o|%~o.", -1, name.get(),
                                                    "\xC3\xA9", PB_INT(-42), PB_INT(-42), PB_INT(7),
                                                    PB_INT(255), pbStringObj(name.get()), (PB_OBJ*)nullptr));
    EXPECT_EQ(utf8(f.get()), "cs-\xC3\xA9|-42|-0042|7   |ff|%|cs|.");
    auto g = pb::adopt(pbStringCreateFromFormatWcstr(L"%lc=%i", -1, "k", PB_INT(1)));
    EXPECT_EQ(utf8(g.get()), "k=1");
}

TEST(PbString, ScansReportConsumedCharacters) {
    VTEST_NO_LEAKS_IN_SCOPE();
    PB_INT v = 0, used = 0;
    PB_BOOL b = 0;
    EXPECT_TRUE(pbStringScanInt(str("-123x").get(), 0, -1, -1, &v, &used));
    EXPECT_EQ(v, -123);
    EXPECT_EQ(used, 4);
    EXPECT_TRUE(pbStringScanInt(str("0x1F").get(), 0, -1, -1, &v, &used));
    EXPECT_EQ(v, 31);
    EXPECT_TRUE(pbStringScanInt(str("-9223372036854775808").get(), 0, -1, 10, &v, &used));
    EXPECT_EQ(v, PB_INT_MIN);
    EXPECT_FALSE(pbStringScanInt(str("9223372036854775808").get(), 0, -1, 10, &v, &used));
    EXPECT_FALSE(pbStringScanInt(str("-").get(), 0, -1, 10, &v, &used));
    EXPECT_TRUE(pbStringScanInt(str("12345").get(), 1, 2, 10, &v, &used));
    EXPECT_EQ(v, 23);
    EXPECT_TRUE(pbStringScanBool(str("TRUE!").get(), 0, -1, PB_STRING_SCAN_BOOL_IGNORE_CASE, &b, &used));
    EXPECT_EQ(b, 1);
    EXPECT_EQ(used, 4);
    EXPECT_FALSE(pbStringScanBool(str("TRUE").get(), 0, -1, 0, &b, &used));
    EXPECT_TRUE(pbStringScanBool(str("off").get(), 0, -1, 0, &b, &used));
    EXPECT_EQ(b, 0);
}

TEST(PbStringDeathTest, StandardOperationsCheckTheirArguments) {
    EXPECT_DEATH(pbStringRetain(nullptr), "stdfunc retain: obj");
    auto mv = pb::adopt(pbModuleVersionCreate(1, 0, 0));
    EXPECT_DEATH(pbStringFrom(pbModuleVersionObj(mv.get())),
                 "stdfunc from: !obj \\|\\| pbObjSort\\(obj\\)==&pb___sort_PB_STRING");
    EXPECT_DEATH(pbStringCharAt(str("a").get(), 1), "index >= 0 && index < str->length");
}

}  // namespace
