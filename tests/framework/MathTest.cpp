#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "framework/base/Exceptions.hpp"
#include "framework/math/Math.hpp"
#include "tests/framework/MathTestUlps.hpp"

using rtl::Extended;

namespace {

struct UnaryCase {
    const char* sName;
    Extended (*Routine)(Extended);
    Extended rArgument;
    Extended rExpected;
};

// Expected values: mpmath at 80 digits, from the exact binary value of each argument
// (the Extended nearest to the literal), rounded to 25 digits.
const UnaryCase kUnaryCases[] = {
    {"Sin", rtl::Sin, 1L, 0.8414709848078965066525023L},
    {"Sin", rtl::Sin, 3.14159265358979323846L, -5.016557612668332023557327e-20L},
    {"Sin", rtl::Sin, 1e22L, -0.8522008497671888017727059L},
    {"Sin", rtl::Sin, -7.5L, -0.9379999767747388579484638L},
    {"Cos", rtl::Cos, 0.5L, 0.8775825618903727161162816L},
    {"Cos", rtl::Cos, 1.5707963267948966192L, 8.333742918520878328295864e-20L},
    {"Cos", rtl::Cos, 1e22L, 0.5232147853951389454975945L},
    {"Tan", rtl::Tan, 1L, 1.557407724654902230506975L},
    {"Tan", rtl::Tan, 1.5707963267948966192L, 11999410226317442932.7626L},
    {"Tan", rtl::Tan, -100L, 0.5872139151569290766778096L},
    {"Cotan", rtl::Cotan, 0.5L, 1.830487721712451919268019L},
    {"Cotan", rtl::Cotan, 1.5707963267948966192L, 8.333742918520878328295864e-20L},
    {"Cotan", rtl::Cotan, -3L, 7.015252551434533469428551L},
    {"ArcCos", rtl::ArcCos, 0.5L, 1.047197551196597746154214L},
    {"ArcCos", rtl::ArcCos, -1L, 3.141592653589793238462643L},
    {"ArcCos", rtl::ArcCos, 0.9999999999L, 1.414213562242684385019527e-5L},
    {"ArcSin", rtl::ArcSin, 0.1L, 0.1001674211615597963468853L},
    {"ArcSin", rtl::ArcSin, -0.75L, -0.8480620789814810080529443L},
    {"ArcSin", rtl::ArcSin, 1L, 1.570796326794896619231322L},
    {"DegToRad", rtl::DegToRad, 45L, 0.7853981633974483096156608L},
    {"DegToRad", rtl::DegToRad, -270L, -4.712388980384689857693965L},
    {"DegToRad", rtl::DegToRad, 1e300L, 1.745329251994329576939394e+298L},
    {"RadToDeg", rtl::RadToDeg, 1L, 57.29577951308232087679815L},
    {"RadToDeg", rtl::RadToDeg, 0.001L, 0.05729577951308232087442012L},
    {"GradToRad", rtl::GradToRad, 50L, 0.7853981633974483096156608L},
    {"GradToRad", rtl::GradToRad, 3.3L, 0.05183627878423158843395239L},
    {"RadToGrad", rtl::RadToGrad, 1L, 63.66197723675813430755351L},
    {"RadToGrad", rtl::RadToGrad, 123456789L, 7859503291.041252031241294L},
    {"CycleToRad", rtl::CycleToRad, 0.25L, 1.570796326794896619231322L},
    {"CycleToRad", rtl::CycleToRad, -3.3L, -20.73451151369263537358096L},
    {"RadToCycle", rtl::RadToCycle, 1L, 0.1591549430918953357688838L},
    {"RadToCycle", rtl::RadToCycle, 100L, 15.91549430918953357688838L},
    {"Cosh", rtl::Cosh, 0.5L, 1.127625965206380785226225L},
    {"Cosh", rtl::Cosh, -11356L, 3.524572899992831219230984e+4931L},
    {"Sinh", rtl::Sinh, 1e-10L, 1.000000000000000000020045e-10L},
    {"Sinh", rtl::Sinh, 20L, 242582597.7048951379539766L},
    {"Sinh", rtl::Sinh, -3L, -10.01787492740990189897459L},
    {"Tanh", rtl::Tanh, 0.5L, 0.4621171572600097585023185L},
    {"Tanh", rtl::Tanh, -0.001L, -0.0009999996666667999999045272L},
    {"Tanh", rtl::Tanh, 20L, 0.9999999999999999915032915L},
    {"ArcCosh", rtl::ArcCosh, 1L, 0.0L},
    {"ArcCosh", rtl::ArcCosh, 1.0000001L, 0.0004472135917730622783478867L},
    {"ArcCosh", rtl::ArcCosh, 1e4000L, 9211.03351915674268138138L},
    {"ArcSinh", rtl::ArcSinh, -3L, -1.818446459232066823483699L},
    {"ArcSinh", rtl::ArcSinh, 1e-10L, 1.000000000000000000016711e-10L},
    {"ArcSinh", rtl::ArcSinh, 1e100L, 230.9516564799645137111833L},
    {"ArcTanh", rtl::ArcTanh, 0.5L, 0.5493061443340548456976226L},
    {"ArcTanh", rtl::ArcTanh, -0.99999L, -6.103033822758835532462678L},
    {"ArcTanh", rtl::ArcTanh, 1e-10L, 1.000000000000000000021711e-10L},
    {"LnXP1", rtl::LnXP1, 0L, 0.0L},
    {"LnXP1", rtl::LnXP1, 1e-10L, 9.999999999500000000217113e-11L},
    {"LnXP1", rtl::LnXP1, -0.999999L, -13.8155105579642497971626L},
    {"LnXP1", rtl::LnXP1, 1e100L, 230.2585092994045684017661L},
    {"Log10", rtl::Log10, 1000L, 3.0L},
    {"Log10", rtl::Log10, 2L, 0.3010299956639811952137389L},
    {"Log10", rtl::Log10, 1e-300L, -300.0000000000000000000151L},
    {"Log10", rtl::Log10, 1e4000L, 3999.999999999999999999999L},
    {"Log2", rtl::Log2, 8L, 3.0L},
    {"Log2", rtl::Log2, 0.3L, -1.736965594166206166364441L},
    {"Log2", rtl::Log2, 1e-4900L, -16277.44766494807550456461L},
};

}  // namespace

