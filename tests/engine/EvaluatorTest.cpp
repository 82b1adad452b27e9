// Evaluation: values, function calls, errors, the re-entrancy guard and failures of
// the arithmetic.
#include <stdexcept>

#include "QuorixFixture.hpp"
#include "framework/base/Exceptions.hpp"

namespace quorix::testing {
namespace {

class Evaluator : public QuorixTest {
protected:
    // f returns its first argument, or 2 without one; every call is recorded.
    void AnswerCalls() {
        Q.SetOnGetFunction([this](const std::string& sName, std::span<const rParam> arrPar, int ParCount,
                                  int& iErrCode, rtl::Extended& Result) {
            Calls.push_back(sName + "/" + std::to_string(ParCount));
            EXPECT_EQ(iErrCode, 0);
            EXPECT_EQ(Result, 0);
            Result = arrPar.empty() ? 2 : arrPar[0].rValue;
        });
    }
    std::vector<std::string> Calls;
};

TEST_F(Evaluator, AnEmptyTextCalculatesToZero) {
    EXPECT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 0);
    EXPECT_EQ(Q.GetParsedText(), "");
}

TEST_F(Evaluator, ReportsADivisionByZeroAtTheSlashWhetherOrNotItIsFolded) {
    for (const bool bOptimize : {true, false})
        for (const char* sText : {"1/0", "0/0", "1/(2-2)"}) {
            SCOPED_TRACE(std::string(sText) + (bOptimize ? " folded" : " unfolded"));
            Q.SetOptimize(bOptimize);
            EXPECT_TRUE(ParseText(sText));
            EXPECT_TRUE(Reports.empty());  // the parse itself is sound
            EXPECT_FALSE(Q.Calc());
            EXPECT_EQ(Reports, (TReports{{1, qeDivisionByZero}}));
            EXPECT_EQ(Q.Value(), 0);
            // Every later Calc reports it again: no success ever hides it.
            EXPECT_FALSE(Q.Calc());
            EXPECT_EQ(Reports.size(), 2u);
        }
}

TEST_F(Evaluator, ADivisionByZeroInsideAConstantKeepsTheRestUnfoldedButPrintable) {
    Q.SetText("2*(1/0)+5");
    EXPECT_FALSE(Q.Calc());
    EXPECT_EQ(Reports, (TReports{{4, qeDivisionByZero}}));
    EXPECT_EQ(Q.GetParsedText(), "(2*(1/0))+5");
}

TEST_F(Evaluator, RaisesTheMathExceptionForResultsThatAreNotFinite) {
    struct TCase {
        const char* sText;
        const char* sClass;
    } Cases[] = {
        {"(-8)^(1/3)", "EInvalidOp"},   {"10^5000", "EOverflow"},           {"0^-1", "EZeroDivide"},
        {"1e4000*1e4000", "EOverflow"}, {"1e4000/(1/1e4000)", "EOverflow"}, {"-1e4932-1e4932", "EOverflow"},
    };
    for (const bool bOptimize : {true, false})
        for (const TCase& Case : Cases) {
            SCOPED_TRACE(Case.sText);
            Q.SetOptimize(bOptimize);
            Q.SetText("1");
            ASSERT_TRUE(Q.Calc());
            Q.SetText(Case.sText);
            std::string sClass;
            try {
                Q.Calc();
            } catch (const rtl::EInvalidOp&) {
                sClass = "EInvalidOp";
            } catch (const rtl::EOverflow&) {
                sClass = "EOverflow";
            } catch (const rtl::EZeroDivide&) {
                sClass = "EZeroDivide";
            }
            EXPECT_EQ(sClass, Case.sClass);
            EXPECT_EQ(Q.Value(), 0);
            // A failed fold leaves no tree; an unfolded text stays parsed.
            EXPECT_EQ(Q.GetParsedText().empty(), bOptimize);
            // The guard is down again: a sound text calculates.
            Q.SetText("2");
            EXPECT_TRUE(Q.Calc());
        }
}

TEST_F(Evaluator, AListedNameWithoutAHandlerIsZeroAndItsArgumentsAreNotEvaluated) {
    Q.SetText("f(1/0)+3");
    EXPECT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 3);
    EXPECT_TRUE(Reports.empty());
}

