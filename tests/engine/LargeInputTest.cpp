// Texts of many mebibytes (an eighth under the sanitizers): long chains, many
// arguments, long names and numbers. Each is parsed, evaluated, printed and released
// without exhausting the stack, and (in builds without a sanitizer, whose shadow
// memory would blur it) within memory proportional to the text.
#include <sys/resource.h>

#include <algorithm>
#include <string>

#include "QuorixFixture.hpp"
#include "tests/support/LargeText.hpp"

namespace quorix::testing {
namespace {

// The process's peak resident memory so far, in bytes.
std::size_t PeakMemory() {
    rusage Usage{};
    getrusage(RUSAGE_SELF, &Usage);
    return static_cast<std::size_t>(Usage.ru_maxrss) * 1024;
}

class LargeInput : public QuorixTest {
protected:
    // Parses, evaluates and prints sText, expecting rValue; memory may grow by at most
    // iBytesPerChar per character of the text.
    void ExpectHandled(const std::string& sText, rtl::Extended rValue, std::size_t iBytesPerChar) {
        const std::size_t iBefore = PeakMemory();
        Q.SetText(sText);
        ASSERT_TRUE(Q.Calc());
        EXPECT_EQ(Q.Value(), rValue);
        EXPECT_GE(Q.GetParsedText().size(), sText.size());
        EXPECT_TRUE(Reports.empty());
        if (!bSanitized) {
            EXPECT_LE(PeakMemory() - iBefore, iBytesPerChar * sText.size());
        }
        Q.SetText("");
    }
};

// A node per token costs about 230 bytes, so a chain of 16 MiB needs near 4 GB and
// some seconds; the unit test stays at 2 MiB.
TEST_F(LargeInput, ALongChainOfOperators) {
    Q.SetOptimize(false);  // so that the evaluator walks the whole tree
    const std::string sText = Repeated("1", "*", 2 * MiB);
    ExpectHandled(sText, 1, 400);
}

TEST_F(LargeInput, ACallWithAMillionArguments) {
    const std::string sArguments = Repeated("1", ";", 2 * MiB);
    const std::string sText = "max(" + sArguments + ")";
    const auto iCount = static_cast<rtl::Extended>(std::count(sArguments.begin(), sArguments.end(), ';') + 1);
    Q.SetOnGetFunction([](const std::string&, std::span<const rParam> arrPar, int ParCount, int&,
                          rtl::Extended& Result) { Result = ParCount + arrPar.back().rValue; });
    ExpectHandled(sText, iCount + 1, 600);
}

TEST_F(LargeInput, ALongNameAndALongNumber) {
    const std::string sName(16 * MiB, 'n');
    Q.Functions()->Add(sName);
    ExpectHandled(sName, 0, 16);
    const std::string sNumber = std::string(16 * MiB - 1, '0') + "7";
    ExpectHandled(sNumber + "+" + sNumber, 14, 16);
}

}  // namespace
}  // namespace quorix::testing
