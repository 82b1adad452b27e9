#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/base/Exceptions.hpp"
#include "tests/builtins/ExtParserTestSupport.hpp"

using quorix::testing::Evaluate;

namespace {

struct ErrorCase {
    const char* sText;
    int iErrCode;  // reported at position 0, where each call starts
};

// Count (102, 103), then kind (100), then domain (101); the last failing test wins.
const ErrorCase kErrorCases[] = {
    // One number.
    {"Sin", 102},
    {"Sin()", 102},
    {"Sin(1;2)", 103},
    {"Sin('a')", 100},
    {"Sin(1;'a')", 103},  // arguments beyond the first are not kind-tested
    {"Sin(;1)", 103},     // an empty argument is the number 0
    {"ArcCos(0.5;0.7)", 103},
    {"ArcCos('x')", 100},
    {"ArcCos(2)", 101},
    {"ArcCos(2;5)", 101},
    {"ArcCos('x';5)", 100},
    {"ArcCos(1.0000001)", 101},
    {"ArcSin(-1.5)", 101},
    {"ArcCosh(0.5)", 101},
    {"ArcCosh('s')", 101},  // a string reads 0 in the domain test, which comes last
    {"ArcTanh(1.5)", 101},
    {"ArcTanh(-1.0000001)", 101},
    {"Cotan(0)", 100},
    {"Cotan('a')", 100},
    {"Cotan(0;1)", 100},
    {"Cotan()", 102},
    {"Ceil('a')", 100},
    {"LnXP1(1;2)", 103},
    // Two numbers.
    {"Hypot(3;4;5)", 103},
    {"Hypot(3)", 102},
    {"Hypot('s')", 100},
    {"Hypot(3;'s')", 100},
    {"LogN(2)", 102},
    {"RandG('a';1)", 100},
    {"ArcTan2(0;1)", 101},
    {"ArcTan2('s';1)", 101},
    {"ArcTan2(0)", 101},  // the first argument's tests still run
    {"ArcTan2(1)", 102},
    {"ArcTan2(1;2;3)", 103},
    {"ArcTan2(1e20;1)", 101},
    {"ArcTan2(1;-1e20)", 101},
    {"ArcTan2(1;'s')", 100},
    {"Power(0;3e9)", 101},
    {"Power(-2;3e9)", 101},
    {"Power(0;-3e9)", 101},
    {"Power(0)", 102},
    {"Power(1;2;3)", 103},
    // Lists.
    {"Poly(2)", 102},
    {"Poly(2;'a')", 100},
    {"Poly()", 102},
    {"Mean()", 102},
    {"Mean", 102},
    {"Sum(1;'a';3)", 100},
    {"Norm('a')", 100},
    {"InternalRateOfReturn(0.1)", 102},
    {"InternalRateOfReturn(0.1;'a')", 100},
    {"InternalRateOfReturn('a')", 100},
    {"NetPresentValue(0.1;'END')", 102},
    {"NetPresentValue(0.1;'x';100;'END')", 100},
    {"NetPresentValue(0.1;100;200)", 100},
    {"NetPresentValue(0.1;100;'MIDDLE')", 100},
    {"NetPresentValue(0.1)", 100},  // its one argument is the last, not a payment time
    // Fixed financial rows.
    {"FutureValue(0.05;10;-100;-1000)", 102},
    {"FutureValue(0.05;10;-100;-1000;'END';1)", 103},
    {"FutureValue(0.05;10.5;-100;-1000;'END')", 100},
    {"FutureValue(0.05;10;-100;-1000;'MIDDLE')", 100},
    {"FutureValue(0.05;10;-100;-1000;1)", 100},
    {"FutureValue(0.05;10;-100;-1000;' END')", 100},
    {"FutureValue(0.05;10;-100;-1000;'END ')", 100},
    {"FutureValue(0.05;'10';-100;-1000;'END')", 100},
    {"FutureValue('END')", 100},
    {"PresentValue(0.05;10;-100;'x';'END')", 100},
    {"Payment(0.05;10;1000)", 102},
    {"InterestRate(10.5;-100;1000;0;'END')", 100},
    {"InterestRate(10;-100;1000;0;'START';2)", 103},
    {"NumberOfPeriods(0.01;-100;1000;'0';'END')", 100},
    {"InterestPayment(0.05;1.5;10;1000;0;'END')", 100},
    {"InterestPayment(0.05;1;10;1000;0)", 102},
    {"PeriodPayment(0.05;1;10.5;1000;0;'END')", 100},
    {"PeriodPayment(0.05;1;10;1000;'0';'END')", 100},
    {"SLNDepreciation(1000;100;3.5)", 100},
    {"SLNDepreciation(1000;100)", 102},
    {"SYDDepreciation(1000;100;5;2.5)", 100},
    {"DoubleDecliningBalance(1000;100;5;2;'x')", 100},  // every argument must be a number
    {"DoubleDecliningBalance(1000;100;5;2;7)", 103},
    {"DoubleDecliningBalance(1000;100;5.5;2)", 100},
};

}  // namespace

