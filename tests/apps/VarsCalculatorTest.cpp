// The calculator's variables mode: what it prints and whether it succeeds.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "RunProgram.hpp"
#include "apps/CommandLine.hpp"
#include "apps/VarsCalculator.hpp"
#include "framework/base/Exceptions.hpp"

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
        {{"x=0"},
         "1/x+1/x",
         false,
         "",
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

TEST(VarsCalculator, HasTheBuiltInsAndTheEverydayFunctions) {
    TVarsOptions Options;
    Options.Assignments = {"x=3", "y=4"};
    TVarsCalculator Calculator(Options);
    std::ostringstream Out, Err;
    EXPECT_TRUE(Calculator.Run("Hypot(x;y)", Out, Err));
    EXPECT_TRUE(Calculator.Run("sqrt(x*x+y*y)-Round(2.5)", Out, Err));
    EXPECT_TRUE(Calculator.Run("2*Pi", Out, Err));
    // This flavour's function event has no code: a refused call ends the evaluation.
    EXPECT_FALSE(Calculator.Run("1+Sqrt(x;y)", Out, Err));
    EXPECT_EQ(Out.str(), "5\n2\n6.28318530717959\n");
    EXPECT_EQ(Err.str(), "quorix: error 103: SQRT: too many arguments\n1+Sqrt(x;y)\n");

    Options.bEveryday = false;
    std::ostringstream StrictOut, StrictErr;
    EXPECT_TRUE(TVarsCalculator(Options).Run("Hypot(x;y)", StrictOut, StrictErr));
    EXPECT_FALSE(TVarsCalculator(Options).Run("Sqrt(x)", StrictOut, StrictErr));
    EXPECT_EQ(StrictErr.str().rfind("quorix: error 7 at 0: unknown name", 0), 0u) << StrictErr.str();
}

TEST(VarsCalculator, ALineNameEqualsExpressionSetsTheVariableForTheLinesAfterIt) {
    TVarsOptions Options;
    Options.Assignments = {"x=3"};
    Options.bAssignments = true;
    TVarsCalculator Calculator(Options);
    std::ostringstream Out, Err;
    EXPECT_FALSE(Calculator.Run("rate", Out, Err));
    EXPECT_TRUE(Calculator.Run(" rate = x/100 ", Out, Err));
    EXPECT_TRUE(Calculator.Run("x = x+1", Out, Err));  // the old value on the right
    EXPECT_TRUE(Calculator.Run("RATE*x", Out, Err));
    EXPECT_FALSE(Calculator.Run("y = Sqrt(-1)", Out, Err));  // a failed line sets nothing
    EXPECT_FALSE(Calculator.Run("y", Out, Err));
    EXPECT_FALSE(Calculator.Run("Sqrt = 2", Out, Err));
    EXPECT_FALSE(Calculator.Run("pi = 3", Out, Err));
    EXPECT_TRUE(Calculator.Run("Pi/Pi", Out, Err));
    EXPECT_EQ(Out.str(), "0.03\n4\n0.12\n1\n");
    EXPECT_NE(Err.str().find("quorix: Sqrt is the name of a function\n"), std::string::npos);
    EXPECT_NE(Err.str().find("quorix: pi is the name of a function\n"), std::string::npos);

    Options.bAssignments = false;  // expressions on the command line are only expressions
    std::ostringstream PlainOut, PlainErr;
    EXPECT_FALSE(TVarsCalculator(Options).Run("x = 1", PlainOut, PlainErr));
}

TEST(VarsCalculator, RefusesAnAssignmentThatIsNotNameEqualsNumberOrNamesAFunction) {
    // A function's name too: the function would answer it, never the variable.
    for (const char* sAssignment : {"x", "=1", "x=", "x=one", "pi=3", "Sqrt=2"}) {
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
        const auto Options =
            quorix::calculator::ReadCommandLine(static_cast<int>(Argv.size()), Argv.data(), Out, Err, iExit);
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
    EXPECT_EQ(RunProgram("--engine vars --var x=3 --var y=4 'Hypot(x;y)'", sOut, true), 0);
    EXPECT_EQ(sOut, "5\n");
    const std::string sLines = ::testing::TempDir() + "quorix-vars-lines.txt";
    std::ofstream(sLines) << "x = x*10\nx+1\n";
    EXPECT_EQ(RunProgram("--engine vars --var x=2 < " + sLines, sOut, true), 0);
    EXPECT_EQ(sOut, "20\n21\n");
}

}  // namespace
