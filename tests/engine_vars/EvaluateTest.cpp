// Evaluation and printing in the variables flavour: values, handler calls, error 9
// without an error flag, exceptions and handlers that call back into the component.
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <typeinfo>

#include "VarsHarness.hpp"
#include "framework/base/Exceptions.hpp"
#include "framework/math/Math.hpp"

namespace quorix_vars_test {
namespace {

struct Evaluation {
    const char* sText;
    Extended rValue;
    const char* sPrinted;
};

// x is 3; F sums its numeric arguments, G multiplies them.
const Evaluation kEvaluations[] = {
    {"-x", -3, "(-x)"},
    {"2*-x", -6, "2*(-x)"},
    {"x*x", 9, "x*x"},
    {"-x^2", 9, "(-x)^2"},
    {"X+x", 6, "X+x"},
    {"-2^2", 4, "(-2)^2"},
    {"2^3^2", 64, "(2^3)^2"},
    {"8*4/2", 16, "8*(4/2)"},
    {"8/4/2", 1, "(8/4)/2"},
    {"1+2-3", 0, "1+(2-3)"},
    {"1-2-3", -4, "(1-2)-3"},
    {"1+2*3", 7, "1+(2*3)"},
    {"2^-1", 0.5, "2^(-1)"},
    {"0^0", 1, "0^0"},
    {"(1+2)", 3, "1+2"},
    {"-(1+2)", -3, "-(1+2)"},
    {"-(1+2)*3", -9, "-(1+2)*3"},
    {"-5", -5, "(-5)"},
    {"1--1", 2, "1-(-1)"},
    {"-(-(1))", 1, "1"},
    {"2*-(1+2)", -6, "2*-(1+2)"},
    {"1 + 2", 3, "1 + 2"},
    {"1e3/4", 250, "1e3/4"},
    {"F(1+2;3)", 6, "F((1+2);3)"},
    {"-F(2)", -2, "-F(2)"},
    {"F(G(1;2);3)", 5, "F(G(1;2);3)"},
    {"F(;1)", 1, "F(;1)"},
    {"F('a;b';x)", 3, "F('a;b';x)"},
    {"F('a';-x)", -3, "F('a';(-x))"},
    {"2*(1/0)+5", 5, "(2*(1/0))+5"},
};

TEST(VarsEvaluate, ComputesAndPrintsTheTreeTheBuilderGrouped) {
    for (const bool bOptimize : {false, true}) {
        for (const Evaluation& Case : kEvaluations) {
            SCOPED_TRACE(std::string(Case.sText) + (bOptimize ? " optimized" : ""));
            VarsHarness H;
            H.Parser->SetOptimize(bOptimize);
            EXPECT_TRUE(H.CalcText(Case.sText));
            EXPECT_EQ(H.Parser->Value(), Case.rValue);
            EXPECT_EQ(H.Parser->GetParsedText(), Case.sPrinted);
        }
    }
}

TEST(VarsEvaluate, AsksTheVariableHandlerEachTimeWithTheUpperCasedName) {
    VarsHarness H;
    ASSERT_TRUE(H.CalcText("x*X"));
    EXPECT_EQ(H.VarRequests, (std::vector<std::string>{"X", "X"}));
    ASSERT_TRUE(H.Parser->Calc());
    EXPECT_EQ(H.VarRequests.size(), 4u);

    H.AddNames(H.Parser->Variables(), {"\xc3\xa4rger"});  // only ASCII letters are upper-cased
    ASSERT_TRUE(H.CalcText("\xc3\xa4rger"));
    EXPECT_EQ(H.VarRequests.back(), "\xc3\xa4RGER");
}

TEST(VarsEvaluate, VariablesAndFunctionsWithoutHandlersAreZero) {
    VarsHarness H;
    H.Parser->SetOnGetVariable({});
    H.Parser->SetOnGetFunction({});
    EXPECT_TRUE(H.CalcText("x+1"));
    EXPECT_EQ(H.Parser->Value(), 1);
    // Without a function handler the arguments are not even evaluated.
    EXPECT_TRUE(H.CalcText("F(1/0)+2"));
    EXPECT_EQ(H.Parser->Value(), 2);
    EXPECT_TRUE(H.Reports.empty());
}

TEST(VarsEvaluate, ACallWhoseHandlerAnArgumentRemovedIsZero) {
    VarsHarness H;
    // The variable in F's argument removes the function handler after F has started.
    H.Parser->SetOnGetVariable([&H](const std::string&, Extended& Result) {
        H.Parser->SetOnGetFunction({});
        Result = 3;
    });
    ASSERT_TRUE(H.CalcText("F(x)+1"));
    EXPECT_EQ(H.Parser->Value(), 1);
    EXPECT_TRUE(H.Calls.empty());
}

TEST(VarsEvaluate, CallsArgumentsFromTheLastToTheFirst) {
    VarsHarness H;
    ASSERT_TRUE(H.CalcText("F(G(1);G(2))"));
    ASSERT_EQ(H.Calls.size(), 3u);
    EXPECT_EQ(H.Calls[0].arrPar[0].rValue, 2);
    EXPECT_EQ(H.Calls[1].arrPar[0].rValue, 1);
    EXPECT_EQ(H.Calls[2].sName, "F");
    EXPECT_EQ(H.Parser->Value(), 3);
}

TEST(VarsEvaluate, HandsTheFunctionItsNameUpperCased) {
    VarsHarness H;
    H.AddNames(H.Parser->Functions(), {"max"});
    ASSERT_TRUE(H.CalcText("Max(x;2)"));
    ASSERT_EQ(H.Calls.size(), 1u);
    EXPECT_EQ(H.Calls[0].sName, "MAX");
}

TEST(VarsEvaluate, DivisionByZeroIsReportedAndEvaluationGoesOn) {
    VarsHarness H;
    H.Parser->SetText("1/0+x");
    ASSERT_TRUE(H.Parser->Parse());
    EXPECT_TRUE(H.Reports.empty());
    EXPECT_TRUE(H.Parser->Calc());
    EXPECT_EQ(H.Reports, Only(1, 9));
    EXPECT_EQ(H.VarRequests.size(), 1u);  // the rest of the tree was still evaluated
    EXPECT_EQ(H.Parser->Value(), 3);
}

// Operators over constants alone are computed once, not at every evaluation; one that
// fails is left as it is, so that every evaluation reports or raises it again.
TEST(VarsEvaluate, ConstantsAloneGiveTheirValueAndTheirFailuresEveryTime) {
    VarsHarness H;
    ASSERT_TRUE(H.CalcText("x*(2^3-(1+1))/(4/8)-(10-(3*1))+-(2*3)"));
    EXPECT_EQ(H.Parser->Value(), 23);
    H.Parser->SetText("x+1/0");
    for (int i = 0; i < 2; ++i) {
        H.Reports.clear();
        EXPECT_TRUE(H.Parser->Calc());
        EXPECT_EQ(H.Reports, Only(3, 9));
    }
    H.Parser->SetText("x+10^5000*0");
    for (int i = 0; i < 2; ++i) EXPECT_THROW(H.Parser->Calc(), rtl::EOverflow);
}

TEST(VarsEvaluate, OptimizeFoldsAConstantDivisionByZeroWhileParsing) {
    VarsHarness H;
    H.Parser->SetOptimize(true);
    H.Parser->SetText("1/0");
    EXPECT_TRUE(H.Parser->Parse());
    EXPECT_EQ(H.Reports, Only(1, 9));
    EXPECT_TRUE(H.Parser->Calc());
    EXPECT_EQ(H.Reports.size(), 1u);
    EXPECT_EQ(H.Parser->Value(), 0);
}

TEST(VarsEvaluate, SameTextChangesNothingAndANewTextResetsTheValue) {
    VarsHarness H;
    ASSERT_TRUE(H.CalcText("x+1"));
    H.Parser->SetText("x+1");
    EXPECT_EQ(H.Parser->Value(), 4);
    EXPECT_EQ(H.Parser->GetParsedText(), "x+1");
    H.Parser->SetText("x+2");
    EXPECT_EQ(H.Parser->Value(), 0);
    EXPECT_EQ(H.Parser->GetParsedText(), "");
}

// A handler's exception keeps the last value (a suite both flavours share); a math
// exception after a new text finds the value the new text reset.
TEST(VarsEvaluate, AMathExceptionPassesOutAndKeepsTheValueTheNewTextReset) {
    VarsHarness H;
    ASSERT_TRUE(H.CalcText("x"));
    EXPECT_THROW(H.CalcText("(-8)^(1/3)"), rtl::EInvalidOp);
    EXPECT_EQ(H.Parser->Value(), 0);
}

// The power of a handler's value to a whole constant is the power routine's, bit for bit
// and failure for failure, whichever sign the name and the power carry.
TEST(VarsEvaluate, AWholePowerOfAHandlersValueIsThePowerRoutines) {
    const auto FailureOf = [](auto&& Compute) -> std::string {
        try {
            Compute();
        } catch (const rtl::EMathError& Error) {
            return typeid(Error).name();
        }
        return "";
    };
    for (const Extended rX : {1.1L, -2.5L, 0.3L, 3e-1300L, -7e900L, 0.0L}) {
        for (const int n : {-3, -2, 2, 3, 7, 9}) {
            for (const bool bNegated : {false, true}) {
                // -x^n is (-x)^n; the outer sign is the power's own.
                const std::string sPower = "^" + std::to_string(n);
                const std::string sText = bNegated ? "-(-x" + sPower + ")" : "x" + sPower;
                SCOPED_TRACE(sText + " with x = " + std::to_string(double(rX)));
                Extended rPower = 0;
                const std::string sWanted = FailureOf([&] { rPower = rtl::Power(bNegated ? -rX : rX, n); });
                VarsHarness H;
                H.Values["X"] = rX;
                H.Parser->SetText(sText);
                EXPECT_EQ(FailureOf([&] { H.Parser->Calc(); }), sWanted);
                if (!sWanted.empty()) continue;
                const Extended rExpected = bNegated ? -rPower : rPower;
                EXPECT_EQ(H.Parser->Value(), rExpected);
                EXPECT_EQ(std::signbit(H.Parser->Value()), std::signbit(rExpected));
            }
        }
    }
}

TEST(VarsEvaluate, NeverReportsANonFiniteValue) {
    const Extended rHuge = std::numeric_limits<Extended>::max();
    struct Case {
        const char* sText;
        Extended rX;
        bool bOverflow;  // else an invalid operation
    };
    const Case Cases[] = {
        {"x*x", rHuge, true},
        {"x+x", rHuge, true},
        {"x/0.5", rHuge, true},
        {"x^2", rHuge, true},
        {"x", std::numeric_limits<Extended>::infinity(), true},
        {"x", std::numeric_limits<Extended>::quiet_NaN(), false},
        {"F(x)", std::numeric_limits<Extended>::quiet_NaN(), false},
    };
    for (const bool bOptimize : {false, true}) {
        for (const Case& C : Cases) {
            SCOPED_TRACE(C.sText);
            VarsHarness H;
            H.Parser->SetOptimize(bOptimize);
            H.Values["X"] = C.rX;
            H.Parser->SetText(C.sText);
            if (C.bOverflow) EXPECT_THROW(H.Parser->Calc(), rtl::EOverflow);
            else EXPECT_THROW(H.Parser->Calc(), rtl::EInvalidOp);
            EXPECT_EQ(H.Parser->Value(), 0);
        }
    }
    VarsHarness H;
    H.Parser->SetOptimize(true);
    H.Parser->SetText("1e4000*1e4000");
    EXPECT_THROW(H.Parser->Parse(), rtl::EOverflow);  // the fold computes it
    EXPECT_EQ(H.Parser->GetParsedText(), "");
    H.Parser->SetOptimize(false);
    EXPECT_TRUE(H.Parser->Parse());
    EXPECT_THROW(H.Parser->Calc(), rtl::EOverflow);
}

TEST(VarsEvaluate, HandlerThatReplacesTheTextLeavesTheComponentConsistent) {
    VarsHarness H;
    H.Parser->SetOnGetVariable([&](const std::string&, Extended& Result) {
        H.Parser->SetText("F(2;x)");  // frees nothing that is still being walked
        Result = 1;
    });
    EXPECT_FALSE(H.CalcText("x+F(x;x)"));  // the value belonged to the old text
    EXPECT_EQ(H.Parser->Value(), 0);
    EXPECT_EQ(H.Parser->Text(), "F(2;x)");
    H.Parser->SetOnGetVariable([](const std::string&, Extended& Result) { Result = 3; });
    EXPECT_TRUE(H.Parser->Calc());
    EXPECT_EQ(H.Parser->Value(), 5);
}

TEST(VarsEvaluate, ErrorHandlerThatReparsesDuringAParseIsRefused) {
    VarsHarness H;
    H.Parser->SetAutoParse(true);
    bool bInner = true;
    H.Parser->SetOnError([&](int, int) {
        H.Parser->SetText("x+1");
        bInner = H.Parser->Parse();
    });
    H.Parser->SetOptimize(true);
    H.Parser->SetText("1/0+x");  // the fold reports error 9 mid-parse
    EXPECT_FALSE(bInner);
    EXPECT_EQ(H.Parser->Text(), "x+1");
    H.Parser->SetOnError({});
    EXPECT_TRUE(H.Parser->Calc());
    EXPECT_EQ(H.Parser->Value(), 4);
}

}  // namespace
}  // namespace quorix_vars_test
