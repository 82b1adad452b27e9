#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "framework/Exceptions.hpp"
#include "framework/Math.hpp"
#include "tests/framework/MathTestUlps.hpp"

using rtl::Extended;

namespace {

constexpr Extended kLargest = std::numeric_limits<Extended>::max();
constexpr Extended kLeastDenormal = std::numeric_limits<Extended>::denorm_min();

struct ReductionCase {
    const char* sName;
    Extended rArgument;
    Extended rSin, rCos, rTan, rCot;
};

// Expected values: mpmath at 60000 bits, rounded to the nearest Extended.
const ReductionCase kReductionCases[] = {
    // The largest argument, and 1e4000: the reduction needs bits of 2 / pi from
    // beyond the 16000th.
    {"largest", kLargest, 0xFDFD9D4B6D0E5F7Cp-64L, -0x800BBD0061D4F543p-66L,
     -0xFDE654994CE86FDBp-61L, -0x810F0EFF4AD1DB69p-66L},
    {"1e4000", 0xD1BA8323FE558C61p13224L, 0x90DE0837A745738Ap-64L, 0xD31143593FF9DEC5p-64L,
     0xAFB4FFF78A51D56Bp-64L, 0xBA7E0447E10DDFEAp-63L},
    // The Extended values nearest to pi, 355 pi and 1e6 pi: the sine is what the
    // argument misses the multiple by, 2^-64 to 2^-43 of it, and a reduction that
    // loses bits there gets few of them right.
    {"pi", rtl::Pi, -0xECE675D1FC8F8CBBp-128L, -1, 0xECE675D1FC8F8CBBp-128L, 0x8A51E04DAABDA35Fp1L},
    {"355 pi", 0x8B687E176A2A22A8p-53L, -0xD320E5588C4EC40Ap-118L, -1, 0xD320E5588C4EC40Ap-118L,
     0x9B343D2E07E24244p-9L},
    {"1e6 pi", 0xBFBF629D46A48BD6p-42L, 0xCA0E7C5A5B202B29p-107L, 1, 0xCA0E7C5A5B202B29p-107L,
     0xA22C21FA546A9B0Bp-20L},
};

}  // namespace

TEST(Trigonometry, ReducesHugeArgumentsAndNearMultiplesOfPiExactly) {
    for (const ReductionCase& c : kReductionCases) {
        SCOPED_TRACE(c.sName);
        for (Extended rSign : {1, -1}) {
            const Extended x = rSign * c.rArgument;
            EXPECT_WITHIN_ULPS(rtl::Sin(x), rSign * c.rSin, 0.5);
            EXPECT_WITHIN_ULPS(rtl::Cos(x), c.rCos, 0.5);
            EXPECT_WITHIN_ULPS(rtl::Tan(x), rSign * c.rTan, 0.5);
            EXPECT_WITHIN_ULPS(rtl::Cotan(x), rSign * c.rCot, 0.5);
        }
    }
}

TEST(Trigonometry, KeepsZerosTinyArgumentsAndTheirSigns) {
    EXPECT_EQ(rtl::Sin(0), 0);
    EXPECT_TRUE(std::signbit(rtl::Sin(-0.0L)));
    EXPECT_TRUE(std::signbit(rtl::Tan(-0.0L)));
    EXPECT_EQ(rtl::Cos(0), 1);
    EXPECT_EQ(rtl::Cos(-0.0L), 1);
    // Below 2^-32 the sine and tangent round to the argument, the cosine to 1.
    for (Extended x : {0x1p-40L, -0x1.8p-1000L, kLeastDenormal, -3 * kLeastDenormal}) {
        EXPECT_EQ(rtl::Sin(x), x);
        EXPECT_EQ(rtl::Tan(x), x);
        EXPECT_EQ(rtl::Cos(x), 1);
        EXPECT_EQ(rtl::ArcSin(x), x);
        EXPECT_EQ(rtl::ArcTan2(x, 1), x);
    }
    // cot x = 1 / x - x / 3: the reciprocal of a power of two, exactly.
    EXPECT_EQ(rtl::Cotan(0x1p-16000L), 0x1p16000L);
    EXPECT_EQ(rtl::Cotan(-0x1p-60L), -0x1p60L);
}

