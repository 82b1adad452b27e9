#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "framework/base/Exceptions.hpp"
#include "framework/math/Math.hpp"
#include "tests/framework/MathTestUlps.hpp"

using rtl::Extended;

namespace {

struct PowerCase {
    Extended rBase;
    Extended rExponent;
    Extended rExpected;
};

// Expected values: mpmath at 40 digits, from the exact binary value of each argument.
const PowerCase kPowerCases[] = {
    {2, 10, 1024},
    {-8, 3, -512},
    {-1.5L, -7, -0.05852766346593507087334248L},
    {0.5L, -3, 8},
    {0, 0, 1},
    {-3, 0, 1},
    {0, 2.5L, 0},
    // 1 + 2^-30 to the greatest 32-bit exponent: a naive product by squaring is off
    // in the ninth digit here.
    {1.000000000931322574615478515625L, 2147483647, 7.389056085167460747456951L},
    {0.999999999068677425384521484375L, -2147483648.0L, 7.389056105812244984741873L},
    {2, 0.5L, 1.414213562373095048801689L},
    {7.25L, -1.75L, 0.0312182452785854084704463L},
    {0.75L, 1000.5L, 9.972269881687948860605e-126L},
};

}  // namespace

TEST(Power, IsAccurateToAFewUlpsOverWholeAndFractionalExponents) {
    for (const PowerCase& c : kPowerCases) {
        SCOPED_TRACE(testing::Message() << c.rBase << " ^ " << c.rExponent);
        EXPECT_WITHIN_ULPS(rtl::Power(c.rBase, c.rExponent), c.rExpected, 2);
    }
}

TEST(Power, OfOneIsOneWhateverTheExponent) {
    for (const Extended rExponent : {0.5L, -0.5L, 1e4000L, -1e4932L, std::numeric_limits<Extended>::max()})
        EXPECT_EQ(rtl::Power(1, rExponent), 1) << rExponent;
}

TEST(Power, KeepsADenormalResultOfANegativeExponent) {
    // 10^-4940 lies below the normal range; the intermediate 10^4940 would overflow.
    const Extended rResult = rtl::Power(10, -4940);
    EXPECT_GT(rResult, 0);
    EXPECT_NEAR(double(rResult / 1e-4940L), 1.0, 1e-9);
}

TEST(Power, UnderflowGivesZero) {
    EXPECT_EQ(rtl::Power(0.5L, 20000), 0);
    EXPECT_EQ(rtl::Power(10, -1e10L), 0);
}

TEST(Power, RaisesTheFailureThatMatchesTheCause) {
    EXPECT_THROW(rtl::Power(0, -1), rtl::EZeroDivide);
    EXPECT_THROW(rtl::Power(0, -0.5L), rtl::EZeroDivide);
    EXPECT_THROW(rtl::Power(-8, 1.0L / 3), rtl::EInvalidOp);
    // A whole exponent beyond the 32-bit range takes the logarithmic path.
    EXPECT_THROW(rtl::Power(-2, 3e9L), rtl::EInvalidOp);
    EXPECT_THROW(rtl::Power(10, 5000), rtl::EOverflow);
    EXPECT_THROW(rtl::Power(10, 5000.5L), rtl::EOverflow);
    EXPECT_THROW(rtl::IntPower(0, -3), rtl::EZeroDivide);
    EXPECT_THROW(rtl::IntPower(-10, 4933), rtl::EOverflow);
}

TEST(IntPower, HandlesTheMostNegativeExponent) {
    EXPECT_EQ(rtl::IntPower(1, std::numeric_limits<int>::min()), 1);
    EXPECT_EQ(rtl::IntPower(-1, std::numeric_limits<int>::min()), 1);
    EXPECT_EQ(rtl::IntPower(2, -3), 0.125L);
}

TEST(FiniteOrRaise, NamesTheCauseOfANonFiniteResult) {
    const Extended rInfinity = std::numeric_limits<Extended>::infinity();
    const Extended rNan = std::numeric_limits<Extended>::quiet_NaN();
    EXPECT_EQ(rtl::FiniteOrRaise(2.5L), 2.5L);
    EXPECT_THROW(rtl::FiniteOrRaise(rInfinity), rtl::EOverflow);
    EXPECT_THROW(rtl::FiniteOrRaise(-rInfinity, true), rtl::EZeroDivide);
    EXPECT_THROW(rtl::FiniteOrRaise(rNan, true), rtl::EInvalidOp);
}
