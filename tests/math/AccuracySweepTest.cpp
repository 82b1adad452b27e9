// Every math routine against MPFR on seeded random arguments over its whole domain:
// every result within 1 ulp of the exact value, at least 99.9% correctly rounded, and
// where the exact result is not finite, the documented failure raised instead. The
// default tries about 10^4 arguments over all routines; for more, per routine, and
// for some routines only (names separated by commas):
//   QUORIX_MATH_SWEEP=1000000 build/tests/test_math_accuracy --gtest_filter='MathAccuracy*'
//   QUORIX_MATH_SWEEP=1000000 QUORIX_MATH_SWEEP_ROUTINES=Log2,Log10 build/tests/test_math_accuracy ...
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/math/MathRoutines.hpp"

using namespace quorix::mathcheck;

namespace {

constexpr int kDefaultTotal = 10000;
constexpr double kLeastCorrectlyRoundedShare = 0.999;

struct TSweep {
    int iArguments = 0;
    int iRight = 0;  // correctly rounded, or the right failure raised
    int iWrongOutcomes = 0;
    double rMaxUlps = 0;
    std::string sWorst;         // the arguments of the greatest error
    std::string sWrongOutcome;  // the first wrong outcome
};

int ArgumentsPerRoutine() {
    if (const char* sCount = std::getenv("QUORIX_MATH_SWEEP")) return std::max(1, std::atoi(sCount));
    return kDefaultTotal / int(Routines().size());
}

// Whether QUORIX_MATH_SWEEP_ROUTINES, when set, names the routine.
bool IsSwept(const char* sName) {
    const char* sList = std::getenv("QUORIX_MATH_SWEEP_ROUTINES");
    if (sList == nullptr) return true;
    return ("," + std::string(sList) + ",").find("," + std::string(sName) + ",") != std::string::npos;
}

std::string Mismatch(const TRoutine& Routine, TArguments Arguments, const TResult& Got,
                     const TResult& Wanted) {
    return Describe(Routine, Arguments) + " gave " + Describe(Got) + ", not " + Describe(Wanted);
}

TSweep Sweep(const TRoutine& Routine, int iCount) {
    TDraws Draws(Routine.sName, "sweep");
    TSweep Sweep;
    for (Sweep.iArguments = 0; Sweep.iArguments < iCount; ++Sweep.iArguments) {
        const TArguments Arguments = Routine.Draw(Draws);
        const TResult Wanted = Expected(Routine.Reference, Arguments.A, Arguments.B);
        const TResult Got = Call(Routine, Arguments);
        if (Got.Outcome != Wanted.Outcome) {
            if (Sweep.iWrongOutcomes++ == 0) Sweep.sWrongOutcome = Mismatch(Routine, Arguments, Got, Wanted);
            continue;
        }
        if (Got == Wanted) ++Sweep.iRight;
        if (Got.Outcome != TOutcome::Value) continue;
        const double rUlps = UlpError(Routine.Reference, Arguments.A, Arguments.B, Got.rValue);
        if (rUlps > Sweep.rMaxUlps) {
            Sweep.rMaxUlps = rUlps;
            Sweep.sWorst = Mismatch(Routine, Arguments, Got, Wanted);
        }
    }
    return Sweep;
}

void PrintRow(const char* sName, const TSweep& Sweep) {
    std::printf("%-10s %10d %10.4f %11.4f%% %7d\n", sName, Sweep.iArguments, Sweep.rMaxUlps,
                100.0 * Sweep.iRight / Sweep.iArguments, Sweep.iWrongOutcomes);
}

}  // namespace

// Columns: the greatest error in ulps; the share of arguments with the correctly
// rounded result or the right failure; how many raised where they should not, or not
// where they should (or the wrong failure).
TEST(MathAccuracy, EveryRoutineIsFaithfulAndAlmostAlwaysCorrectlyRounded) {
    const int iCount = ArgumentsPerRoutine();
    std::printf("%-10s %10s %10s %12s %7s\n", "routine", "arguments", "max ulp", "rounded", "wrong");
    for (const TRoutine& Routine : Routines()) {
        if (!IsSwept(Routine.sName)) continue;
        const TSweep Sweep = ::Sweep(Routine, iCount);
        PrintRow(Routine.sName, Sweep);
        EXPECT_EQ(Sweep.iWrongOutcomes, 0) << Routine.sName << ": first " << Sweep.sWrongOutcome;
        EXPECT_LT(Sweep.rMaxUlps, 1) << Routine.sName << ": worst " << Sweep.sWorst;
        EXPECT_GE(Sweep.iRight, kLeastCorrectlyRoundedShare * Sweep.iArguments)
            << Routine.sName << ": too few correctly rounded; worst " << Sweep.sWorst;
    }
}
