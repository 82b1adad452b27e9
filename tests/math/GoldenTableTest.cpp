// The math routines' result bits, pinned: the table in tests/math/golden.txt holds
// arguments and results of every routine, and any machine where one bit differs fails.
// Writing a fresh table from the current routines (after a deliberate change):
//   QUORIX_MATH_GOLDEN_WRITE=tests/math/golden.txt build/tests/test_math_accuracy
//   --gtest_filter='MathGolden*'
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/math/ExtendedBits.hpp"
#include "tests/math/MathRoutines.hpp"

using namespace quorix::mathcheck;

namespace {

constexpr int kTotalCases = 10000;
constexpr int kMaxReported = 20;

const char kHeader[] =
    "# The math routines' results, bit for bit: routine, argument(s), result, one case a line.\n"
    "# Values are 80-bit patterns in hex (sign and exponent, then the significand); a\n"
    "# routine that raises shows the failure instead. Written by the program itself:\n"
    "#   QUORIX_MATH_GOLDEN_WRITE=tests/math/golden.txt build/tests/test_math_accuracy "
    "--gtest_filter='MathGolden*'\n";

std::string ResultText(const TResult& Result) {
    return Result.Outcome == TOutcome::Value ? BitsText(Result.rValue) : OutcomeName(Result.Outcome);
}

void WriteTable(const char* sPath) {
    std::ofstream Table(sPath);
    Table << kHeader;
    const int iPerRoutine = kTotalCases / int(Routines().size());
    for (const TRoutine& Routine : Routines()) {
        TDraws Draws(Routine.sName, "golden");
        for (int i = 0; i < iPerRoutine; ++i) {
            const TArguments Arguments = Routine.Draw(Draws);
            Table << Routine.sName << ' ' << BitsText(Arguments.A);
            if (Routine.iArity == 2) Table << ' ' << BitsText(Arguments.B);
            Table << ' ' << ResultText(Call(Routine, Arguments)) << '\n';
        }
    }
    ASSERT_TRUE(Table.flush()) << "cannot write " << sPath;
}

// One line of the table recomputed: what differs, or nothing.
std::optional<std::string> Difference(const std::string& sLine) {
    std::istringstream Fields(sLine);
    std::string sName, sValue;
    std::vector<std::string> Values;
    Fields >> sName;
    while (Fields >> sValue) Values.push_back(sValue);
    const TRoutine* pRoutine = FindRoutine(sName);
    if (!pRoutine || int(Values.size()) != pRoutine->iArity + 1)
        return "not a case of a known routine: " + sLine;
    const auto A = ParseBits(Values[0]);
    const auto B = pRoutine->iArity == 2 ? ParseBits(Values[1]) : std::optional<Extended>(0);
    if (!A || !B) return "an unreadable argument: " + sLine;
    const TResult Got = Call(*pRoutine, {*A, *B});
    if (ResultText(Got) == Values.back()) return std::nullopt;
    const auto Expected = ParseBits(Values.back());
    return Describe(*pRoutine, {*A, *B}) + " gave " + Describe(Got) + ", the table holds " +
           (Expected ? Describe(*Expected) : Values.back());
}

}  // namespace

TEST(MathGolden, EveryResultHasTheBitsOfTheTable) {
    if (const char* sPath = std::getenv("QUORIX_MATH_GOLDEN_WRITE")) {
        WriteTable(sPath);
        GTEST_SKIP() << "wrote " << sPath;
    }
    std::ifstream Table(QUORIX_MATH_GOLDEN_TABLE);
    ASSERT_TRUE(Table) << "cannot read " << QUORIX_MATH_GOLDEN_TABLE;
    int iLine = 0, iCases = 0, iDifferent = 0;
    for (std::string sLine; std::getline(Table, sLine);) {
        ++iLine;
        if (sLine.empty() || sLine[0] == '#') continue;
        ++iCases;
        if (const auto sDifference = Difference(sLine); sDifference && ++iDifferent <= kMaxReported)
            ADD_FAILURE() << "line " << iLine << ": " << *sDifference;
    }
    EXPECT_EQ(iDifferent, 0) << "of " << iCases << " cases";
    EXPECT_GT(iCases, kTotalCases / 2);
}