TEST_F(Evaluator, HandsTheHandlerTheUpperCasedNameAndTheArguments) {
    AnswerCalls();
    struct TCase {
        const char* sText;
        long double rValue;
        std::vector<std::string> Calls;
    } Cases[] = {
        {"F", 2, {"F/0"}},      {"Max()", 2, {"MAX/0"}},
        {"-f(2)", -2, {"F/1"}}, {"f(g(1);max(2))", 1, {"MAX/1", "G/1", "F/2"}},
        {"x*2", 4, {"X/0"}},    {"-f(-(3))^2", 9, {"F/1"}},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.sText);
        Calls.clear();
        Q.SetText(Case.sText);
        ASSERT_TRUE(Q.Calc());
        EXPECT_EQ(Q.Value(), Case.rValue);
        EXPECT_EQ(Calls, Case.Calls);
    }
}

TEST_F(Evaluator, AsksTheHandlersAgainOnEveryCalc) {
    int iCalls = 0;
    Q.SetOnGetFunction([&](const std::string&, std::span<const rParam>, int, int&, rtl::Extended& Result) {
        Result = ++iCalls;
    });
    Q.SetText("f");
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 1);
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 2);
}

TEST_F(Evaluator, ReportsAHandlersErrorCodeAtTheNameAndStopsUsefulWork) {
    Q.SetOnGetFunction([this](const std::string& sName, std::span<const rParam> arrPar, int, int& iErrCode,
                              rtl::Extended& Result) {
        Calls.push_back(sName + "(" +
                        (arrPar.empty() ? "" : std::to_string(static_cast<int>(arrPar[0].rValue))) + ")");
        if (sName == "G") iErrCode = 42;
        Result = 5;
    });
    Q.SetText("1+f(g(1))+f(7)");
    EXPECT_FALSE(Q.Calc());
    EXPECT_EQ(Reports, (TReports{{4, 42}}));
    EXPECT_EQ(Q.Value(), 0);
    // The call whose argument failed is still made, with 0 for that argument; the
    // right operand f(7), evaluated after the error, is never asked.
    EXPECT_EQ(Calls, (std::vector<std::string>{"G(1)", "F(0)"}));
}

class BuiltIns : public TQuorix {
public:
    BuiltIns() : TQuorix(nullptr) { AddBuildInFun("Twice"); }
    std::vector<std::string> Names;

protected:
    void GetFunBuildIn(const std::string& sName, std::span<const rParam> arrPar, int ParCount, int& iErrCode,
                       rtl::Extended& Result) override {
        Names.push_back(sName);
        if (ParCount != 1) iErrCode = 100;
        else Result = 2 * arrPar[0].rValue;
    }
};

TEST(BuiltInFunctions, AreFoundInAnyCaseAndNeverReachTheApplication) {
    BuiltIns Q;
    bool bAsked = false;
    Q.SetOnGetFunction(
        [&](const std::string&, std::span<const rParam>, int, int&, rtl::Extended&) { bAsked = true; });
    std::vector<int> Codes;
    Q.SetOnError([&](int, int iErrCode) { Codes.push_back(iErrCode); });
    Q.SetText("twice(3)-TWICE(-1)");
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 8);
    EXPECT_EQ(Q.Names, (std::vector<std::string>{"TWICE", "TWICE"}));
    EXPECT_FALSE(bAsked);
    // Without a handler, a built-in is still evaluated.
    Q.SetOnGetFunction(nullptr);
    Q.SetText("-Twice");
    EXPECT_FALSE(Q.Calc());
    EXPECT_EQ(Codes, (std::vector<int>{100}));
    EXPECT_EQ(Lines(*Q.GetUsedFun()), (std::vector<std::string>{"TWICE"}));
}

}  // namespace
}  // namespace quorix::testing
