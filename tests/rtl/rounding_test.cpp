// Half-to-even rounding, including the halves either side of zero and the far ends.
#include "rtl/rounding.h"

#include <cfenv>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace rtl {
namespace {

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(86.5), 86);
    EXPECT_EQ(RoundHalfEven(87.5), 88);
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
}

TEST(RoundHalfEven, OtherValuesGoToTheNearest) {
    EXPECT_EQ(RoundHalfEven(86.7), 87);
    EXPECT_EQ(RoundHalfEven(86.49), 86);
    EXPECT_EQ(RoundHalfEven(-86.7), -87);
    EXPECT_EQ(RoundHalfEven(0.49999999999999994), 0) << "adding 0.5 would round this up";
    EXPECT_EQ(RoundHalfEven(4503599627370497.0), 4503599627370497);
    EXPECT_EQ(RoundHalfEven(-0.0), 0);
}

TEST(RoundHalfEven, IndependentOfTheRoundingMode) {
    const int saved = std::fegetround();
    std::fesetround(FE_UPWARD);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(2.2), 2);
    std::fesetround(saved);
}

TEST(RoundHalfEven, NonFiniteAndHugeValuesSaturate) {
    EXPECT_EQ(RoundHalfEven(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(RoundHalfEven(1e300), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(RoundHalfEven(-std::numeric_limits<double>::infinity()),
              std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(RoundHalfEvenInt(3e9), std::numeric_limits<int>::max());
    EXPECT_EQ(RoundHalfEvenInt(-3e9), std::numeric_limits<int>::min());
    EXPECT_EQ(RoundHalfEvenInt(-7.5), -8);
}

}  // namespace
}  // namespace rtl
