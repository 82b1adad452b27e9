// The everyday functions attached to TExtParser: values, refused calls, letter case,
// and the handler an application had before.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>
#include <stdexcept>
#include <string>

#include "builtins/AttachFunctions.hpp"
#include "builtins/ExtParser.hpp"
#include "builtins/FunctionSets.hpp"
#include "framework/math/Math.hpp"
#include "tests/builtins/ExtParserTestSupport.hpp"
#include "tests/framework/MathTestUlps.hpp"

using rtl::Extended;

namespace {

struct TOutcome {
    bool bCalculated = false;
    Extended rValue = 0;
    int iErrCode = 0;  // the last one reported
};

TOutcome EvaluateWithEveryday(const std::string& sText) {
    quorix::TExtParser Parser(nullptr);
    quorix::AttachEverydayFunctions(Parser);
    TOutcome Outcome;
    Parser.SetOnError([&Outcome](int, int iErrCode) { Outcome.iErrCode = iErrCode; });
    Parser.SetText(sText);
    Outcome.bCalculated = Parser.Calc();
    Outcome.rValue = Parser.Value();
    return Outcome;
}

struct TValueCase {
    const char* sName;
    const char* sArguments;
    Extended rExpected;
    Extended rUlps;
};

// Exact where the value is; otherwise mpmath at 30 digits.
const TValueCase kValues[] = {
    {"Sqrt", "(2)", 1.41421356237309504880168872421L, 0},
    {"Exp", "(1)", 2.71828182845904523536028747135L, 1},
    {"Exp", "(-20)", 2.06115362243855782796594038016e-9L, 1},
    {"ExpM1", "(0.0000000001)", 1.00000000005000000000166666667e-10L, 1},
    {"Ln", "(2)", 0.693147180559945309417232121458L, 1},
    {"Abs", "(-3)", 3, 0},
    {"Sign", "(-0.5)", -1, 0},
    {"Sign", "(0)", 0, 0},
    {"Sign", "(7)", 1, 0},
    // Half away from zero, and no 32-bit limit.
    {"Round", "(2.5)", 3, 0},
    {"Round", "(-2.5)", -3, 0},
    {"Round", "(1e15+0.5)", 1e15 + 1, 0},
    {"Round", "(1250*1.045^3)", 1426, 0},
    {"Trunc", "(-2.7)", -2, 0},
    {"Trunc", "(5e12+0.9)", 5e12, 0},
    {"Frac", "(-2.75)", -0.75L, 0},
    {"Mod", "(7;3)", 1, 0},
    {"Mod", "(-7;3)", -1, 0},
    {"Mod", "(7.5;-2)", 1.5L, 0},
    {"Min", "(3;-1;2)", -1, 0},
    {"Max", "(3;-1;2)", 3, 0},
    // Extended, not rounded to doubles as MinValue's list is.
    {"Max", "(1;1+2^-60)", 1 + 0x1p-60L, 0},
    {"ArcTan", "(0.5)", 0.463647609000806116214256231461L, 1},
    {"ArcTan", "(-1)", -rtl::Pi / 4, 1},
    {"Fact", "(0)", 1, 0},
    {"Fact", "(25)", 15511210043330985984000000.0L, 0},
    {"Fact", "(170)", 7.25741561530799896739672821113e306L, 8},
};

std::string WithCase(std::string sName, int (*Convert)(int)) {
    std::transform(sName.begin(), sName.end(), sName.begin(),
                   [Convert](unsigned char c) { return char(Convert(c)); });
    return sName;
}

TEST(Everyday, EachFunctionComputesItsValueInAnyLetterCase) {
    for (const TValueCase& c : kValues)
        for (const std::string& sName :
             {std::string(c.sName), WithCase(c.sName, ::toupper), WithCase(c.sName, ::tolower)}) {
            const std::string sText = sName + c.sArguments;
            SCOPED_TRACE(sText);
            const TOutcome Outcome = EvaluateWithEveryday(sText);
            ASSERT_TRUE(Outcome.bCalculated);
            EXPECT_WITHIN_ULPS(Outcome.rValue, c.rExpected, c.rUlps);
        }
}

TEST(Everyday, EveryFunctionHasAValueCase) {
    std::set<std::string> Covered;
    for (const TValueCase& c : kValues) Covered.insert(c.sName);
    for (const auto& Signature : quorix::functions::Signatures(quorix::functions::TFunctionSet::Everyday))
        EXPECT_TRUE(Covered.count(Signature.sName)) << Signature.sName;
}

TEST(Everyday, RefusedCallsReportTheBuiltInsCodes) {
    const struct {
        const char* sText;
        int iErrCode;
    } Cases[] = {
        {"Sqrt", 102},         {"Sqrt(1;2)", 103}, {"Sqrt('4')", 100},  {"Sqrt(-0.001)", 101},
        {"Mod(1;0)", 101},     {"Mod(1)", 102},    {"Mod('a';0)", 101},  // the domain test comes last
        {"Ln(0)", 101},        {"Ln(0-2)", 101},   {"Exp('1')", 100},   {"Min()", 102},
        {"Max(1;'x';3)", 100}, {"Fact(2.5)", 100}, {"Fact(-1)", 101},   {"Fact('3')", 100},
    };
    for (const auto& c : Cases) {
        SCOPED_TRACE(c.sText);
        const TOutcome Outcome = EvaluateWithEveryday(c.sText);
        EXPECT_FALSE(Outcome.bCalculated);
        EXPECT_EQ(Outcome.iErrCode, c.iErrCode);
        EXPECT_EQ(Outcome.rValue, 0);
    }
}

TEST(Everyday, ResultsTooLargeRaiseInsteadOfReturningAnInfinity) {
    EXPECT_THROW(EvaluateWithEveryday("Fact(1755)"), rtl::EOverflow);
    EXPECT_THROW(EvaluateWithEveryday("Exp(11357)"), rtl::EOverflow);
    EXPECT_EQ(EvaluateWithEveryday("Exp(0-12000)").rValue, 0);        // underflow is quietly 0
    EXPECT_THROW(EvaluateWithEveryday("Fact(3e9)"), rtl::EOverflow);  // beyond 32 bits
    EXPECT_NO_THROW(EvaluateWithEveryday("Fact(1754)"));
}

TEST(Everyday, NoFunctionEverReturnsAnInfinityOrANaN) {
    for (const auto& Signature : quorix::functions::Signatures(quorix::functions::TFunctionSet::Everyday))
        for (const std::string& sArguments : quorix::testing::ExtremeArgumentLists()) {
            const std::string sText = std::string(Signature.sName) + "(" + sArguments + ")";
            try {
                const TOutcome Outcome = EvaluateWithEveryday(sText);
                if (Outcome.bCalculated) {
                    EXPECT_TRUE(std::isfinite(Outcome.rValue)) << sText;
                }
            } catch (const rtl::EMathError&) {}
        }
}

TEST(Everyday, AttachingKeepsTheBuiltInsAndTheApplicationsOwnFunctions) {
    quorix::TExtParser Parser(nullptr);
    Parser.Functions()->Add("Twice");
    Parser.SetOnGetFunction([](const std::string& sName, std::span<const quorix::rParam> arrPar, int,
                               int& iErrCode, Extended& Result) {
        if (sName == "TWICE") Result = 2 * arrPar[0].rValue;
        else iErrCode = 42;
    });
    quorix::AttachEverydayFunctions(Parser);
    EXPECT_EQ(quorix::TExtParser::BuiltInSignatures().size(), 54u);
    Parser.SetText("Twice(Sqrt(16))+Hypot(3;4)+Abs(-1)");
    ASSERT_TRUE(Parser.Calc());
    EXPECT_EQ(Parser.Value(), 14);
}

}  // namespace