TEST(ExtParserErrors, ReportTheCodeOfTheLastFailingTestAtTheCall) {
    for (const ErrorCase& c : kErrorCases) {
        SCOPED_TRACE(c.sText);
        const auto result = Evaluate(c.sText);
        EXPECT_FALSE(result.bCalculated);
        EXPECT_EQ(result.rValue, 0);
        EXPECT_EQ(result.Errors, (std::vector<std::pair<int, int>>{{0, c.iErrCode}}));
    }
}

TEST(ExtParserErrors, AreReportedAtThePositionOfTheCallInTheWholeText) {
    EXPECT_EQ(Evaluate("1+ArcCos(2)").Errors, (std::vector<std::pair<int, int>>{{2, 101}}));
    EXPECT_EQ(Evaluate("Sum(1;Sin)").Errors, (std::vector<std::pair<int, int>>{{6, 102}}));
}

TEST(ExtParserErrors, PaymentTimesAcceptStartAndEndInAnyLetterCase) {
    for (const char* sTime : {"'END'", "'end'", "'End'", "'START'", "'start'", "'sTaRt'"}) {
        const auto result = Evaluate(std::string("FutureValue(0.05;10;-100;-1000;") + sTime + ")");
        EXPECT_TRUE(result.bCalculated) << sTime;
    }
}

TEST(ExtParserErrors, WholeNumberArgumentsMayExceed32BitsButThenCannotBeComputed) {
    // 1e10 is a whole number, so the kind test passes; it cannot be a count of periods.
    EXPECT_THROW(Evaluate("FutureValue(0.05;1e10;-100;-1000;'END')"), rtl::EOverflow);
}

TEST(ExtParserErrors, RoutinesWithoutAValueRaiseTheirMathErrorThroughCalc) {
    EXPECT_THROW(Evaluate("ArcTanh(1)"), rtl::EZeroDivide);
    EXPECT_THROW(Evaluate("ArcTanh(-1)"), rtl::EZeroDivide);
    EXPECT_THROW(Evaluate("Log10(0)"), rtl::EZeroDivide);
    EXPECT_THROW(Evaluate("Log2(-8)"), rtl::EInvalidOp);
    EXPECT_THROW(Evaluate("LnXP1(-1)"), rtl::EZeroDivide);
    EXPECT_THROW(Evaluate("LogN(2;0)"), rtl::EZeroDivide);
    EXPECT_THROW(Evaluate("LogN(1;5)"), rtl::EZeroDivide);
    EXPECT_THROW(Evaluate("StdDev(5)"), rtl::EInvalidOp);
    EXPECT_THROW(Evaluate("Variance(5)"), rtl::EInvalidOp);
    EXPECT_THROW(Evaluate("Ceil(1e10)"), rtl::EOverflow);
    EXPECT_THROW(Evaluate("Floor(-3e9)"), rtl::EOverflow);
    EXPECT_THROW(Evaluate("Power(2;3e9)"), rtl::EOverflow);
    EXPECT_THROW(Evaluate("Power(-8;1/3)"), rtl::EInvalidOp);
    EXPECT_THROW(Evaluate("Cosh(20000)"), rtl::EOverflow);
    EXPECT_THROW(Evaluate("Mean(1e400)"), rtl::EOverflow);  // beyond a double
    EXPECT_THROW(Evaluate("InternalRateOfReturn(0.1;100;50)"), rtl::EInvalidArgument);
    EXPECT_THROW(Evaluate("InterestRate(10;-100;-1000;0;'END')"), rtl::EInvalidArgument);
    EXPECT_THROW(Evaluate("Payment(0;0;1000;0;'END')"), rtl::EZeroDivide);
    EXPECT_THROW(Evaluate("SYDDepreciation(1000;100;5;6)"), rtl::EInvalidArgument);
}

TEST(ExtParserErrors, NoFunctionEverReturnsAnInfinityOrANaN) {
    // Extreme arguments for every function: each call either fails (code or math
    // exception) or gives a finite value.
    const std::vector<std::string> argumentLists = quorix::testing::ExtremeArgumentLists();
    for (const auto& signature : quorix::TExtParser::BuiltInSignatures())
        for (const std::string& sArguments : argumentLists) {
            const std::string sText = std::string(signature.sName) + "(" + sArguments + ")";
            try {
                const auto result = Evaluate(sText);
                if (result.bCalculated) {
                    EXPECT_TRUE(std::isfinite(result.rValue)) << sText;
                }
            } catch (const rtl::EMathError&) {}
        }
}
