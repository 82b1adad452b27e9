// The checks are only as good as their reference: the oracle's rounding to Extended,
// its failures and its ulp measure, and the bit text of the golden table.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "framework/math/Math.hpp"
#include "tests/math/ExtendedBits.hpp"
#include "tests/math/MathRoutines.hpp"

using namespace quorix::mathcheck;

namespace {

const TRoutine& Routine(const char* sName) {
    const TRoutine* pRoutine = FindRoutine(sName);
    EXPECT_NE(pRoutine, nullptr) << sName;
    return *pRoutine;
}

TResult ExpectedOf(const char* sName, Extended A, Extended B = 0) {
    return Expected(Routine(sName).Reference, A, B);
}

}  // namespace

TEST(MathOracle, RoundsToExtendedWithItsDenormals) {
    EXPECT_EQ(ExpectedOf("Log10", 1000), (TResult{TOutcome::Value, 3}));
    // 10^-4940 is 27433340514.108 times the least denormal (mpmath): 35 bits are left.
    EXPECT_EQ(ExpectedOf("IntPower", 10, -4940).rValue, std::ldexp(Extended(27433340514), -16445));
    EXPECT_EQ(ExpectedOf("IntPower", 2, -16446), (TResult{TOutcome::Value, 0}));
    EXPECT_EQ(ExpectedOf("IntPower", 2, -16445), (TResult{TOutcome::Value, std::ldexp(Extended(1), -16445)}));
    EXPECT_EQ(NearestHalfPiMultiple(2), rtl::Pi);
    EXPECT_EQ(NearestPowerOfTen(-1), 0.1L);
    EXPECT_EQ(NearestPowerOfTen(27), 1e27L);
}

TEST(MathOracle, NamesTheFailureOfANonFiniteResult) {
    EXPECT_EQ(ExpectedOf("Sinh", 12000).Outcome, TOutcome::Overflow);
    EXPECT_EQ(ExpectedOf("Log2", 0).Outcome, TOutcome::ZeroDivide);
    EXPECT_EQ(ExpectedOf("ArcTanh", -1).Outcome, TOutcome::ZeroDivide);
    EXPECT_EQ(ExpectedOf("ArcSin", 2).Outcome, TOutcome::InvalidOp);
    EXPECT_EQ(ExpectedOf("LogN", 1, 1).Outcome, TOutcome::InvalidOp);
    EXPECT_EQ(ExpectedOf("LogN", 1, 8).Outcome, TOutcome::ZeroDivide);
    EXPECT_EQ(ExpectedOf("Power", 0, -2.5L).Outcome, TOutcome::ZeroDivide);
    EXPECT_EQ(ExpectedOf("IntPower", 10, 5000).Outcome, TOutcome::Overflow);
}

TEST(MathOracle, MeasuresErrorsInUlpsOfTheExactResult) {
    const TReference Log10 = Routine("Log10").Reference;
    EXPECT_EQ(UlpError(Log10, 1000, 0, 3), 0);
    EXPECT_EQ(UlpError(Log10, 1000, 0, std::nextafter(3.0L, 4.0L)), 1);
    EXPECT_EQ(UlpError(Log10, 1, 0, 0), 0);
    EXPECT_EQ(UlpError(Log10, 1, 0, std::numeric_limits<Extended>::denorm_min()),
              std::numeric_limits<double>::infinity());
    // In the denormal range the ulp is the least denormal.
    const double rError =
        UlpError(Routine("IntPower").Reference, 10, -4940, std::ldexp(Extended(27433340515), -16445));
    EXPECT_NEAR(rError, 0.8917, 0.0001);
}

TEST(MathOracle, BitTextKeepsEveryBitAndRejectsOtherText) {
    for (Extended X : {1.0L, -0.0L, 0.1L, std::numeric_limits<Extended>::denorm_min(),
                       std::numeric_limits<Extended>::max()}) {
        const auto Back = ParseBits(BitsText(X));
        ASSERT_TRUE(Back.has_value()) << BitsText(X);
        EXPECT_EQ(BitsText(*Back), BitsText(X));
    }
    EXPECT_EQ(BitsText(1), "3FFF:8000000000000000");
    for (const char* sText : {"", "3FFF8000000000000000", "3FFF:800000000000000", "3FFF:80000000000000000",
                              "3FFG:8000000000000000", "3FFF:800000000000000Z"})
        EXPECT_FALSE(ParseBits(sText).has_value()) << sText;
}
