// Enums and flagsets: names to values and back, copy-on-write.
#include <gtest/gtest.h>

#include <string>

#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "support/live_objects.hpp"
#include "support/text.hpp"

namespace {

using vtest::take;

TEST(PbEnum, GeneratesAndParsesLiteralNames) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto e = pb::adopt(pbEnumCreate());
    pbEnumSetEnumerantCstr(e.out(), "MODE_FALLBACK", -1, 0);
    pbEnumSetEnumerantCstr(e.out(), "MODE_DISABLED", -1, 1);
    auto shared = e;
    pbEnumSetEnumerantCstr(e.out(), "MODE_DISABLED_HERE", -1, 2);
    EXPECT_EQ(pbEnumLength(shared.get()), 2);  // the other holder is unchanged
    EXPECT_EQ(pbEnumLength(e.get()), 3);
    EXPECT_EQ(take(pbEnumGenerate(e.get(), 2)), "MODE_DISABLED_HERE");
    EXPECT_EQ(take(pbEnumGenerate(e.get(), 7)), "<null>");
    EXPECT_EQ(pbEnumParseCstr(e.get(), "MODE_DISABLED", -1), 1);
    EXPECT_EQ(pbEnumParseCstr(e.get(), "MODE_disabled", -1), -1);
    EXPECT_EQ(pbEnumParseCstr(shared.get(), "MODE_DISABLED_HERE", -1), -1);
}

TEST(PbFlagset, GeneratesAndParsesFlagWords) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto f = pb::adopt(pbFlagsetCreate());
    EXPECT_FALSE(pbFlagsetHasFlagCstr(f.get(), "FLAG_FORCE", -1));
    pbFlagsetSetFlagCstr(f.out(), "FLAG_FORCE", -1, 1);
    pbFlagsetSetFlagCstr(f.out(), "FLAG_LATE", -1, 4);
    EXPECT_TRUE(pbFlagsetHasFlagCstr(f.get(), "FLAG_FORCE", -1));
    EXPECT_EQ(take(pbFlagsetGenerate(f.get(), 5)), "FLAG_FORCE, FLAG_LATE");
    EXPECT_EQ(take(pbFlagsetGenerate(f.get(), 2)), "");
    EXPECT_EQ(pbFlagsetParseCstr(f.get(), "FLAG_LATE|FLAG_FORCE", -1), 5);
    EXPECT_EQ(pbFlagsetParseCstr(f.get(), " FLAG_LATE, UNKNOWN ", -1), 4);
    EXPECT_EQ(pbFlagsetParseCstr(f.get(), "UNKNOWN", -1), 0);
}

TEST(PbEnumDeathTest, RejectsBadNamesAndValues) {
    auto e = pb::adopt(pbEnumCreate());
    EXPECT_DEATH(pbEnumSetEnumerantCstr(e.out(), "lower", -1, 0), "pbNameUpperCaseOk\\( name, PB_TRUE \\)");
    EXPECT_DEATH(pbEnumSetEnumerantCstr(e.out(), "OK", -1, -1), "value >= 0");
}

}  // namespace
