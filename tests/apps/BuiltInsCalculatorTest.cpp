// The calculator evaluates with the built-in functions and lists them in its help.
#include <gtest/gtest.h>

#include <sstream>

#include "apps/Calculator.hpp"
#include "apps/CommandLine.hpp"
#include "builtins/ExtParser.hpp"

namespace quorix::calculator {
namespace {

TEST(CalculatorBuiltIns, EvaluatesAndReportsTheLibrarysFunctions) {
    struct {
        const char* sExpression;
        bool bOk;
        const char* sOut;
        const char* sErrStart;
    } const kCases[] = {
        {"FutureValue(0.05;10;-100;-1000;'END')", true, "2886.68388033232\n", ""},
        {"ArcCos(2)", false, "", "quorix: error 101 at 0"},
        {"Sin", false, "", "quorix: error 102 at 0"},
        {"ArcTanh(1)", false, "", "quorix: exception EZeroDivide"},
    };
    for (const auto& c : kCases) {
        TCalculator Calculator{TOptions{}};
        std::ostringstream Out, Err;
        EXPECT_EQ(Calculator.Run(c.sExpression, Out, Err), c.bOk) << c.sExpression;
        EXPECT_EQ(Out.str(), c.sOut) << c.sExpression;
        EXPECT_EQ(Err.str().rfind(c.sErrStart, 0), 0u) << Err.str();
    }
}

TEST(CalculatorBuiltIns, HelpListsEveryFunctionWithItsArguments) {
    const char* const Args[] = {"quorix", "--help"};
    std::ostringstream Out, Err;
    int iExitCode = -1;
    EXPECT_FALSE(ReadCommandLine(2, Args, Out, Err, iExitCode));
    EXPECT_EQ(iExitCode, 0);
    for (const TBuiltInSignature& Signature : TExtParser::BuiltInSignatures())
        EXPECT_NE(Out.str().find(Signature.sName), std::string::npos) << Signature.sName;
    EXPECT_NE(Out.str().find("  ArcTan2(y; x)\n"), std::string::npos);
    EXPECT_NE(Out.str().find("  Pi\n"), std::string::npos);
}

}  // namespace
}  // namespace quorix::calculator