TEST(Trigonometry, RaisesForPolesOverflowAndNonFiniteArguments) {
    EXPECT_THROW(rtl::Cotan(-0.0L), rtl::EZeroDivide);
    // The reciprocal of the least denormal is beyond the Extended range.
    EXPECT_THROW(rtl::Cotan(kLeastDenormal), rtl::EOverflow);
    const Extended kInfinity = std::numeric_limits<Extended>::infinity();
    const Extended kNaN = std::numeric_limits<Extended>::quiet_NaN();
    EXPECT_THROW(rtl::Sin(kInfinity), rtl::EInvalidOp);
    EXPECT_THROW(rtl::Cos(kNaN), rtl::EInvalidOp);
    EXPECT_THROW(rtl::Tan(-kInfinity), rtl::EInvalidOp);
    EXPECT_THROW(rtl::ArcTan2(kNaN, 1), rtl::EInvalidOp);
    EXPECT_THROW(rtl::ArcSin(kNaN), rtl::EInvalidOp);
    EXPECT_THROW(rtl::ArcCos(1 + 0x1p-63L), rtl::EInvalidOp);
}

TEST(ArcTangent, GivesEachQuadrantItsAngleWithinTheHalfOpenRange) {
    // Expected values: mpmath at 300 bits, rounded to the nearest Extended.
    struct {
        Extended rY, rX, rExpected;
    } const kCases[] = {
        {3, 4, 0xA4BC7D1934F70924p-64L},   {4, 3, 0xED63382B0DDA7B45p-64L},
        {3, -4, 0x9FE0BB5BD42AFFECp-62L},  {-3, -4, -0x9FE0BB5BD42AFFECp-62L},
        {-3, 4, -0xA4BC7D1934F70924p-64L}, {-4, -3, -0x8DB70C975DF22363p-62L},
        // Ratios far beyond the Extended range.
        {1e4000L, 1e-4000L, rtl::Pi / 2}, {1e-4000L, -1e4000L, rtl::Pi},
        {-kLargest, -kLeastDenormal, -rtl::Pi / 2}, {kLargest, kLargest, rtl::Pi / 4},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "ArcTan2(" << c.rY << ", " << c.rX << ")");
        EXPECT_WITHIN_ULPS(rtl::ArcTan2(c.rY, c.rX), c.rExpected, 0.5);
    }
    // Zero ordinates: 0 on the right, pi (never -pi) on the left.
    EXPECT_EQ(rtl::ArcTan2(0, 1), 0);
    EXPECT_TRUE(std::signbit(rtl::ArcTan2(-0.0L, 1)));
    EXPECT_EQ(rtl::ArcTan2(0, -1), rtl::Pi);
    EXPECT_EQ(rtl::ArcTan2(-0.0L, -1), rtl::Pi);
    EXPECT_EQ(rtl::ArcTan2(-0.0L, -0.0L), 0);
    // A ratio below the denormal range: the angle underflows to a zero of Y's sign.
    EXPECT_EQ(rtl::ArcTan2(-1e-4000L, 1e4000L), 0);
    EXPECT_TRUE(std::signbit(rtl::ArcTan2(-1e-4000L, 1e4000L)));
}

TEST(ArcTangent, ArcSineAndCosineAreExactAtTheEnds) {
    EXPECT_EQ(rtl::ArcSin(1), rtl::Pi / 2);
    EXPECT_EQ(rtl::ArcSin(-1), -rtl::Pi / 2);
    EXPECT_EQ(rtl::ArcCos(1), 0);
    EXPECT_EQ(rtl::ArcCos(-1), rtl::Pi);
    EXPECT_EQ(rtl::ArcCos(0), rtl::Pi / 2);
    EXPECT_TRUE(std::signbit(rtl::ArcSin(-0.0L)));
    EXPECT_WITHIN_ULPS(rtl::ArcSin(0.75L), 0xD91A98AE3406E041p-64L, 0.5);
    EXPECT_WITHIN_ULPS(rtl::ArcCos(-0.75L), 0x9ACE937C9DB6192Bp-62L, 0.5);
}