TEST(MathRoutines, AreWithinTwoUlpsOfHighPrecisionValues) {
    for (const UnaryCase& c : kUnaryCases) {
        SCOPED_TRACE(testing::Message() << c.sName << "(" << c.rArgument << ")");
        EXPECT_WITHIN_ULPS(c.Routine(c.rArgument), c.rExpected, 2);
    }
}

TEST(MathRoutines, ComputeExactValuesExactly) {
    EXPECT_EQ(rtl::Log10(1000), 3);
    EXPECT_EQ(rtl::Log2(1024), 10);
    EXPECT_EQ(rtl::LogN(2, 8), 3);
    EXPECT_EQ(rtl::LnXP1(0), 0);
    EXPECT_EQ(rtl::ArcCos(1), 0);
    EXPECT_EQ(rtl::ArcCos(-1), rtl::Pi);
    EXPECT_EQ(rtl::Hypot(3, 4), 5);
    EXPECT_EQ(rtl::DegToRad(180), rtl::Pi);
    EXPECT_EQ(rtl::RadToDeg(rtl::Pi), 180);
}

TEST(MathRoutines, ComputeTwoArgumentFunctionsAccurately) {
    // Expected values: mpmath at 50 digits.
    EXPECT_WITHIN_ULPS(rtl::ArcTan2(1, 1), 0.7853981633974483096156608L, 1);
    EXPECT_WITHIN_ULPS(rtl::ArcTan2(-2, -3), -2.553590050042225687217032L, 1);
    EXPECT_WITHIN_ULPS(rtl::ArcTan2(1, 0), 1.570796326794896619231322L, 1);
    EXPECT_EQ(rtl::ArcTan2(0, 0), 0);
    EXPECT_WITHIN_ULPS(rtl::Hypot(1, 1), 1.414213562373095048801689L, 1);
    // Squaring these would overflow or underflow; the hypotenuse itself does not.
    EXPECT_WITHIN_ULPS(rtl::Hypot(0x1p13000L, 0x1p13000L), 0x1p13000L * 1.414213562373095048801689L, 1);
    EXPECT_WITHIN_ULPS(rtl::Hypot(0x1p-13000L, 0x3p-13000L), 0x1p-13000L * 3.162277660168379331998894L, 1);
    EXPECT_WITHIN_ULPS(rtl::LogN(10, 1000), 3, 1);
    EXPECT_WITHIN_ULPS(rtl::LogN(3, 7), 1.771243749161422260067928L, 2);
    EXPECT_WITHIN_ULPS(rtl::LogN(1.0L / 3, 0.5L), 0.6309297535714574370995271L, 2);
}

