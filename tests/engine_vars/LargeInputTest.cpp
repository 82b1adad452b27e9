// Texts of mebibytes (an eighth under the sanitizers) in the variables flavour: a long chain of variables, a
// call with a million arguments, a long variable name. Each is parsed, evaluated, printed and released
// without exhausting the stack. (The 16 MiB versions work the same way but take near 4 GB and some seconds,
// too much for a unit test.)
#include <algorithm>
#include <string>

#include "VarsHarness.hpp"
#include "tests/support/LargeText.hpp"

namespace quorix_vars_test {
namespace {

using quorix::testing::MiB;
using quorix::testing::Repeated;

TEST(LargeInput, ALongChainOfVariablesAsksTheHandlerForEach) {
    VarsHarness H;
    const std::string sText = Repeated("x", "-", 2 * MiB);
    ASSERT_TRUE(H.CalcText(sText));
    const auto iCount = static_cast<std::size_t>(std::count(sText.begin(), sText.end(), 'x'));
    EXPECT_EQ(H.VarRequests.size(), iCount);
    EXPECT_EQ(H.Parser->Value(), 3 - 3 * static_cast<Extended>(iCount - 1));
    EXPECT_GE(H.Parser->GetParsedText().size(), sText.size());
    EXPECT_TRUE(H.Reports.empty());
}

TEST(LargeInput, ACallWithAMillionArguments) {
    VarsHarness H;
    const std::string sArguments = Repeated("x", ";", 2 * MiB);
    ASSERT_TRUE(H.CalcText("F(" + sArguments + ")"));
    const auto iCount = static_cast<std::size_t>(std::count(sArguments.begin(), sArguments.end(), 'x'));
    ASSERT_EQ(H.Calls.size(), 1u);
    EXPECT_EQ(H.Calls[0].arrPar.size(), iCount);
    EXPECT_EQ(H.Parser->Value(), 3 * static_cast<Extended>(iCount));
}

TEST(LargeInput, ALongVariableName) {
    VarsHarness H;
    const std::string sName(16 * MiB, 'v');
    H.AddNames(H.Parser->Variables(), {sName});
    H.Values[std::string(16 * MiB, 'V')] = 5;
    ASSERT_TRUE(H.CalcText("-" + sName));
    EXPECT_EQ(H.Parser->Value(), -5);
}

}  // namespace
}  // namespace quorix_vars_test
