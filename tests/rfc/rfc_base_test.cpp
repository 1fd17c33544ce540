// Base encodings: known vectors, round trips of every short length, and
// strict rejection of every kind of non-canonical text.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "rfc/rfc.h"
#include "support/live_objects.hpp"
#include "support/text.hpp"

namespace {

pb::Ref<PB_BUFFER> buf(const std::string& s) {
    return pb::adopt(pbBufferCreateFromBytes(s.data(), PB_INT(s.size())));
}

std::string encode(const std::string& bytes, PB_INT selector) {
    return vtest::take(rfcBaseEncodeToString(buf(bytes).get(), selector));
}

// The decoded bytes, or "<null>" when the text is rejected.
std::string decode(const std::string& text, PB_INT selector) {
    auto s = pb::adopt(pbStringCreateFromCstr(text.data(), PB_INT(text.size())));
    auto b = pb::adopt(rfcBaseTryDecodeString(s.get(), selector));
    if (!b) return "<null>";
    return vtest::bytes(b.get());
}

TEST(RfcBase, EncodesTheStandardVectors) {
    VTEST_NO_LEAKS_IN_SCOPE();
    const char* in[] = {"", "f", "fo", "foo", "foob", "fooba", "foobar"};
    const char* b64[] = {"", "Zg==", "Zm8=", "Zm9v", "Zm9vYg==", "Zm9vYmE=", "Zm9vYmFy"};
    const char* b32[] = {"", "MY======", "MZXQ====", "MZXW6===", "MZXW6YQ=", "MZXW6YTB", "MZXW6YTBOI======"};
    const char* b16[] = {"", "66", "666F", "666F6F", "666F6F62", "666F6F6261", "666F6F626172"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(encode(in[i], RFC_BASE_64), b64[i]);
        EXPECT_EQ(encode(in[i], RFC_BASE_32), b32[i]);
        EXPECT_EQ(encode(in[i], RFC_BASE_16), b16[i]);
        EXPECT_EQ(decode(b64[i], RFC_BASE_64), in[i]);
        EXPECT_EQ(decode(b32[i], RFC_BASE_32), in[i]);
        EXPECT_EQ(decode(b16[i], RFC_BASE_16), in[i]);
    }
    EXPECT_EQ(encode("\xFB\xFF", RFC_BASE_64), "+/8=");
}

TEST(RfcBase, RoundTripsRandomBuffersOfEveryLength) {
    VTEST_NO_LEAKS_IN_SCOPE();
    std::mt19937 rng(20240814);
    for (PB_INT selector : {RFC_BASE_16, RFC_BASE_32, RFC_BASE_64}) {
        for (size_t length = 0; length <= 300; ++length) {
            std::string bytes(length, '\0');
            for (auto& c : bytes) c = char(rng() & 0xFF);
            std::string text = encode(bytes, selector);
            ASSERT_EQ(decode(text, selector), bytes) << "selector " << selector << " length " << length;
        }
    }
}

TEST(RfcBase, Base64RejectsNonCanonicalText) {
    VTEST_NO_LEAKS_IN_SCOPE();
    // Wrong length.
    for (const char* t : {"Z", "Zg", "Zg=", "Zm9vY", "Zm9vYg=", "Zm9vYg==="}) EXPECT_EQ(decode(t, RFC_BASE_64), "<null>") << t;
    // Characters outside the alphabet, whitespace and line breaks included.
    for (const char* t : {"Zm9-", "Zm9_", "Zm 9", "Zm9v\n", "\tZm9", "Zm9\xC3\xA9"})
        EXPECT_EQ(decode(t, RFC_BASE_64), "<null>") << t;
    // Misplaced padding.
    for (const char* t : {"=Zm9", "Zm=v", "Zg==Zm9v", "Z===", "===="}) EXPECT_EQ(decode(t, RFC_BASE_64), "<null>") << t;
    // Non-zero bits below the last byte.
    for (const char* t : {"Zh==", "Zm9=", "Zm+="}) EXPECT_EQ(decode(t, RFC_BASE_64), "<null>") << t;
    EXPECT_EQ(decode("//8B", RFC_BASE_64), "\xFF\xFF\x01");
}

TEST(RfcBase, Base32AndBase16RejectNonCanonicalText) {
    VTEST_NO_LEAKS_IN_SCOPE();
    for (const char* t : {"MY=====", "MZX=====", "MZXW6Y==", "M=======", "MY======MY======", "my======", "MZ======"})
        EXPECT_EQ(decode(t, RFC_BASE_32), "<null>") << t;
    for (const char* t : {"6", "666", "6f", "6G", "6=", " 66"}) EXPECT_EQ(decode(t, RFC_BASE_16), "<null>") << t;
}

TEST(RfcBaseDeathTest, RejectsUnknownSelectors) {
    auto b = buf("x");
    EXPECT_DEATH(rfcBaseEncodeToString(b.get(), 4), "source/rfc/rfc_base.cpp:[0-9]+: RFC_BASE_SELECTOR_OK\\(selector\\)");
    auto s = pb::adopt(pbStringCreate());
    EXPECT_DEATH(rfcBaseTryDecodeString(s.get(), 0), "RFC_BASE_SELECTOR_OK\\(selector\\)");
}

}  // namespace
