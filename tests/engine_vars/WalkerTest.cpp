// The public tree walker of the variables flavour, called outside Calc.
#include <gtest/gtest.h>

#include "tests/engine_vars/VarsHarness.hpp"

namespace quorix_vars_test {

// A handler that assigns a new text while CalcOnBST walks the tree must not free the
// nodes being walked: the tree is retired until the walk ends.
TEST(VarsWalker, KeepsItsTreeWhenAHandlerReplacesTheText) {
    VarsHarness H;
    H.Parser->SetText("x*x+x");
    ASSERT_TRUE(H.Parser->Parse());
    int iReads = 0;
    H.Parser->SetOnGetVariable([&](const std::string&, Extended& Result) {
        if (++iReads == 1) H.Parser->SetText("2");
        Result = 3;
    });
    EXPECT_EQ(H.Parser->CalcOnBST(H.Parser->Root()), 12);
    EXPECT_EQ(iReads, 3);
    EXPECT_EQ(H.Parser->Text(), "2");
    EXPECT_TRUE(H.Parser->Calc());
    EXPECT_EQ(H.Parser->Value(), 2);
}

// Nested argument lists are parsed from one copy of the text: a handler that assigns
// a new text from deep inside leaves the parse failing cleanly.
TEST(VarsWalker, AParseSurvivesAHandlerReplacingTheTextFromADeepArgument) {
    VarsHarness H;
    std::string sText = "y";
    for (int i = 0; i < 50; ++i) sText = "F(1;" + sText + ")";
    H.Parser->SetOnError([&](int, int) { H.Parser->SetText("F(1)"); });
    H.Parser->SetText(sText);
    EXPECT_FALSE(H.Parser->Parse());
    EXPECT_EQ(H.Parser->Text(), "F(1)");
    EXPECT_TRUE(H.Parser->Calc());
    EXPECT_EQ(H.Parser->Value(), 1);
}

}  // namespace quorix_vars_test
