// Bound variables: read from memory without the handler, in any letter case, counted
// as listed without joining Variables, never stored; changes take effect at the next
// Calc, also when made inside a handler. And CalcRows over bound columns.
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "engine_vars/Quorix.hpp"
#include "framework/base/Exceptions.hpp"
#include "framework/base/Streaming.hpp"
#include "framework/base/TextCase.hpp"

namespace quorix_vars_test {
namespace {

using quorix::TQuorix;
using quorix::TRowFault;
using quorix::TRowStatus;
using rtl::Extended;

TEST(VarsBinding, ABoundNameIsAVariableReadFromMemoryInAnyCase) {
    TQuorix Q(nullptr);
    int iHandlerCalls = 0;
    Q.SetOnGetVariable([&](const std::string&, Extended& Result) {
        ++iHandlerCalls;
        Result = 100;
    });
    Extended rSpeed = 3;
    Q.Bind("Speed", &rSpeed);
    Q.SetText("-speed*2+SPEED");
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), -3);
    rSpeed = 5;
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), -5);
    EXPECT_EQ(iHandlerCalls, 0);
    EXPECT_EQ(Q.Variables()->Count(), 0);  // listed for the parse only
    EXPECT_TRUE(Q.IsVariableUsed("speed"));

    // Unbinding (also by a nil pointer) leaves the name unknown at the next Calc.
    std::vector<int> Errors;
    Q.SetOnError([&](int, int iErrCode) { Errors.push_back(iErrCode); });
    Q.Bind("SPEED", nullptr);
    EXPECT_FALSE(Q.Calc());
    EXPECT_EQ(Errors, std::vector<int>{quorix::qeUnknownName});
    // A listed variable goes back to its handler.
    Q.Variables()->Add("speed");
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), -100);
    EXPECT_EQ(iHandlerCalls, 2);
    Q.Bind("speed", &rSpeed);
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), -5);
    EXPECT_EQ(iHandlerCalls, 2);
}

Extended Squared(Extended x) { return x * x; }

TEST(VarsBinding, ABoundFunctionAnswersTheCallsItTakesWithoutTheHandler) {
    TQuorix Q(nullptr);
    int iHandlerCalls = 0;
    Q.SetOnGetFunction([&](const std::string&, std::span<const quorix::rParam>, int, Extended& Result) {
        ++iHandlerCalls;
        Result = 100;
    });
    Q.BindFunction("Sq", Squared);
    Q.SetText("-sq(3)+SQ(1;2)");  // two arguments: the handler's
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 91);
    EXPECT_EQ(iHandlerCalls, 1);
    EXPECT_EQ(Q.Functions()->Count(), 0);  // listed for the parse only
    Q.SetText("sq(1e3000)");
    EXPECT_THROW(Q.Calc(), rtl::EOverflow);  // a value that is not finite raises
    Q.UnbindFunction("SQ");
    EXPECT_FALSE(Q.Calc());  // an unknown name again
}

TEST(VarsBinding, ABoundValueThatIsNotFiniteRaisesAsTheHandlersWould) {
    TQuorix Q(nullptr);
    Extended rValue = 1e4000L * 1e4000L;
    Q.Bind("x", &rValue);
    Q.SetText("x*0");
    EXPECT_THROW(Q.Calc(), rtl::EOverflow);
}

TEST(VarsBinding, ChangesInsideAHandlerTakeEffectAtTheNextCalc) {
    TQuorix Q(nullptr);
    Extended rOne = 1, rTwo = 2;
    Q.Bind("x", &rOne);
    Q.Variables()->Add("y");
    Q.SetOnGetVariable([&](const std::string&, Extended& Result) {
        Q.Bind("x", &rTwo);
        Q.Unbind("nothing");
        Result = 10;
    });
    Q.SetText("x+y+x");
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 12);
    Q.SetOnGetVariable([&](const std::string&, Extended& Result) {
        Q.Unbind("x");
        Result = 10;
    });
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 14);
    EXPECT_FALSE(Q.Calc());  // x is no longer known
}

TEST(VarsBinding, BindingsAreNotStored) {
    TQuorix Q(nullptr);
    Extended rValue = 1;
    Q.Bind("zeta", &rValue);
    Q.SetText("1");
    ASSERT_TRUE(Q.Calc());
    const std::string sStored = rtl::WriteComponentText(Q);
    EXPECT_NE(sStored.find("Variables = []"), std::string::npos) << sStored;
    EXPECT_EQ(rtl::UpperCase(sStored).find("ZETA"), std::string::npos) << sStored;
}

TEST(VarsRows, EachRowReadsItsOwnValueAndAFailedRowHasItsOwnStatus) {
    TQuorix Q(nullptr);
    std::vector<int> Errors;
    Q.SetOnError([&](int, int iErrCode) { Errors.push_back(iErrCode); });
    std::vector<Extended> X(300), Y(300);
    for (std::size_t i = 0; i < X.size(); ++i) {
        X[i] = static_cast<Extended>(i);
        Y[i] = 1 + static_cast<Extended>(i % 7);
    }
    Y[5] = 0;                    // a division by zero: reported, the row goes on with 0
    X[200] = 1e4000L * 1e4000L;  // raises
    Q.Bind("x", X.data());
    Q.Bind("y", Y.data());
    Q.SetText("x/y+1");
    std::vector<Extended> Results(X.size());
    std::vector<TRowStatus> Statuses(X.size());
    EXPECT_EQ(Q.CalcRows(X.size(), Results, Statuses), 2u);
    for (std::size_t i = 0; i < X.size(); ++i) {
        if (i == 5 || i == 200) continue;
        EXPECT_EQ(Results[i], X[i] / Y[i] + 1) << i;
        EXPECT_FALSE(Statuses[i].Failed()) << i;
    }
    EXPECT_TRUE(Statuses[5].bOk);
    EXPECT_EQ(Statuses[5].iErrCode, quorix::qeDivisionByZero);
    EXPECT_EQ(Results[5], 1);
    EXPECT_EQ(Statuses[200].Fault, TRowFault::Overflow);
    EXPECT_FALSE(Statuses[200].bOk);
    EXPECT_EQ(Errors, std::vector<int>{quorix::qeDivisionByZero});
    EXPECT_EQ(Q.Value(), Results.back());
    // Plain Calc reads the first row again.
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 1);
    EXPECT_THROW(Q.CalcRows(4, std::span(Results).first(3)), rtl::Exception);
}

}  // namespace
}  // namespace quorix_vars_test
