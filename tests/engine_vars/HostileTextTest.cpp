// Texts that fuzzing found mishandled, kept as regressions.
#include "VarsHarness.hpp"

namespace quorix_vars_test {
namespace {

TEST(HostileText, AStrayClosingParenthesisAtTheStartIsNeverAnOperand) {
    for (const char* sText : {")^7", ")^7^801e40", ")+x*(3)", ")^(1)"}) {
        SCOPED_TRACE(sText);
        VarsHarness H;
        H.Parser->SetText(sText);
        EXPECT_FALSE(H.Parser->Parse());
        EXPECT_EQ(H.Reports, Only(0, 3));
        EXPECT_EQ(H.Parser->GetParsedText(), "");
    }
}

}  // namespace
}  // namespace quorix_vars_test
