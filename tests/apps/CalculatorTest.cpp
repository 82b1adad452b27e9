// The calculator's output, driven in-process and through the program itself.
#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <sstream>

#include "RunProgram.hpp"
#include "apps/Calculator.hpp"
#include "apps/CommandLine.hpp"
#include "framework/base/Conversions.hpp"

namespace quorix::calculator {
namespace {

struct TRun {
    bool bOk;
    std::string sOut;
    std::string sErr;
};

std::string CaretLine(const std::string& sText, int iPos) {
    std::ostringstream Line;
    WriteCaretLine(Line, sText, iPos);
    return Line.str();
}

TRun Evaluate(const TOptions& Options, const std::string& sExpression) {
    TCalculator Calculator(Options);
    std::ostringstream Out, Err;
    const bool bOk = Calculator.Run(sExpression, Out, Err);
    return {bOk, Out.str(), Err.str()};
}

TEST(Calculator, PrintsValueTreeOrUsedFunctions) {
    TOptions Options;
    EXPECT_EQ(Evaluate(Options, "2*3").sOut, "6\n");
    EXPECT_EQ(Evaluate(Options, "1/3").sOut, "0.333333333333333\n");
    Options.sFormat = "0.00";
    EXPECT_EQ(Evaluate(Options, "2/3").sOut, "0.67\n");
    Options.Output = TOutput::Tree;
    EXPECT_EQ(Evaluate(Options, "2^3^2").sOut, "(2^3)^2\n");
    Options.Output = TOutput::Used;
    EXPECT_EQ(Evaluate(Options, "1+2").sOut, "\n");
}

TEST(Calculator, ReportsErrorsWithCodePositionMessageAndACaret) {
    const TRun Result = Evaluate({}, "1/0");
    EXPECT_FALSE(Result.bOk);
    EXPECT_EQ(Result.sOut, "");
    EXPECT_EQ(Result.sErr, "quorix: error 7 at 1: division by zero\n1/0\n ^\n");
    EXPECT_EQ(Evaluate({}, "1 + 2 +").sErr,
              "quorix: error 1 at 6: operator or operand missing\n1 + 2 +\n      ^\n");
    // The caret counts characters, not bytes, and keeps tabs.
    EXPECT_EQ(CaretLine("\t\xC3\xA9*\xE2\x82\xAC", 4), "\t  ^");
    EXPECT_EQ(CaretLine("\t\xC3\xA9*\xE2\x82\xAC", 7), "\t   ^");
    EXPECT_EQ(CaretLine("ab", 0), "^");
}

TEST(Calculator, EchoesControlCharactersAndStrayBytesEscapedWithTheCaretBelowTheRightCharacter) {
    // ESC, NUL, DEL, a C1 control (U+009B) and a lone continuation byte; UTF-8 and tabs stay.
    const std::string sExpression = std::string("\x1b[31m\0\x7f\xC2\x9B\x80\t\xC3\xA9+", 14);
    const TRun Result = Evaluate({}, sExpression);
    EXPECT_EQ(Result.sErr.substr(Result.sErr.find('\n') + 1),
              "\\x1b[31m\\x00\\x7f\\u009b\\x80\t\xC3\xA9+\n^\n");
    EXPECT_EQ(CaretLine(sExpression, 13), "                          \t ^");
    TOptions Json;
    Json.Output = TOutput::Json;
    const std::string sLine = Evaluate(Json, sExpression).sOut;
    EXPECT_EQ(sLine.find_first_of(std::string("\x1b\0\x7f\x80", 4)), std::string::npos) << sLine;
    EXPECT_EQ(nlohmann::json::parse(sLine)["expr"],
              std::string("\x1b[31m\0\x7f\xC2\x9B\xEF\xBF\xBD\t\xC3\xA9+", 16));
}

TEST(Calculator, ReportsAnExceptionWithItsClass) {
    const TRun Result = Evaluate({}, "10^5000");
    EXPECT_FALSE(Result.bOk);
    EXPECT_EQ(Result.sErr.substr(0, 28), "quorix: exception EOverflow:");
}

TEST(Calculator, WritesJsonThatGivesTheExtendedBackExactly) {
    TOptions Options;
    Options.Output = TOutput::Json;
    const TRun Third = Evaluate(Options, "1/3");
    const nlohmann::json Line = nlohmann::json::parse(Third.sOut);
    EXPECT_EQ(Line["expr"], "1/3");
    EXPECT_EQ(Line["ok"], true);
    EXPECT_EQ(Line["text"], "0.333333333333333");
    EXPECT_EQ(Line["tree"], "1/3");
    EXPECT_EQ(Line["exception"], nullptr);
    const std::string sValue = Third.sOut.substr(Third.sOut.find("\"value\": ") + 9);
    EXPECT_EQ(rtl::StrToFloat(sValue.substr(0, sValue.find(','))), static_cast<rtl::Extended>(1) / 3);

    const nlohmann::json Failed = nlohmann::json::parse(Evaluate(Options, "f(1)+(").sOut);
    EXPECT_EQ(Failed["ok"], false);
    EXPECT_EQ(Failed["value"], nullptr);
    EXPECT_EQ(Failed["tree"], nullptr);
    EXPECT_EQ(Failed["errors"], nlohmann::json::parse(R"([{"pos":0,"code":5,"message":"unknown name"}])"));

    const nlohmann::json Thrown = nlohmann::json::parse(Evaluate(Options, "(-8)^0.5").sOut);
    EXPECT_EQ(Thrown["exception"]["class"], "EInvalidOp");
}

TEST(Calculator, AppliesDelimiterSeparatorAndOptimizeOptions) {
    TOptions Options;
    Options.Output = TOutput::Tree;
    Options.bOptimize = false;
    Options.Separator = ',';
    EXPECT_EQ(Evaluate(Options, "(1+2)*3").sOut, "(1+2)*3\n");
    Options.Delimiter = '(';
    EXPECT_THROW(TCalculator{Options}, rtl::Exception);
}

int ReadArgs(std::vector<const char*> Args, std::string* pOut = nullptr, std::string* pErr = nullptr,
             TOptions* pOptions = nullptr) {
    Args.insert(Args.begin(), "quorix");
    std::ostringstream Out, Err;
    int iExit = -1;
    const auto Options = ReadCommandLine(static_cast<int>(Args.size()), Args.data(), Out, Err, iExit);
    if (pOut) *pOut = Out.str();
    if (pErr) *pErr = Err.str();
    if (Options && pOptions) *pOptions = *Options;
    return iExit;
}

TEST(CommandLine, ReadsOptionsAndExpressionsAfterTheDoubleDash) {
    TOptions Options;
    EXPECT_EQ(ReadArgs({"--no-optimize", "--separator", ",", "--delimiter", "\"", "--format", "0.0", "--json",
                        "--", "-2*3", "--tree"},
                       nullptr, nullptr, &Options),
              0);
    EXPECT_FALSE(Options.bOptimize);
    EXPECT_EQ(Options.Separator, ',');
    EXPECT_EQ(Options.Delimiter, '"');
    EXPECT_EQ(Options.sFormat, "0.0");
    EXPECT_EQ(Options.Output, TOutput::Json);
    EXPECT_EQ(Options.Expressions, (std::vector<std::string>{"-2*3", "--tree"}));
}

TEST(CommandLine, AnswersHelpAndVersionAndRefusesBadUsage) {
    std::string sOut, sErr;
    EXPECT_EQ(ReadArgs({"--version"}, &sOut), 0);
    EXPECT_EQ(sOut.substr(0, 7), "quorix ");
    EXPECT_EQ(ReadArgs({"--help"}, &sOut), 0);
    EXPECT_NE(sOut.find("--no-optimize"), std::string::npos);
    EXPECT_EQ(ReadArgs({"--separator", "ab"}, nullptr, &sErr), 2);
    EXPECT_EQ(ReadArgs({"--tree", "--used", "1"}, nullptr, &sErr), 2);
    EXPECT_EQ(ReadArgs({"--bogus"}), 2);
}

using test_support::RunProgram;

TEST(Program, EvaluatesArgumentsAndStandardInputWithItsExitStatus) {
    std::string sOut;
    // A blank line between two expressions, and one that does not parse.
    {
        FILE* File = fopen((std::string(QUORIX_BINARY_DIR) + "/apps/expressions.txt").c_str(), "w");
        ASSERT_NE(File, nullptr);
        fputs("1+1\n\n(1\r\n", File);
        fclose(File);
    }
    EXPECT_EQ(RunProgram("'2*3'", sOut), 0);
    EXPECT_EQ(sOut, "6\n");
    EXPECT_EQ(RunProgram("--tree '2^3^2'", sOut), 0);
    EXPECT_EQ(sOut, "(2^3)^2\n");
    EXPECT_EQ(RunProgram("'1/0' 2>&1", sOut), 1);
    EXPECT_EQ(RunProgram("'1+1' '1/0' '3'", sOut), 1);
    EXPECT_EQ(sOut, "2\n3\n");
    EXPECT_EQ(RunProgram("-- -2*3", sOut), 0);
    EXPECT_EQ(sOut, "-6\n");
    EXPECT_EQ(RunProgram("--json < /dev/null", sOut), 0);
    EXPECT_EQ(RunProgram("--json < " + std::string(QUORIX_BINARY_DIR) + "/apps/expressions.txt", sOut), 1);
    std::istringstream Lines(sOut);
    int iLines = 0;
    for (std::string sLine; std::getline(Lines, sLine); ++iLines)
        EXPECT_NO_THROW(nlohmann::json::parse(sLine));
    EXPECT_EQ(iLines, 2);
}

TEST(Program, RefusesADirectoryAsInputAndADelimiterEqualToTheSeparator) {
    std::string sOut;
    EXPECT_EQ(RunProgram("< /", sOut, true), 1);
    EXPECT_EQ(sOut, "quorix: cannot read standard input: Is a directory\n");
    EXPECT_EQ(RunProgram("--delimiter ';' 1", sOut, true), 2);
    EXPECT_EQ(RunProgram("--separator \"'\" 1", sOut, true), 2);
    EXPECT_EQ(RunProgram("--delimiter , --separator , 1", sOut, true), 2);
    EXPECT_NE(sOut.find("must differ"), std::string::npos) << sOut;
}

#ifndef __SANITIZE_ADDRESS__  // the sanitizer's shadow memory needs more address space than any limit
// Whatever the memory limit, --tree and --json answer with the result or with a
// bad_alloc report (a JSON record for --json) and exit 0 or 1; they never abort.
// Narrowing the limit down to where the run just fits probes, a little below it,
// the limits at which the parse fits but the tree's text does not: that text used
// to be made outside any handler.
TEST(Program, ReportsRunningOutOfMemoryWithTreeOrJsonInsteadOfAborting) {
    const std::string sFile = std::string(QUORIX_BINARY_DIR) + "/apps/chain.txt";
    {
        std::FILE* File = std::fopen(sFile.c_str(), "w");
        ASSERT_NE(File, nullptr);
        for (int i = 0; i < 100000; ++i) std::fputs("1+", File);
        std::fputs("1\n", File);
        std::fclose(File);
    }
    for (const std::string sMode : {"--tree", "--json"}) {
        SCOPED_TRACE(sMode);
        const auto Fits = [&](int iKilobytes) {
            std::string sOut;
            const int iStatus = RunProgram(sMode + " < " + sFile, sOut, sMode == "--tree",
                                           "ulimit -v " + std::to_string(iKilobytes) + ";");
            EXPECT_TRUE(iStatus == 0 || iStatus == 1) << iKilobytes << " KB: status " << iStatus;
            if (iStatus == 1 && sMode == "--json") {
                const nlohmann::json Record = nlohmann::json::parse(sOut, nullptr, false);
                EXPECT_EQ(Record["exception"]["class"], "bad_alloc")
                    << iKilobytes << " KB: " << sOut.substr(0, 200);
            } else if (iStatus == 1) {
                EXPECT_EQ(sOut.substr(0, 44), "quorix: exception bad_alloc: std::bad_alloc\n")
                    << iKilobytes << " KB";
            }
            return iStatus == 0;
        };
        int iFails = 16 << 10, iFits = 256 << 10;
        ASSERT_TRUE(Fits(iFits));
        while (iFits - iFails > 64) {
            const int iMiddle = (iFails + iFits) / 2;
            (Fits(iMiddle) ? iFits : iFails) = iMiddle;
        }
    }
}
#endif

}  // namespace
}  // namespace quorix::calculator