TEST(MathRoutines, RaiseInsteadOfReturningNonFiniteValues) {
    // Poles are divisions by zero; arguments without a real value are invalid.
    EXPECT_THROW(rtl::ArcTanh(1), rtl::EZeroDivide);
    EXPECT_THROW(rtl::ArcTanh(-1), rtl::EZeroDivide);
    EXPECT_THROW(rtl::ArcTanh(1.5L), rtl::EInvalidOp);
    EXPECT_THROW(rtl::Log10(0), rtl::EZeroDivide);
    EXPECT_THROW(rtl::Log2(-0.0L), rtl::EZeroDivide);
    EXPECT_THROW(rtl::Log10(-1), rtl::EInvalidOp);
    EXPECT_THROW(rtl::Log2(-8), rtl::EInvalidOp);
    EXPECT_THROW(rtl::LnXP1(-1), rtl::EZeroDivide);
    EXPECT_THROW(rtl::LnXP1(-2), rtl::EInvalidOp);
    EXPECT_THROW(rtl::LogN(2, 0), rtl::EZeroDivide);
    EXPECT_THROW(rtl::LogN(-2, 8), rtl::EInvalidOp);
    EXPECT_THROW(rtl::LogN(1, 8), rtl::EZeroDivide);
    EXPECT_THROW(rtl::LogN(1, 1), rtl::EInvalidOp);
    EXPECT_THROW(rtl::Cotan(0), rtl::EZeroDivide);
    EXPECT_THROW(rtl::ArcCos(1.0000001L), rtl::EInvalidOp);
    EXPECT_THROW(rtl::ArcSin(-2), rtl::EInvalidOp);
    EXPECT_THROW(rtl::ArcCosh(0.5L), rtl::EInvalidOp);
    EXPECT_THROW(rtl::Cosh(11400), rtl::EOverflow);
    EXPECT_THROW(rtl::Sinh(-11400), rtl::EOverflow);
    EXPECT_THROW(rtl::Hypot(1e4932L, 1e4932L), rtl::EOverflow);
    EXPECT_THROW(rtl::RadToDeg(1e4931L), rtl::EOverflow);
}

TEST(WholeNumbers, RoundTowardTheirSideWithinThe32BitRange) {
    struct {
        Extended rArgument;
        int iCeil, iFloor, iTrunc;
    } const kCases[] = {
        {2.1L, 3, 2, 2},
        {-2.1L, -2, -3, -2},
        {5, 5, 5, 5},
        {-0.5L, 0, -1, 0},
        {2147483646.5L, 2147483647, 2147483646, 2147483646},
        {-2147483647.5L, -2147483647, -2147483647 - 1, -2147483647},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(rtl::Ceil(c.rArgument), c.iCeil) << c.rArgument;
        EXPECT_EQ(rtl::Floor(c.rArgument), c.iFloor) << c.rArgument;
        EXPECT_EQ(rtl::Trunc(c.rArgument), c.iTrunc) << c.rArgument;
    }
}

TEST(WholeNumbers, RaiseOverflowBeyondThe32BitRange) {
    EXPECT_THROW(rtl::Ceil(2147483647.5L), rtl::EOverflow);
    EXPECT_THROW(rtl::Floor(-2147483648.5L), rtl::EOverflow);
    EXPECT_THROW(rtl::Floor(1e10L), rtl::EOverflow);
    EXPECT_THROW(rtl::Ceil(-1e300L), rtl::EOverflow);
    EXPECT_THROW(rtl::Trunc(2147483648.0L), rtl::EOverflow);
    EXPECT_EQ(rtl::Trunc(2147483647.9L), 2147483647);
}

