// Integer helpers and random ranges.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "pb/pb.h"

namespace {

TEST(PbInt, SaturatingArithmeticClampsAtBothEnds) {
    EXPECT_EQ(pbIntAddSaturating(PB_INT_MAX, 1), PB_INT_MAX);
    EXPECT_EQ(pbIntAddSaturating(PB_INT_MIN, -1), PB_INT_MIN);
    EXPECT_EQ(pbIntAddSaturating(5, -7), -2);
    EXPECT_EQ(pbIntSubSaturating(PB_INT_MIN, 1), PB_INT_MIN);
    EXPECT_EQ(pbIntSubSaturating(0, PB_INT_MIN), PB_INT_MAX);
    EXPECT_EQ(pbIntMulSaturating(PB_INT_MAX / 2, 3), PB_INT_MAX);
    EXPECT_EQ(pbIntMulSaturating(PB_INT_MIN, -1), PB_INT_MAX);
    EXPECT_EQ(pbIntMulSaturating(-4, PB_INT_MAX), PB_INT_MIN);
    EXPECT_TRUE(pbIntMulOk(3037000499, 3037000499));
    EXPECT_FALSE(pbIntMulOk(3037000500, 3037000500));
    EXPECT_TRUE(PB_INT_ADD_OK(PB_INT_MAX - 1, 1));
    EXPECT_FALSE(PB_INT_ADD_OK(PB_INT_MAX, 1));
    EXPECT_FALSE(PB_INT_SUB_OK(PB_INT_MIN, 1));
    EXPECT_TRUE(PB_INT_SUB_OK(-1, PB_INT_MAX));
}

TEST(PbInt, RealToIntTruncatesAndSaturates) {
    EXPECT_EQ(pbRealToInt(2.9), 2);
    EXPECT_EQ(pbRealToInt(-2.9), -2);
    EXPECT_EQ(pbRealToInt(std::ceil(1000.0 / 3)), 334);
    EXPECT_EQ(pbRealToInt(1e30), PB_INT_MAX);
    EXPECT_EQ(pbRealToInt(-1e30), PB_INT_MIN);
    EXPECT_EQ(pbRealToInt(NAN), 0);
}

TEST(PbRandom, RangeIncludesBothBounds) {
    std::set<PB_INT> seen;
    for (int i = 0; i < 2000; ++i) {
        PB_INT v = pbRandomNonNegativeIntRange(3, 6);
        ASSERT_GE(v, 3);
        ASSERT_LE(v, 6);
        seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 4u);
    EXPECT_EQ(pbRandomNonNegativeIntRange(7, 7), 7);
}

TEST(PbRandomDeathTest, RejectsBadRanges) {
    EXPECT_DEATH(pbRandomNonNegativeIntRange(-1, 3), "low >= 0");
    EXPECT_DEATH(pbRandomNonNegativeIntRange(4, 3), "low <= high");
}

}  // namespace
