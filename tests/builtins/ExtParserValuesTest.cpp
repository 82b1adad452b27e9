#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>
#include <string>

#include "framework/math/Math.hpp"
#include "tests/builtins/ExtParserTestSupport.hpp"
#include "tests/framework/MathTestUlps.hpp"

using quorix::testing::Evaluate;
using rtl::Extended;

namespace {

struct ValueCase {
    const char* sName;
    const char* sArguments;  // with the parentheses, or empty
    Extended rExpected;
    Extended rUlps;  // allowed distance; kRelative: a relative 1e-15 instead
};

constexpr Extended kRelative = -1;

// Expected values: exact where they are whole or simple fractions; otherwise mpmath
// at 50 digits (elementary functions from the exact binary argument; financial ones
// from the balance equation, a repayment schedule walked period by period, or
// mpmath.findroot for the rates).
const ValueCase kValueCases[] = {
    {"ArcCos", "(0.5)", 1.047197551196597746154214L, 1},
    {"ArcCos", "(1)", 0, 0},
    {"ArcCos", "(-1)", rtl::Pi, 0},
    {"ArcSin", "(1)", 1.570796326794896619231322L, 1},
    {"ArcTan2", "(1;0)", 1.570796326794896619231322L, 1},
    {"ArcTan2", "(1;1)", 0.7853981633974483096156608L, 1},
    {"ArcTan2", "(-2;-3)", -2.553590050042225687217032L, 1},
    {"Sin", "(1)", 0.8414709848078965066525023L, 1},
    {"Cos", "(0.5)", 0.8775825618903727161162816L, 1},
    {"Tan", "(1)", 1.557407724654902230506975L, 1},
    {"Cotan", "(0.5)", 1.830487721712451919268019L, 2},
    {"Hypot", "(3;4)", 5, 0},
    {"DegToRad", "(45)", 0.7853981633974483096156608L, 1},
    {"RadToDeg", "(1)", 57.29577951308232087679815L, 1},
    {"GradToRad", "(50)", 0.7853981633974483096156608L, 1},
    {"RadToGrad", "(1)", 63.66197723675813430755351L, 1},
    {"CycleToRad", "(0.25)", 1.570796326794896619231322L, 1},
    {"RadToCycle", "(1)", 0.1591549430918953357688838L, 1},
    {"Cosh", "(0.5)", 1.127625965206380785226225L, 1},
    {"Sinh", "(-3)", -10.01787492740990189897459L, 1},
    {"Tanh", "(0.5)", 0.4621171572600097585023185L, 2},
    {"ArcCosh", "(1)", 0, 0},
    {"ArcCosh", "(2)", 1.316957896924816708625046L, 1},
    {"ArcSinh", "(-3)", -1.818446459232066823483699L, 1},
    {"ArcTanh", "(0.5)", 0.5493061443340548456976226L, 1},
    {"LnXP1", "(0)", 0, 0},
    {"LnXP1", "(1)", 0.6931471805599453094172321L, 1},
    {"Log10", "(1000)", 3, 0},
    {"Log2", "(8)", 3, 0},
    {"Log2", "(0.5)", -1, 0},
    {"LogN", "(2;8)", 3, 0},
    {"Power", "(2;10)", 1024, 0},
    {"Power", "(-8;3)", -512, 0},
    {"Power", "(2;0.5)", 1.414213562373095048801689L, 1},
    {"Power", "(1;3e9)", 1, 0},
    {"Ceil", "(2.1)", 3, 0},
    {"Ceil", "(-2.1)", -2, 0},
    {"Floor", "(-2.1)", -3, 0},
    // Whole logarithms must not land a hair beside the whole number.
    {"Ceil", "(Log10(1000))", 3, 0},
    {"Floor", "(Log10(0.001))", -3, 0},
    {"Poly", "(2;1;0;3)", 13, 0},
    {"Mean", "(1;2;3)", 2, 0},
    {"Sum", "(1;2;3)", 6, 0},
    {"SumOfSquares", "(1;2;3)", 14, 0},
    {"MinValue", "(3;-1;2)", -1, 0},
    {"MaxValue", "(3;-1;2)", 3, 0},
    {"StdDev", "(2;4;4;4;5;5;7;9)", 2.138089935299395077476428L, 1},
    {"PopnStdDev", "(2;4;4;4;5;5;7;9)", 2, 0},
    {"Variance", "(2;4;4;4;5;5;7;9)", 32.0L / 7, 0.5},
    {"PopnVariance", "(2;4;4;4;5;5;7;9)", 4, 0},
    {"TotalVariance", "(2;4;4;4;5;5;7;9)", 32, 0},
    {"Variance", "(1000000001;1000000002;1000000003)", 1, 0},
    {"Norm", "(3;4)", 5, 0},
    {"RandG", "(5;0)", 5, 0},
    {"DoubleDecliningBalance", "(2400;300;10;2)", 384, kRelative},
    {"FutureValue", "(0.05;10;-100;-1000;'END')", 2886.683880332324218764L, kRelative},
    {"FutureValue", "(0.05;10;-100;-1000;'start')", 2949.573343010068359391L, kRelative},
    {"FutureValue", "(0;12;-50;200;'End')", 400, kRelative},
    {"InterestPayment", "(0.05;5;10;1000;0;'END')", -32.86626719135054801593L, kRelative},
    {"InterestRate", "(48;-200;8000;0;'END')", 0.007701472488202043815969L, kRelative},
    {"InternalRateOfReturn", "(0.1;-70000;12000;15000;18000;21000;26000)", 0.08663094803653161429309L,
     kRelative},
    {"NumberOfPeriods", "(0.01;-100;1000;0;'end')", 10.58864445942323599518L, kRelative},
    {"NetPresentValue", "(0.1;-10000;3000;4200;6800;'END')", 1188.443412335223003864L, kRelative},
    {"NetPresentValue", "(0.1;110;'END')", 100, kRelative},
    {"NetPresentValue", "(0.1;110;'start')", 110, kRelative},
    {"Payment", "(0.005;360;200000;0;'END')", -1199.101050305504789167L, kRelative},
    {"PeriodPayment", "(0.05;5;10;1000;0;'END')", -96.63830777410614748431L, kRelative},
    {"PresentValue", "(0.07;5;0;10000;'END')", -7129.861794836684379265L, kRelative},
    {"SLNDepreciation", "(1000;100;3)", 300, kRelative},
    {"SYDDepreciation", "(1000;100;5;2)", 240, kRelative},
    {"SYDDepreciation", "(1000;100;5;5)", 60, kRelative},
    {"Pi", "", rtl::Pi, 0},
    {"Pi", "(7)", rtl::Pi, 0},
    {"Pi", "('x';3)", rtl::Pi, 0},
};

void ExpectValue(const ValueCase& c, const std::string& sText) {
    SCOPED_TRACE(sText);
    const auto result = Evaluate(sText);
    ASSERT_TRUE(result.bCalculated);
    ASSERT_TRUE(result.Errors.empty());
    if (c.rUlps == kRelative)
        EXPECT_NEAR(double(result.rValue), double(c.rExpected), 1e-15 * std::fabs(double(c.rExpected)));
    else EXPECT_WITHIN_ULPS(result.rValue, c.rExpected, c.rUlps);
}

std::string WithCase(std::string sName, int (*Convert)(int)) {
    std::transform(sName.begin(), sName.end(), sName.begin(),
                   [Convert](unsigned char c) { return char(Convert(c)); });
    return sName;
}

}  // namespace

