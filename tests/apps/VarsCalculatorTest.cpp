// The calculator's variables mode: what it prints and whether it succeeds.
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "apps/CommandLine.hpp"
#include "apps/VarsCalculator.hpp"
#include "RunProgram.hpp"
#include "framework/Exceptions.hpp"

namespace {

using quorix::calculator::TVarsCalculator;
using quorix::calculator::TVarsOptions;

TEST(VarsCalculator, PrintsTheValueOrEveryErrorTheExpressionReported) {
    struct Case {
        std::vector<std::string> Assignments;
        const char* sExpression;
        bool bOk;
        const char* sOut;
        const char* sErr;
    };
    const Case Cases[] = {
        {{"x=3"}, "2*-x", true, "-6\n", ""},
        {{"x=1", "X=2.5", "y=-1"}, "x*y", true, "-2.5\n", ""},  // the last value wins
        {{}, "y+1", false, "", "quorix: error 7 at 0: unknown name\ny+1\n^\n"},
        // Division by zero is no answer, and evaluation goes on after it.
        {{"x=0"}, "1/x+1/x", false, "",
         "quorix: error 9 at 1: division by zero\n1/x+1/x\n ^\n"
         "quorix: error 9 at 5: division by zero\n1/x+1/x\n     ^\n"},
        {{}, "", false, "", "quorix: nothing to evaluate\n"},
        {{"x=1e4000"}, "x*x", false, "", "quorix: exception EOverflow: Floating point overflow\nx*x\n"},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.sExpression);
        std::ostringstream Out, Err;
        TVarsOptions Options;
        Options.Assignments = C.Assignments;
        TVarsCalculator Calculator(Options);
        EXPECT_EQ(Calculator.Run(C.sExpression, Out, Err), C.bOk);
        EXPECT_EQ(Out.str(), C.sOut);
        EXPECT_EQ(Err.str(), C.sErr);
    }
}

TEST(VarsCalculator, PrintsTheTreeTheUsedNamesOrAFormattedValueInstead) {
    TVarsOptions Options;
    Options.Assignments = {"x=2", "y=1"};
    std::ostringstream Out, Err;
    Options.bUsed = true;
    EXPECT_TRUE(TVarsCalculator(Options).Run("x*y+x", Out, Err));
    Options.bUsed = false;
    Options.bTree = true;
    EXPECT_TRUE(TVarsCalculator(Options).Run("-x*2", Out, Err));
    Options.bTree = false;
    Options.sFormat = "0.00";
    EXPECT_TRUE(TVarsCalculator(Options).Run("x/3", Out, Err));
    EXPECT_EQ(Out.str(), "functions: \nvariables: X,Y\n(-x)*2\n0.67\n");
    EXPECT_EQ(Err.str(), "");
}

TEST(VarsCalculator, RefusesAnAssignmentThatIsNotNameEqualsNumber) {
    for (const char* sAssignment : {"x", "=1", "x=", "x=one"}) {
        SCOPED_TRACE(sAssignment);
        TVarsOptions Options;
        Options.Assignments = {sAssignment};
        EXPECT_THROW(TVarsCalculator{Options}, rtl::EConvertError);
    }
}

TEST(VarsCommandLine, SelectsTheFlavourWithVariablesAndKeepsItsOptionsApart) {
    struct Case {
        std::vector<const char*> Arguments;
        int iExit;
    };
    const Case Cases[] = {
        {{"--engine", "vars", "--var", "x=3", "--var", "y=1", "2*-x"}, 0},
        {{"--var", "x=1", "x"}, 2},  // variables need the flavour that has them
        {{"--engine", "vars", "--json", "1"}, 2},
        {{"--engine", "vars", "--delimiter", "\"", "1"}, 2},
        {{"--engine", "fast", "1"}, 2},
    };
    for (const Case& C : Cases) {
        std::vector<const char*> Argv{"quorix"};
        Argv.insert(Argv.end(), C.Arguments.begin(), C.Arguments.end());
        std::ostringstream Out, Err;
        int iExit = -1;
        const auto Options = quorix::calculator::ReadCommandLine(static_cast<int>(Argv.size()), Argv.data(), Out, Err, iExit);
        EXPECT_EQ(iExit, C.iExit);
        if (C.iExit != 0) continue;
        ASSERT_TRUE(Options);
        EXPECT_TRUE(Options->bVariables);
        EXPECT_EQ(Options->Variables, (std::vector<std::string>{"x=3", "y=1"}));
        EXPECT_EQ(Options->Expressions, std::vector<std::string>{"2*-x"});
    }
}

TEST(VarsProgram, EvaluatesWithVariablesAndFailsOnAnUnknownName) {
    using quorix::calculator::test_support::RunProgram;
    std::string sOut;
    EXPECT_EQ(RunProgram("--engine vars --var x=3 '2*-x'", sOut, true), 0);
    EXPECT_EQ(sOut, "-6\n");
    EXPECT_EQ(RunProgram("--engine vars 'y+1'", sOut, true), 1);
    EXPECT_EQ(sOut.substr(0, 20), "quorix: error 7 at 0");
    EXPECT_EQ(RunProgram("--engine vars --var x=oops x", sOut, true), 2);
}

}  // namespace
