// Handlers that call back into the component, failures inside arguments, and texts
// long or deep enough to exhaust a recursive implementation.
#include <stdexcept>

#include "QuorixFixture.hpp"
#include "framework/base/Exceptions.hpp"

namespace quorix::testing {
namespace {

using TCallBack = std::function<void(TQuorix&)>;

class Reentrancy : public QuorixTest {
protected:
    // f(n) returns n; the first call also runs Inside.
    void CallBackFromTheFunction(TCallBack Inside) {
        Q.SetOnGetFunction([this, Inside](const std::string&, std::span<const rParam> arrPar, int, int&,
                                          rtl::Extended& Result) mutable {
            if (Inside) std::exchange(Inside, nullptr)(Q);
            // The arguments stay readable even after the handler replaced the text.
            Result = arrPar.empty() ? 0 : arrPar[0].rValue;
        });
    }
};

TEST_F(Reentrancy, ANewTextFromAFunctionHandlerEndsTheRunningCalcWithoutAResult) {
    const TCallBack CallBacks[] = {
        [](TQuorix& Q) { Q.SetText("2*3"); },
        [](TQuorix& Q) {
            Q.SetText("2*3");
            Q.Parse();
        },
        [](TQuorix& Q) {
            Q.SetText("2*3");
            Q.SetParSeparator(',');
            Q.Calc();
        },
        [](TQuorix& Q) {
            Q.SetAutoParse(true);
            Q.SetText("2*3");
        },
        [](TQuorix& Q) {
            Q.SetText("2*3");
            EXPECT_EQ(Q.GetParsedText(), "");
            Q.SetText("2*3");
        },
    };
    for (const TCallBack& Inside : CallBacks) {
        Q.SetAutoParse(false);
        Q.SetText("f(1)+f(2)");
        CallBackFromTheFunction(Inside);
        EXPECT_FALSE(Q.Calc());
        EXPECT_EQ(Q.Value(), 0);
        EXPECT_EQ(Q.Text(), "2*3");
        // The old tree is never shown as the parse of the new text.
        EXPECT_NE(Q.GetParsedText(), "f(1)+f(2)");
        EXPECT_TRUE(Q.Calc());
        EXPECT_EQ(Q.Value(), 6);
        EXPECT_EQ(Q.GetParsedText(), "2*3");
    }
}

TEST_F(Reentrancy, FunctionsChangedByAHandlerDoNotDisturbTheRunningCalc) {
    CallBackFromTheFunction([](TQuorix& Q) {
        const rtl::TStringList Other{"h"};
        Q.SetFunctions(&Other);
        EXPECT_EQ(Q.GetParsedText(), "f(4)*2");
    });
    Q.SetText("f(4)*2");
    EXPECT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 8);
}

TEST_F(Reentrancy, AnErrorHandlerMayChangeTheTextWhileTheOldOneIsParsed) {
    Q.SetOnError([this](int, int) {
        Q.SetAutoParse(true);  // the nested parse is refused; the new text waits
        Q.SetText("1+1");
        Q.SetAutoParse(false);
    });
    Q.SetText("y+1");
    EXPECT_FALSE(Q.Parse());
    EXPECT_EQ(Q.GetParsedText(), "");
    EXPECT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 2);
}

TEST_F(Reentrancy, AnErrorHandlerThatParsesOrCalculatesAgainDoesNotRecurse) {
    int iReports = 0;
    bool bNested = true;
    Q.SetOnError([&](int, int) {
        ++iReports;
        bNested = Q.Parse() || Q.Calc();
    });
    Q.SetText("f(1+)");
    EXPECT_FALSE(Q.Calc());
    EXPECT_EQ(iReports, 1);
    EXPECT_FALSE(bNested);
}

TEST_F(Reentrancy, AnErrorHandlerMayReleaseTheTreeWhileItIsEvaluated) {
    Q.SetOnError([this](int, int) { Q.SetStringDelimiter('"'); });
    Q.SetText("(1/0)+(1/0)");
    EXPECT_FALSE(Q.Calc());
    EXPECT_EQ(Q.Value(), 0);
    EXPECT_EQ(Q.GetParsedText(), "");
}

class ArgumentFailures : public QuorixTest {
protected:
    ArgumentFailures() {
        Q.SetOnGetFunction([](const std::string&, std::span<const rParam>, int, int&, rtl::Extended& Result) {
            Result = 1;
        });
    }
};