TEST(ExtParserValues, EachFunctionComputesItsValue) {
    for (const ValueCase& c : kValueCases) ExpectValue(c, std::string(c.sName) + c.sArguments);
}

TEST(ExtParserValues, NamesMayBeWrittenInAnyLetterCase) {
    for (const ValueCase& c : kValueCases) {
        ExpectValue(c, WithCase(c.sName, ::toupper) + c.sArguments);
        ExpectValue(c, WithCase(c.sName, ::tolower) + c.sArguments);
    }
}

TEST(ExtParserValues, EveryFunctionHasAValueCase) {
    std::set<std::string> covered;
    for (const ValueCase& c : kValueCases) covered.insert(c.sName);
    covered.insert("Random");  // has its own test below
    for (const auto& signature : quorix::TExtParser::BuiltInSignatures())
        EXPECT_TRUE(covered.count(signature.sName)) << signature.sName;
}

TEST(ExtParserValues, RandomDrawsAFreshNumberInTheUnitIntervalWhateverItsArguments) {
    quorix::TExtParser parser(nullptr);
    std::set<Extended> draws;
    for (const char* sText : {"Random", "Random()", "random(1;'a';3)", "RANDOM"}) {
        parser.SetText(sText);
        for (int i = 0; i < 5; ++i) {
            ASSERT_TRUE(parser.Calc()) << sText;
            EXPECT_GE(parser.Value(), 0);
            EXPECT_LT(parser.Value(), 1);
            draws.insert(parser.Value());
        }
    }
    EXPECT_EQ(draws.size(), 20u);
}

TEST(ExtParserValues, CombineWithTheEnginesOwnArithmetic) {
    EXPECT_EQ(Evaluate("2*Sin(Pi/2)").rValue, 2);
    EXPECT_EQ(Evaluate("-Floor(2.5)+Ceil(0.5)").rValue, -1);
    EXPECT_EQ(Evaluate("Sum(1;Mean(2;4);Power(2;3))").rValue, 12);
    // An empty argument is the number 0.
    EXPECT_EQ(Evaluate("Sum(1;;2)").rValue, 3);
}
