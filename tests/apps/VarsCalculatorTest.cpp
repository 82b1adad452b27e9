// The calculator's variables mode: what it prints and the exit code it returns.
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "apps/VarsCalculator.hpp"

namespace {

TEST(VarsCalculator, PrintsTheValueOrTheErrorsWithTheExitCode) {
    struct Case {
        std::vector<std::string> Assignments;
        const char* sExpression;
        bool bUsed;
        int iExit;
        const char* sOut;
        const char* sErr;
    };
    const Case Cases[] = {
        {{"x=3"}, "2*-x", false, 0, "-6\n", ""},
        {{"x=1", "X=2.5", "y=-1"}, "x*y", false, 0, "-2.5\n", ""},  // the last value wins
        {{}, "y+1", false, 1, "", "error 7 at 0\n"},
        {{"x=0"}, "1/x+1/x", false, 1, "", "error 9 at 1\nerror 9 at 5\n"},
        {{}, "", false, 1, "", "quorix: nothing to evaluate\n"},
        {{"x=2", "y=1"}, "x*y+x", true, 0, "4\nfunctions:\nvariables: X Y\n", ""},
        {{"x"}, "x", false, 2, "", "quorix: --var wants NAME=NUMBER, got 'x'\n"},
        {{"=1"}, "1", false, 2, "", "quorix: --var wants NAME=NUMBER, got '=1'\n"},
        {{"x=1e4000"}, "x*x", false, 1, "", "quorix: Floating point overflow\n"},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.sExpression);
        std::ostringstream Out, Err;
        const quorix_apps::TVarsRequest Request{C.sExpression, C.Assignments, C.bUsed};
        EXPECT_EQ(quorix_apps::RunVarsCalculator(Request, Out, Err), C.iExit);
        EXPECT_EQ(Out.str(), C.sOut);
        EXPECT_EQ(Err.str(), C.sErr);
    }
}

}  // namespace