TEST_F(ArgumentFailures, AMathExceptionWhileAnArgumentIsFoldedIsNotTakenForZero) {
    for (const bool bOptimize : {true, false}) {
        SCOPED_TRACE(bOptimize);
        Q.SetOptimize(bOptimize);
        Q.SetText("f((-8)^0.5)");
        EXPECT_THROW(Q.Calc(), rtl::EInvalidOp);
        Q.SetText("f(1;10^5000)");
        EXPECT_THROW(Q.Calc(), rtl::EOverflow);
        EXPECT_EQ(Q.Value(), 0);
    }
}

TEST_F(ArgumentFailures, AnExceptionFromTheErrorHandlerInsideAnArgumentPassesOut) {
    Q.SetOnError([](int, int) { throw std::runtime_error("stop"); });
    Q.SetText("f(1+)");
    EXPECT_THROW(Q.Parse(), std::runtime_error);
    EXPECT_THROW(Q.Calc(), std::runtime_error);  // never a success built on the failed argument
    EXPECT_EQ(Q.GetParsedText(), "");
}

// The text of n ones joined by cOperator.
std::string Chain(std::size_t n, char cOperator) {
    std::string sText;
    sText.reserve(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        if (i) sText += cOperator;
        sText += '1';
    }
    return sText;
}

constexpr std::size_t OneMiB = 1u << 20;

TEST(LongInput, AChainOfOneMebibyteParsesEvaluatesPrintsAndIsReleased) {
    // Unfolded, so that the evaluator walks the whole left-leaning tree.
    TQuorix Q(nullptr);
    Q.SetOptimize(false);
    Q.SetText(Chain(OneMiB / 2, '+'));
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), OneMiB / 2);
    const std::string sTree = Q.GetParsedText();
    EXPECT_EQ(sTree.find("(1+1)+1)"), OneMiB / 2 - 3);
    EXPECT_EQ(sTree.size(), OneMiB - 1 + 2 * (OneMiB / 2 - 2));
    EXPECT_EQ(Q.GetUsedFun()->Count(), 0);
}

// The next ones are smaller: the deepest tree is the one above; these keep the
// sanitizer run short.
TEST(LongInput, ALongChainOfCallsEvaluates) {
    TQuorix Q(nullptr);
    Q.Functions()->Add("f");
    int iCalls = 0;
    Q.SetOnGetFunction([&](const std::string&, std::span<const rParam>, int, int&, rtl::Extended& Result) {
        ++iCalls;
        Result = 1;
    });
    std::string sText = "f(1)";
    while (sText.size() < OneMiB / 4) sText += "*f(1)";
    Q.SetText(sText);
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 1);
    EXPECT_EQ(iCalls, static_cast<int>((sText.size() + 1) / 5));
    EXPECT_EQ(Q.GetUsedFun()->Count(), 1);
}

TEST(LongInput, ThousandsOfNestedParenthesesAroundALongChain) {
    const std::size_t Depth = 5000;
    const std::string sText =
        std::string(Depth, '(') + Chain(OneMiB / 8 - Depth, '-') + std::string(Depth, ')');
    TQuorix Q(nullptr);
    Q.SetText(sText);
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 1 - static_cast<long double>(OneMiB / 8 - Depth - 1));
}

TEST(LongInput, ADeepRightLeaningTreeIsEvaluatedPrintedAndReleased) {
    // 1-(1-(1-(...))): every level is a group of its own.
    const std::size_t Depth = 2000;
    std::string sText;
    for (std::size_t i = 0; i < Depth; ++i) sText += "1-(";
    sText += "1" + std::string(Depth, ')');
    TQuorix Q(nullptr);
    Q.SetOptimize(false);
    Q.SetText(sText);
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 1);  // 2001 alternating ones
    EXPECT_EQ(Q.GetParsedText().size(), sText.size() - 2);
}

TEST_F(QuorixTest, CallsNestedTooDeeplyAreRefusedAtTheOutermostCall) {
    auto Nested = [](int iDepth) {
        return "1+" + [&] {
            std::string s;
            for (int i = 0; i < iDepth; ++i) s += "f(";
            return s + "1" + std::string(static_cast<std::size_t>(iDepth), ')');
        }();
    };
    Q.SetOnGetFunction([](const std::string&, std::span<const rParam> arrPar, int, int&,
                          rtl::Extended& Result) { Result = arrPar[0].rValue + 1; });
    Q.SetText(Nested(TQuorix::MaxCallNesting));
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), TQuorix::MaxCallNesting + 2);

    for (const std::size_t Length : {std::size_t(300), OneMiB}) {
        SCOPED_TRACE(Length);
        EXPECT_FALSE(ParseText(Nested(static_cast<int>(Length / 3))));
        EXPECT_EQ(Reports, (TReports{{2, qeTooDeep}}));
    }
}

}  // namespace
}  // namespace quorix::testing
