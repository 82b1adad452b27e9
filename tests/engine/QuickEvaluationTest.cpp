// Texts of only bound names, constants and operators take a quick evaluation: these
// check it where the random texts seldom go. A square near the least normal number,
// values that are bound only after the text was linked, a division by zero reached
// through a bound zero, and a text nested deeper than the quick form takes must all
// give what the checked evaluation gives.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/Quorix.hpp"
#include "framework/base/Exceptions.hpp"
#include "framework/math/Math.hpp"

namespace quorix::testing {
namespace {

using rtl::Extended;

std::string Hex(Extended r) {
    char s[64];
    std::snprintf(s, sizeof s, "%La", r);
    return s;
}

TEST(QuickEvaluation, WholePowersGiveThePowerRoutinesBits) {
    // Around the least normal number, a square is rounded to a denormal once; far
    // below it, to zero; ordinary values through the quick square and cube.
    const Extended rTiny = std::sqrt(LDBL_MIN);
    const std::vector<Extended> Bases = {rTiny,
                                         rTiny * 0.75L,
                                         rTiny / 3,
                                         -rTiny * 1.0000001L,
                                         rTiny * 1e-5L,
                                         LDBL_MIN,
                                         1.1L,
                                         -2.2L,
                                         3.3L / 7,
                                         1e2466L,
                                         1e2467L,
                                         -0.1L,
                                         0};
    TQuorix Q(nullptr);
    Extended a = 0;
    Q.Bind("a", &a);
    for (const char* sText : {"a^2", "-(a^2)", "a^3", "a^-2", "a^1", "a^0"}) {
        Q.SetText(sText);
        const int iExponent = std::atoi(std::strchr(sText, '^') + 1);
        for (const Extended rBase : Bases) {
            a = rBase;
            SCOPED_TRACE(std::string(sText) + " at " + Hex(rBase));
            Extended rExpected = 0;
            try {
                rExpected = rtl::Power(rBase, iExponent) * (sText[0] == '-' ? -1 : 1);
            } catch (const rtl::EMathError&) {
                EXPECT_THROW(Q.Calc(), rtl::EMathError);
                continue;
            }
            ASSERT_TRUE(Q.Calc());
            EXPECT_EQ(Hex(Q.Value()), Hex(rExpected));
        }
    }
}

TEST(QuickEvaluation, ResultsThatAreNotFiniteRaiseAsTheCheckedEvaluation) {
    TQuorix Q(nullptr);
    Extended a = 1e4000L, b = 0;
    Q.Bind("a", &a);
    Q.Bind("b", &b);
    std::vector<int> Errors;
    Q.SetOnError([&](int, int iErrCode) { Errors.push_back(iErrCode); });
    Q.SetText("a*a-a");
    for (int iRound = 0; iRound < 2; ++iRound) EXPECT_THROW(Q.Calc(), rtl::EOverflow);
    Q.SetText("(a-a)/b+1");
    for (int iRound = 0; iRound < 2; ++iRound) EXPECT_FALSE(Q.Calc());
    EXPECT_EQ(Errors, (std::vector<int>{qeDivisionByZero, qeDivisionByZero}));
    b = 2;
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 1);
    // A bound value that is not finite raises as a handler's would, however it is used.
    for (const Extended rBad : {Extended(HUGE_VALL), Extended(std::nanl(""))}) {
        b = rBad;
        EXPECT_THROW(Q.Calc(), rtl::EMathError);
    }
}

TEST(QuickEvaluation, TextsNestedDeeperThanTheQuickFormStillEvaluate) {
    TQuorix Q(nullptr);
    std::vector<Extended> Column = {1, 2, 3, 0};
    Q.Bind("a", Column.data());
    std::string sText = "a";
    for (int i = 0; i < 1000; ++i) sText = "(" + sText + "+a)";
    Q.SetText(sText + "/a");
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 1001);
    std::vector<Extended> Results(Column.size());
    std::vector<TRowStatus> Statuses(Column.size());
    EXPECT_EQ(Q.CalcRows(Column.size(), Results, Statuses), 1u);
    EXPECT_EQ(Results, (std::vector<Extended>{1001, 1001, 1001, 0}));
    EXPECT_EQ(Statuses[3].iErrCode, qeDivisionByZero);
}

}  // namespace
}  // namespace quorix::testing
