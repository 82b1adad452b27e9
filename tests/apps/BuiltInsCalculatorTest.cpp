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
        {"Sqrt(2)", true, "1.4142135623731\n", ""},
        {"Max(1;Round(2.5);2)", true, "3\n", ""},
        {"Mod(1;0)", false, "", "quorix: error 101 at 0: argument out of the function's domain"},
    };
    for (const auto& c : kCases) {
        TCalculator Calculator{TOptions{}};
        std::ostringstream Out, Err;
        EXPECT_EQ(Calculator.Run(c.sExpression, Out, Err), c.bOk) << c.sExpression;
        EXPECT_EQ(Out.str(), c.sOut) << c.sExpression;
        EXPECT_EQ(Err.str().rfind(c.sErrStart, 0), 0u) << Err.str();
    }
}

TEST(CalculatorBuiltIns, StrictLeavesTheBuiltInsAlone) {
    TOptions Options;
    Options.bStrict = true;
    TCalculator Calculator{Options};
    std::ostringstream Out, Err;
    EXPECT_TRUE(Calculator.Run("Hypot(3;4)", Out, Err));
    EXPECT_FALSE(Calculator.Run("Sqrt(2)", Out, Err));
    EXPECT_EQ(Out.str(), "5\n");
    EXPECT_EQ(Err.str().rfind("quorix: error 5 at 0: unknown name", 0), 0u) << Err.str();
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
    const std::size_t iEveryday = Out.str().find("Everyday functions");
    ASSERT_NE(iEveryday, std::string::npos);
    EXPECT_NE(Out.str().find("  Min(x1; x2; ...)\n", iEveryday), std::string::npos);
    EXPECT_NE(Out.str().find("  Mod(x; y)\n", iEveryday), std::string::npos);
}

}  // namespace
}  // namespace quorix::calculator
