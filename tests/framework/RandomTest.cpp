#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "framework/base/Exceptions.hpp"
#include "framework/math/Random.hpp"

namespace {

std::vector<rtl::Extended> Draws(int iCount) {
    std::vector<rtl::Extended> draws;
    for (int i = 0; i < iCount; ++i) draws.push_back(rtl::Random());
    return draws;
}

}  // namespace

TEST(Random, RepeatsItsSequenceFromTheSameSeed) {
    rtl::RandSeed = 0;
    const auto first = Draws(10);
    rtl::RandSeed = 0;
    EXPECT_EQ(Draws(10), first);
    rtl::RandSeed = 12345;
    EXPECT_NE(Draws(10), first);
}

TEST(Random, StaysInTheHalfOpenUnitIntervalAndSpreadsEvenly) {
    rtl::RandSeed = 7;
    const int kCount = 100000;
    int arrBuckets[10] = {};
    rtl::Extended rSum = 0;
    for (rtl::Extended r : Draws(kCount)) {
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 1);
        ++arrBuckets[int(r * 10)];
        rSum += r;
    }
    // Each tenth holds 10000 draws give or take a few standard deviations (about 95).
    for (int iCount : arrBuckets) EXPECT_NEAR(iCount, kCount / 10, 500);
    EXPECT_NEAR(double(rSum / kCount), 0.5, 0.005);
}

TEST(Random, RandomizeChangesTheSeed) {
    rtl::RandSeed = 0;
    rtl::Randomize();
    EXPECT_NE(rtl::RandSeed, 0u);
}

TEST(RandG, HasTheRequestedMeanAndSpread) {
    rtl::RandSeed = 99;
    const int kCount = 100000;
    rtl::Extended rSum = 0, rSquares = 0;
    for (int i = 0; i < kCount; ++i) {
        const rtl::Extended r = rtl::RandG(10, 3);
        rSum += r;
        rSquares += (r - 10) * (r - 10);
    }
    EXPECT_NEAR(double(rSum / kCount), 10, 0.05);
    EXPECT_NEAR(std::sqrt(double(rSquares / kCount)), 3, 0.05);
}

TEST(RandG, RaisesOverflowRatherThanReturningInfinity) {
    rtl::RandSeed = 0;
    EXPECT_THROW(for (int i = 0; i < 100; ++i) rtl::RandG(0, 1e4932L), rtl::EOverflow);
}
