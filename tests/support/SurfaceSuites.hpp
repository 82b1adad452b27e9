// What both flavours' surfaces share: the initial state, the Functions list and the
// used-function queries. A flavour names Optimize's default:
//   static constexpr bool bOptimize;
#pragma once

#include <string>
#include <vector>

#include "framework/base/StringList.hpp"
#include "tests/support/FlavourTest.hpp"
#include "tests/support/Lines.hpp"

namespace quorix_test {

template <class TFlavour>
class SharedSurface : public TFlavourTest<TFlavour> {};
TYPED_TEST_SUITE_P(SharedSurface);

TYPED_TEST_P(SharedSurface, ANewComponentHasTheDeclaredInitialState) {
    typename TypeParam::TParser Q(nullptr);
    EXPECT_EQ(Q.Text(), "");
    EXPECT_FALSE(Q.AutoCalc());
    EXPECT_FALSE(Q.AutoParse());
    EXPECT_EQ(Q.Optimize(), TypeParam::bOptimize);
    EXPECT_EQ(Q.Value(), 0);
    EXPECT_EQ(Q.GetParsedText(), "");
    EXPECT_EQ(Q.GetUsedFun()->Count(), 0);
    EXPECT_EQ(Q.Functions()->Count(), 0);
}

TYPED_TEST_P(SharedSurface, FunctionsAreCopiedAndLeaveAnExistingParseAlone) {
    typename TypeParam::TParser Q(nullptr);
    rtl::TStringList Names{"f"};
    Q.SetFunctions(&Names);
    Names.Add("g");
    EXPECT_EQ(Lines(*Q.Functions()), (std::vector<std::string>{"f"}));
    Q.SetText("f(1)");
    ASSERT_TRUE(Q.Parse());
    Q.SetFunctions(&Names);
    Q.SetFunctions(Q.Functions());
    EXPECT_EQ(Q.GetParsedText(), "f(1)");
    EXPECT_EQ(Q.Functions()->Count(), 2);
}

TYPED_TEST_P(SharedSurface, UsedFunctionsFollowTheTextNotLaterChangesOfFunctions) {
    auto& Q = this->Q;
    Q.SetText("f(1)+g(2)");
    EXPECT_EQ(Q.GetUsedFun()->Count(), 0);  // not parsed yet: nothing is parsed for it
    ASSERT_TRUE(Q.Parse());
    EXPECT_EQ(Lines(*Q.GetUsedFun()), (std::vector<std::string>{"F", "G"}));
    Q.Functions()->Delete(Q.Functions()->IndexOf("g"));
    EXPECT_EQ(Lines(*Q.GetUsedFun()), (std::vector<std::string>{"F", "G"}));
    Q.SetText("g(1)");
    EXPECT_FALSE(Q.Parse());
    EXPECT_EQ(Q.GetUsedFun()->Count(), 0);
    EXPECT_FALSE(Q.IsFunctionUsed("g"));
}

REGISTER_TYPED_TEST_SUITE_P(SharedSurface, ANewComponentHasTheDeclaredInitialState,
                            FunctionsAreCopiedAndLeaveAnExistingParseAlone,
                            UsedFunctionsFollowTheTextNotLaterChangesOfFunctions);

}  // namespace quorix_test
