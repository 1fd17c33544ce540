// Name rules, identifiers, dates and module versions: the parsers of the
// runtime's small value types.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "support/live_objects.hpp"
#include "support/text.hpp"

namespace {

using vtest::take;

TEST(PbName, Rules) {
    VTEST_NO_LEAKS_IN_SCOPE();
    EXPECT_TRUE(pbNameCamelCaseOkCstr("csConditionValue", -1, PB_TRUE));
    EXPECT_FALSE(pbNameCamelCaseOkCstr("CsConditionValue", -1, PB_TRUE));
    EXPECT_TRUE(pbNameCamelCaseOkCstr("CsConditionValue", -1, PB_FALSE));
    EXPECT_FALSE(pbNameCamelCaseOkCstr("cs_value", -1, PB_TRUE));
    EXPECT_FALSE(pbNameCamelCaseOkCstr("", -1, PB_TRUE));
    EXPECT_FALSE(pbNameCamelCaseOkCstr("9lives", -1, PB_TRUE));
    EXPECT_TRUE(pbNameUpperCaseOkCstr("CS___CONDITION_IMP", -1, PB_TRUE));
    EXPECT_FALSE(pbNameUpperCaseOkCstr("CS_CONDITION", -1, PB_FALSE));
    EXPECT_FALSE(pbNameUpperCaseOkCstr("_CS", -1, PB_TRUE));
    EXPECT_FALSE(pbNameUpperCaseOkCstr("CS_Condition", -1, PB_TRUE));
    EXPECT_TRUE(pbModuleNameOkCstr("rfc2", -1));
    EXPECT_FALSE(pbModuleNameOkCstr("Cs", -1));
    EXPECT_FALSE(pbModuleNameOkCstr("c-s", -1));
    EXPECT_FALSE(pbModuleNameOk(nullptr));
    EXPECT_FALSE(pbModuleNameOkCstr(std::string(65, 'a').c_str(), -1));
}

TEST(PbIdentifier, UniqueCanonicalAndParsable) {
    VTEST_NO_LEAKS_IN_SCOPE();
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        auto id = pb::adopt(pbIdentifierCreate());
        std::string s = take(pbIdentifierString(id.get()));
        ASSERT_EQ(s.size(), 36u);
        ASSERT_EQ(s.find_first_not_of("0123456789abcdef-"), std::string::npos);
        EXPECT_TRUE(seen.insert(s).second);
        auto back = pb::adopt(pbIdentifierTryCreateFromCstr(s.c_str(), -1));
        ASSERT_TRUE(back);
        EXPECT_TRUE(pbIdentifierEquals(id.get(), back.get()));
        EXPECT_EQ(take(pbIdentifierToString(back.get())), s);
    }
    auto upper = pb::adopt(pbIdentifierTryCreateFromCstr("0123ABCD-0000-4000-8000-00000000FFFF", -1));
    ASSERT_TRUE(upper);
    EXPECT_EQ(take(pbIdentifierString(upper.get())), "0123abcd-0000-4000-8000-00000000ffff");
    for (const char* bad : {"", "0123abcd-0000-4000-8000-00000000fff", "0123abcd00000-4000-8000-00000000ffff",
                            "0123abcd-0000-4000-8000-00000000fffg", "0123abcd-0000-4000-8000-00000000ffff0"})
        EXPECT_FALSE(pb::adopt(pbIdentifierTryCreateFromCstr(bad, -1))) << bad;
}

TEST(PbTime, ParsesValidDatesOnlyAndOrdersThem) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto a = pb::adopt(pbTimeTryCreateFromCstr("2000-01-01", -1));
    auto b = pb::adopt(pbTimeTryCreateFromCstr("2024-04-02", -1));
    auto leap = pb::adopt(pbTimeTryCreateFromCstr("2024-02-29", -1));
    ASSERT_TRUE(a && b && leap);
    EXPECT_LT(pbTimeCompare(a.get(), b.get()), 0);
    EXPECT_LT(pbTimeCompare(leap.get(), b.get()), 0);
    EXPECT_EQ(take(pbTimeToString(b.get())), "2024-04-02");
    for (const char* bad : {"2023-02-29", "1900-02-29", "2024-13-01", "2024-04-31", "24-04-02", "2024/04/02",
                            "2024-04-02 ", "0000-01-01"})
        EXPECT_FALSE(pb::adopt(pbTimeTryCreateFromCstr(bad, -1))) << bad;
}

TEST(PbModuleVersion, ParsesOrdersAndPrints) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto v1 = pb::adopt(pbModuleVersionTryCreateFromCstr("1.0", -1));
    auto v2 = pb::adopt(pbModuleVersionTryCreateFromCstr("6.0.3", -1));
    auto v3 = pb::adopt(pbModuleVersionTryCreateFromCstr("6.0", -1));
    ASSERT_TRUE(v1 && v2 && v3);
    EXPECT_EQ(pbModuleVersionMajor(v2.get()), 6);
    EXPECT_EQ(pbModuleVersionPatch(v2.get()), 3);
    EXPECT_LT(pbModuleVersionCompare(v1.get(), v3.get()), 0);
    EXPECT_LT(pbModuleVersionCompare(v3.get(), v2.get()), 0);
    EXPECT_EQ(take(pbModuleVersionToString(v2.get())), "6.0.3");
    EXPECT_EQ(take(pbModuleVersionToString(v3.get())), "6.0");
    for (const char* bad : {"", "1", "1.", ".1", "1.2.3.4", "a.b", "-1.0", "1.+2", "1.2 "})
        EXPECT_FALSE(pb::adopt(pbModuleVersionTryCreateFromCstr(bad, -1))) << bad;
}

}  // namespace
