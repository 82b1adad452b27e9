#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "framework/base/Exceptions.hpp"
#include "framework/math/Math.hpp"
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
    {"largest", kLargest, 0xFDFD9D4B6D0E5F7Cp-64L, -0x800BBD0061D4F543p-66L, -0xFDE654994CE86FDBp-61L,
     -0x810F0EFF4AD1DB69p-66L},
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
    // Just below 2^22, where the reduction changes method (2^22 itself below).
    {"2^22 less an ulp", 0xFFFFFFFFFFFFFFFFp-42L, 0xF9A2147CA486E152p-64L, 0xE2F4A2612FE984E3p-66L,
     0x8CCA3217FC4E7237p-61L, 0xE8BE7C9E7542BD87p-66L},
};

// Expected values: mpmath at 400 bits, rounded to the nearest Extended. Arguments on
// both sides of pi / 4 and 3 pi / 4 (modulo pi), where the tangent turns from its table
// to minus the reciprocal of the angle a quarter turn back.
struct TangentCase {
    Extended rArgument, rTan, rCot;
};

const TangentCase kTangentCases[] = {
    {0.5L, 0x8BDA7ADF9A3A5219p-64L, 0xEA4D6BF23E051527p-63L},
    {0.8L, 0x83CB323C9DB05471p-63L, 0xF8A1852331055A57p-64L},
    {2.3L, -0x8F4264823E19ABA9p-63L, -0xE4BB65D558BD504Bp-64L},
    {2.6L, -0x9A023C529AD95D73p-64L, -0xD4C4644A072AAC8Fp-63L},
    {-4, -0x94337CDF26F09B87p-63L, -0xDD1ADD0E35BAE7D9p-64L},
    {5.5L, -0xFEDE98B0AD83CFFCp-64L, -0x809157F69E13BFB1p-63L},
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
    EXPECT_WITHIN_ULPS(rtl::Sin(0x1p22L), 0xF9A2147CA495109Cp-64L, 0.5);
    EXPECT_WITHIN_ULPS(rtl::Cos(0x1p22L), 0xE2F4A2612EEFE2CEp-66L, 0.5);
}

TEST(Trigonometry, TangentIsRightInEveryOctant) {
    for (const TangentCase& c : kTangentCases) {
        SCOPED_TRACE(testing::Message() << c.rArgument);
        EXPECT_WITHIN_ULPS(rtl::Tan(c.rArgument), c.rTan, 0.5);
        EXPECT_WITHIN_ULPS(rtl::Cotan(c.rArgument), c.rCot, 0.5);
    }
}

TEST(Trigonometry, IsOddOrEvenToTheLastBit) {
    // The reduction and the tables are symmetric, so -x gives exactly the mirrored result.
    Extended x = 0.001L;
    for (int i = 0; i < 2000; ++i, x *= 1.0123456789L) {
        SCOPED_TRACE(x);
        EXPECT_EQ(rtl::Sin(-x), -rtl::Sin(x));
        EXPECT_EQ(rtl::Cos(-x), rtl::Cos(x));
        EXPECT_EQ(rtl::Tan(-x), -rtl::Tan(x));
        EXPECT_EQ(rtl::ArcTan2(-1, x), -rtl::ArcTan2(1, x));
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
        {3, 4, 0xA4BC7D1934F70924p-64L},
        {4, 3, 0xED63382B0DDA7B45p-64L},
        {3, -4, 0x9FE0BB5BD42AFFECp-62L},
        {-3, -4, -0x9FE0BB5BD42AFFECp-62L},
        {-3, 4, -0xA4BC7D1934F70924p-64L},
        {-4, -3, -0x8DB70C975DF22363p-62L},
        // Ratios far beyond the Extended range.
        {1e4000L, 1e-4000L, rtl::Pi / 2},
        {1e-4000L, -1e4000L, rtl::Pi},
        {-kLargest, -kLeastDenormal, -rtl::Pi / 2},
        {kLargest, kLargest, rtl::Pi / 4},
        {3 * kLeastDenormal, 4 * kLeastDenormal, 0xA4BC7D1934F70924p-64L},
        {0x3p16000L, -0x4p16000L, 0x9FE0BB5BD42AFFECp-62L},
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
    // Beside an infinite abscissa a finite ordinate keeps its side of the axis.
    const Extended kInfinity = std::numeric_limits<Extended>::infinity();
    EXPECT_EQ(rtl::ArcTan2(-1, -kInfinity), -rtl::Pi);
    EXPECT_EQ(rtl::ArcTan2(1e4000L, -kInfinity), rtl::Pi);
    EXPECT_EQ(rtl::ArcTan2(-0.0L, -kInfinity), rtl::Pi);
    EXPECT_TRUE(std::signbit(rtl::ArcTan2(-1, kInfinity)));
    // A ratio below the denormal range: the angle underflows to a zero of Y's sign.
    EXPECT_EQ(rtl::ArcTan2(-1e-4000L, 1e4000L), 0);
    EXPECT_TRUE(std::signbit(rtl::ArcTan2(-1e-4000L, 1e4000L)));
}

TEST(ArcTangent, IsRightOnTableStepsAndWhereItsMethodChanges) {
    // Expected values: mpmath at 400 bits, rounded to the nearest Extended.
    struct {
        Extended rY, rX, rExpected;
    } const kCases[] = {
        // Ratios that are table steps i / 64, where the remainder is exactly 0.
        {1, 64, 0xFFFAAADDDB94D5BCp-70L},
        {3, 64, 0xBFDC0C2186D14FCFp-68L},
        {63, 64, 0xC70BD54CE602EE14p-64L},
        {-64, -63, -0x964AE2A44A351C9Fp-62L},
        // Just above and below the first step, and legs a hair apart.
        {0x1.02p-7L, 1, 0x80FF514EF9D5465Bp-70L},
        {0x1.fep-8L, 1, 0xFEFEAEA9CF4A2E0Ep-71L},
        {0x1.fffffffffffffffep-1L, -1, 0x96CBE3F9990E91A8p-62L},
        // Legs 2^40 and 2^41 apart, on both sides: the plain path ends between them.
        {0x1.8p-40L, 1.25L, 0x999999999999999Ap-103L},
        {0x1.8p-41L, 1.25L, 0x999999999999999Ap-104L},
        {0x1.8p-40L, -1.25L, 0xC90FDAA2211BF568p-62L},
        {0x1.8p-41L, -1.25L, 0xC90FDAA221425BCEp-62L},
        // Only the legs' ratio matters, not their size.
        {-0x1.8p16000L, 0x1.4p16001L, -0x8A58EEAFC867076Fp-64L},
        {0x1.4p-16000L, -0x1.8p-16003L, 0xDC1EAE09F935C61Fp-63L},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "ArcTan2(" << c.rY << ", " << c.rX << ")");
        EXPECT_WITHIN_ULPS(rtl::ArcTan2(c.rY, c.rX), c.rExpected, 0.5);
    }
}