TEST(Poly, TakesTheFirstCoefficientAsTheConstantTerm) {
    const std::vector<double> coefficients{1, 0, 3};
    EXPECT_EQ(rtl::Poly(2, coefficients), 13);
    EXPECT_EQ(rtl::Poly(2, std::vector<double>{}), 0);
    EXPECT_EQ(rtl::Poly(-0.5L, std::vector<double>{4}), 4);
    // (x - 1)^3 near its triple root: evaluated in Extended, Horner's scheme would be
    // swamped by cancellation; the exact value is 1e-27 (expanded by hand).
    const Extended rX = 1 + 0x1p-30L;
    EXPECT_WITHIN_ULPS(rtl::Poly(rX, std::vector<double>{-1, 3, -3, 1}), 0x1p-90L, 0);
    EXPECT_THROW(rtl::Poly(1e3000L, std::vector<double>{1, 1, 1}), rtl::EOverflow);
}

namespace {

const std::vector<double> kTextbookValues{2, 4, 4, 4, 5, 5, 7, 9};

}  // namespace

TEST(Statistics, GiveTheTextbookValues) {
    EXPECT_EQ(rtl::Sum(kTextbookValues), 40);
    EXPECT_EQ(rtl::Mean(kTextbookValues), 5);
    EXPECT_EQ(rtl::SumOfSquares(kTextbookValues), 232);
    EXPECT_EQ(rtl::MinValue(kTextbookValues), 2);
    EXPECT_EQ(rtl::MaxValue(kTextbookValues), 9);
    EXPECT_EQ(rtl::TotalVariance(kTextbookValues), 32);
    EXPECT_EQ(rtl::PopnVariance(kTextbookValues), 4);
    EXPECT_EQ(rtl::PopnStdDev(kTextbookValues), 2);
    // mpmath: 32/7 and its square root.
    EXPECT_WITHIN_ULPS(rtl::Variance(kTextbookValues), 32.0L / 7, 0.5);
    EXPECT_WITHIN_ULPS(rtl::StdDev(kTextbookValues), 2.138089935299395077476428L, 1);
    EXPECT_WITHIN_ULPS(rtl::Norm(kTextbookValues), std::sqrt(232.0L), 0.5);
}

TEST(Statistics, LoseNoDigitsToCancellation) {
    EXPECT_EQ(rtl::Variance(std::vector<double>{1e9 + 1, 1e9 + 2, 1e9 + 3}), 1);
    EXPECT_EQ(rtl::PopnVariance(std::vector<double>{1e15 + 1, 1e15 + 3}), 1);
    EXPECT_EQ(rtl::Sum(std::vector<double>{1e20, 1, -1e20}), 1);
    EXPECT_EQ(rtl::Mean(std::vector<double>{1e300, 3, -1e300}), 1);
    EXPECT_EQ(rtl::Sum(std::vector<double>{1e308, 1e308, -1e308}), 1e308);
    // The doubles nearest 0.1, 0.2 and 0.3; expected values: mpmath at 50 digits.
    const std::vector<double> tenths{0.1, 0.2, 0.3};
    EXPECT_WITHIN_ULPS(rtl::Sum(tenths), 0.6000000000000000055511151L, 0.5);
    EXPECT_WITHIN_ULPS(rtl::SumOfSquares(tenths), 0.139999999999999998889777L, 0.5);
    EXPECT_WITHIN_ULPS(rtl::TotalVariance(tenths), 0.01999999999999999666933093L, 0.5);
    EXPECT_WITHIN_ULPS(rtl::PopnVariance(tenths), 0.006666666666666665556443642L, 0.5);
    EXPECT_WITHIN_ULPS(rtl::Norm(tenths), 0.374165738677394137074777L, 1);
}

TEST(Statistics, RejectListsTooShortForTheirQuantity) {
    const std::vector<double> none, one{42};
    // One value has no sample variance: the divisor n - 1 is 0.
    EXPECT_THROW(rtl::Variance(one), rtl::EInvalidOp);
    EXPECT_THROW(rtl::StdDev(one), rtl::EInvalidOp);
    EXPECT_EQ(rtl::PopnVariance(one), 0);
    EXPECT_EQ(rtl::TotalVariance(one), 0);
    EXPECT_THROW(rtl::Mean(none), rtl::EInvalidOp);
    EXPECT_THROW(rtl::MinValue(none), rtl::EInvalidOp);
    EXPECT_THROW(rtl::MaxValue(none), rtl::EInvalidOp);
    EXPECT_THROW(rtl::PopnStdDev(none), rtl::EInvalidOp);
    EXPECT_EQ(rtl::Sum(none), 0);
    EXPECT_EQ(rtl::SumOfSquares(none), 0);
    EXPECT_EQ(rtl::Norm(none), 0);
}
