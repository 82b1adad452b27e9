#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "framework/base/Exceptions.hpp"
#include "framework/math/Math.hpp"

using rtl::Extended;

namespace {

struct RoundedCase {
    const char* sName;
    Extended (*Routine)(Extended);
    Extended rArgument;
    Extended rExpected;
};

// Expected values: MPFR at 64 bits, rounded to nearest (denormals too), from the exact
// binary value of each argument.
const RoundedCase kRoundedCases[] = {
    {"Exp", rtl::Exp, 1, 0xa.df85458a2bb4a9bp-2L},
    {"Exp", rtl::Exp, -1, 0xb.c5ab1b16779be35p-5L},
    {"Exp", rtl::Exp, 0.3L, 0xa.cc82c6460d4ad23p-3L},
    {"Exp", rtl::Exp, 11356.5L, 0xf.a13dba329dd768dp+16380L},
    {"Exp", rtl::Exp, -11355.5L, 0x5.90b8716326fa3c1p-16385L},  // denormal
    {"Exp", rtl::Exp, -11390.25L, 0x0.00000000000144bp-16385L},
    {"Exp", rtl::Exp, 1e-30L, 1},
    {"ExpM1", rtl::ExpM1, 1e-30L, 1e-30L},
    {"ExpM1", rtl::ExpM1, 0x1p-12L, 0x8.004001555aaabbcp-15L},
    {"ExpM1", rtl::ExpM1, -0.5L, -0xc.974d039069f6018p-5L},
    {"ExpM1", rtl::ExpM1, 50, 0x8.c881f20405a2b32p+69L},
    {"Ln", rtl::Ln, 2, 0xb.17217f7d1cf79acp-4L},
    {"Ln", rtl::Ln, 1.5L, 0xc.f991f65fcc25f96p-5L},
    {"Ln", rtl::Ln, 1 - 0x1p-64L, -0x1p-64L},
    {"Ln", rtl::Ln, std::numeric_limits<Extended>::denorm_min(), -0xb.21b38b6aa03736cp+10L},
    {"Ln", rtl::Ln, 1e4000L, 0x8.fe95c8a78a8b80ep+10L},
};

Extended PowerOfTen(int k) { return std::strtold(("1e" + std::to_string(k)).c_str(), nullptr); }

}  // namespace

TEST(ExpLog, RoundCorrectly) {
    for (const RoundedCase& c : kRoundedCases) {
        SCOPED_TRACE(testing::Message() << c.sName << "(" << c.rArgument << ")");
        EXPECT_EQ(c.Routine(c.rArgument), c.rExpected);
    }
}

TEST(ExpLog, KeepExactValuesExact) {
    EXPECT_EQ(rtl::Exp(0), 1);
    EXPECT_EQ(rtl::ExpM1(0), 0);
    EXPECT_EQ(rtl::Ln(1), 0);
    EXPECT_EQ(rtl::Ceil(rtl::Log10(1000)), 3);
    EXPECT_EQ(rtl::Floor(rtl::Log10(0.001L)), -3);
    // Every power of ten from the least normal one up; below, the nearest Extended has
    // too few digits left for its logarithm to round to a whole number.
    for (int k = -4931; k <= 4932; ++k) ASSERT_EQ(rtl::Log10(PowerOfTen(k)), k) << k;
    for (int k = -16445; k <= 16383; ++k) ASSERT_EQ(rtl::Log2(std::ldexp(Extended(1), k)), k) << k;
    for (int k = 0; k <= 27; ++k) EXPECT_EQ(rtl::Power(10, k), PowerOfTen(k)) << k;
    for (int k = -16445; k <= 16383; k += 7) ASSERT_EQ(rtl::Power(2, k), std::ldexp(Extended(1), k)) << k;
}

TEST(ExpLog, FailOrUnderflowAtTheEdges) {
    EXPECT_THROW(rtl::Exp(11357), rtl::EOverflow);
    EXPECT_THROW(rtl::ExpM1(11357), rtl::EOverflow);
    EXPECT_THROW(rtl::Exp(std::numeric_limits<Extended>::quiet_NaN()), rtl::EInvalidOp);
    EXPECT_EQ(rtl::Exp(-11500), 0);
    EXPECT_EQ(rtl::ExpM1(-100), -1);
    EXPECT_THROW(rtl::Ln(0), rtl::EZeroDivide);
    EXPECT_THROW(rtl::Ln(-1), rtl::EInvalidOp);
    EXPECT_THROW(rtl::LnXP1(-1), rtl::EZeroDivide);
    EXPECT_THROW(rtl::Ln(std::numeric_limits<Extended>::infinity()), rtl::EOverflow);
    // Infinite arguments keep the finite results IEEE arithmetic gives them.
    EXPECT_EQ(rtl::Tanh(-std::numeric_limits<Extended>::infinity()), -1);
    EXPECT_EQ(rtl::IntPower(std::numeric_limits<Extended>::infinity(), -2), 0);
    EXPECT_TRUE(std::signbit(rtl::IntPower(-std::numeric_limits<Extended>::infinity(), -3)));
    EXPECT_FALSE(std::signbit(rtl::IntPower(-std::numeric_limits<Extended>::infinity(), -2)));
    EXPECT_EQ(rtl::IntPower(std::numeric_limits<Extended>::quiet_NaN(), 0), 1);
}

TEST(IntPower, RoundsResultsNearAndBelowTheNormalRangeOnce) {
    struct {
        Extended rBase;
        int iExponent;
        Extended rExpected;
    } const kCases[] = {
        {0x3p-8224L, 2, 0x1p-16445L},                                // 1.125 of the least denormal
        {0x3p-8223L, 2, 0x4p-16445L},                                // 4.5: a tie, to even
        {0x5p-8223L, 2, 0xCp-16445L},                                // 12.5: a tie, to even
        {0.5L, 16446, 0},                                            // half the least denormal: a tie, to 0
        {0xFFFFFFFFFFFFFFFFp-8255L, 2, 0x7FFFFFFFFFFFFFFFp-16445L},  // just below normal
        {0xAp8000L, -2, 0xa.3d70a3d70a3d70ap-16010L},                // the square itself overflows
        {1.1L, -118000, 0xb.fe5f1a50be2d63bp-16229L},
        {-0x1.8p-4000L, 4, 0x5.1p-16000L},
        {2, 16383, 0x1p16383L},
        {-2, 16383, -0x1p16383L},
        {0.5L, -16383, 0x1p16383L},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << std::hexfloat << c.rBase << " ^ " << c.iExponent);
        EXPECT_EQ(rtl::IntPower(c.rBase, c.iExponent), c.rExpected);
    }
    EXPECT_THROW(rtl::IntPower(2, 16384), rtl::EOverflow);
    EXPECT_THROW(rtl::IntPower(0.5L, -16384), rtl::EOverflow);
}
