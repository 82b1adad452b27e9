// Results that are exact numbers come out exactly, on every machine.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "framework/math/Math.hpp"
#include "tests/math/ArgumentDraws.hpp"
#include "tests/math/ExtendedBits.hpp"
#include "tests/math/MpfrOracle.hpp"

using namespace quorix::mathcheck;

namespace {

constexpr int kReportedMisses = 5;

// Checks every k in [iFirst, iLast]; reports how many differ and the first few.
void ExpectExactForEach(const char* sWhat, int iFirst, int iLast, const std::function<Extended(int)>& Got,
                        const std::function<Extended(int)>& Wanted) {
    int iMisses = 0;
    std::string sMisses;
    for (int k = iFirst; k <= iLast; ++k) {
        const Extended rGot = Got(k), rWanted = Wanted(k);
        if (rGot != rWanted && iMisses++ < kReportedMisses)
            sMisses += "\n  k = " + std::to_string(k) + ": " + Describe(rGot) + ", not " + Describe(rWanted);
    }
    EXPECT_EQ(iMisses, 0) << sWhat << sMisses;
}

Extended PowerOfTwo(int k) { return std::ldexp(Extended(1), k); }

}  // namespace

TEST(MathExact, LogarithmsOfPowersOfTheirBaseAreWhole) {
    // Every 10^k the format holds, down to 10^-4935: below that the nearest Extended is a
    // denormal too coarse to stand for it (10^-4950 is nearest to 3 * 2^-16445).
    ExpectExactForEach(
        "Log10(10^k)", -4935, 4932, [](int k) { return rtl::Log10(NearestPowerOfTen(k)); },
        [](int k) { return Extended(k); });
    ExpectExactForEach(
        "Log2(2^k)", kLeastExponent, kGreatestExponent, [](int k) { return rtl::Log2(PowerOfTwo(k)); },
        [](int k) { return Extended(k); });
}

TEST(MathExact, PowersOfTenAndTwoAreExact) {
    // 10^27 = 2^27 * 5^27, and 5^27 still fits 64 bits.
    ExpectExactForEach(
        "Power(10, k)", 0, 27, [](int k) { return rtl::Power(10, k); },
        [](int k) { return NearestPowerOfTen(k); });
    ExpectExactForEach(
        "Power(2, k)", kLeastExponent, kGreatestExponent, [](int k) { return rtl::Power(2, k); }, PowerOfTwo);
}

TEST(MathExact, FractionalPowersOfPowersOfTwoAreExact) {
    // (2^j)^(k/j) = 2^k for every binade, through the quick kernel and the full one: the
    // logarithms are inexact, so results come from either side of the power of two, and
    // those from below carry into it (above 2^1022 too).
    for (int j : {8, -8, 32, -64, 64}) {
        ExpectExactForEach(("Power(2^" + std::to_string(j) + ", k/" + std::to_string(j) + ")").c_str(),
                           kLeastExponent, kGreatestExponent,
                           [j](int k) { return rtl::Power(PowerOfTwo(j), Extended(k) / j); }, PowerOfTwo);
    }
}

TEST(MathExact, RoutinesGiveExactValuesAtTheirSimplestPoints) {
    EXPECT_EQ(rtl::Hypot(3, 4), 5);
    EXPECT_EQ(rtl::Exp(0), 1);
    EXPECT_EQ(rtl::Sin(0), 0);
    EXPECT_EQ(rtl::Cos(0), 1);
    EXPECT_EQ(rtl::ArcTan2(0, 1), 0);
}
