// Texts and handler answers that fuzzing found mishandled, kept as regressions.
#include "QuorixFixture.hpp"

namespace quorix::testing {
namespace {

using HostileText = QuorixTest;

struct TErrorCase {
    const char* sText;
    TReport Report;
};

TEST_F(HostileText, AStrayClosingParenthesisAtTheStartIsNeverAnOperand) {
    const TErrorCase Cases[] = {
        {")^7", {0, 3}}, {")^7^801e40", {0, 3}}, {")+2*(3)", {0, 3}}, {")^(1)", {0, 3}}
    };
    for (const TErrorCase& Case : Cases) {
        SCOPED_TRACE(Case.sText);
        EXPECT_FALSE(ParseText(Case.sText));
        EXPECT_EQ(Reports, (TReports{Case.Report}));
        EXPECT_EQ(Q.GetParsedText(), "");
    }
}

}  // namespace
}  // namespace quorix::testing