TEST(ArcTangent, ArcSineAndCosineAreRightWhereTheirCathetusChangesForm) {
    // Expected values: mpmath at 400 bits, rounded to the nearest Extended. Around 1/2
    // 1 - X^2 starts to cancel; around sqrt(3) / 2 the cathetus crosses 1/2, and for
    // 2^-40 it lies a hair below 1.
    struct {
        Extended rX, rArcSin, rArcCos;
    } const kCases[] = {
        {0.5L, 0x860A91C16B9B2C23p-64L, 0x860A91C16B9B2C23p-63L},
        {0xFFFFFFFFFFFFFFFFp-65L, 0x860A91C16B9B2C23p-64L, 0x860A91C16B9B2C23p-63L},
        {0xDDB3D742C265539Dp-64L, 0x860A91C16B9B2C23p-63L, 0x860A91C16B9B2C24p-64L},
        {0xDDB3D742C265539Ep-64L, 0x860A91C16B9B2C24p-63L, 0x860A91C16B9B2C22p-64L},
        {0x1p-40L, 0x1p-40L, 0xC90FDAA220E8C235p-63L},
        {0x1.8p-40L, 0x1.8p-40L, 0xC90FDAA220A8C235p-63L},
        {-0x1.cp-39L, -0x1.cp-39L, 0xC90FDAA22328C235p-63L},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.rX);
        EXPECT_WITHIN_ULPS(rtl::ArcSin(c.rX), c.rArcSin, 0.5);
        EXPECT_WITHIN_ULPS(rtl::ArcCos(c.rX), c.rArcCos, 0.5);
    }
}

TEST(ArcTangent, ArcSineAndCosineAreExactAtTheEnds) {
    EXPECT_EQ(rtl::ArcSin(1), rtl::Pi / 2);
    EXPECT_EQ(rtl::ArcSin(-1), -rtl::Pi / 2);
    EXPECT_EQ(rtl::ArcCos(1), 0);
    EXPECT_EQ(rtl::ArcCos(-1), rtl::Pi);
    EXPECT_EQ(rtl::ArcCos(0), rtl::Pi / 2);
    EXPECT_TRUE(std::signbit(rtl::ArcSin(-0.0L)));
    EXPECT_WITHIN_ULPS(rtl::ArcSin(0.75L), 0xD91A98AE3406E041p-64L, 0.5);
    // Next to 1, 1 - X^2 keeps only the few bits that 1 - X has.
    EXPECT_WITHIN_ULPS(rtl::ArcCos(1 - 0x1p-64L), 0xB504F333F9DE6484p-95L, 0.5);
    EXPECT_WITHIN_ULPS(rtl::ArcSin(-1 + 0x1p-64L), -0xC90FDAA16C63CF01p-63L, 0.5);
    EXPECT_WITHIN_ULPS(rtl::ArcCos(-0.75L), 0x9ACE937C9DB6192Bp-62L, 0.5);
}
