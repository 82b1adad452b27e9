// Bound names of flavour A: a name without arguments read as if a handler had
// answered it, also with no handler assigned; a call with arguments still goes to the
// handler; the error rule (after an error every subtree started gives 0) holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/Quorix.hpp"

namespace quorix::testing {
namespace {

using rtl::Extended;

TEST(Binding, ABoundNameIsAnsweredFromMemoryWithoutHandler) {
    TQuorix Q(nullptr);
    Extended rRate = 0.5;
    Q.Bind("rate", &rRate);
    Q.SetText("-Rate*4+rate");
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), -1.5);
    EXPECT_EQ(Q.Functions()->Count(), 0);

    std::vector<std::string> Calls;
    Q.Functions()->Add("rate");
    Q.SetOnGetFunction(
        [&](const std::string& sName, std::span<const rParam>, int ParCount, int&, Extended& Result) {
            Calls.push_back(sName + std::to_string(ParCount));
            Result = 10;
        });
    Q.SetText("rate(1)+rate");
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 10.5);
    EXPECT_EQ(Calls, std::vector<std::string>{"RATE1"});
}

TEST(Binding, AfterAnErrorBoundNamesGiveZeroAsEveryOtherSubtree) {
    TQuorix Q(nullptr);
    Extended rOne = 1;
    Q.Bind("one", &rOne);
    std::vector<int> Errors;
    Q.SetOnError([&](int, int iErrCode) { Errors.push_back(iErrCode); });
    Q.SetText("one/0+one");
    EXPECT_FALSE(Q.Calc());
    EXPECT_EQ(Q.Value(), 0);
    EXPECT_EQ(Errors, std::vector<int>{qeDivisionByZero});

    std::vector<Extended> Column{1, 2, 3};
    Q.Bind("one", Column.data());
    Q.SetText("6/one");
    std::vector<Extended> Results(3);
    EXPECT_EQ(Q.CalcRows(3, Results), 0u);
    EXPECT_EQ(Results, (std::vector<Extended>{6, 3, 2}));
}

}  // namespace
}  // namespace quorix::testing
