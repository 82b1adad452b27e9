// Expression text for the engine with built-in functions (TExtParser): random
// delimiter and separator, with and without Optimize, with an OnGetFunction handler
// that answers with ordinary and extreme values, error codes and exceptions.
//
// Properties, for the first text and then for a second one assigned over it:
// - every OnError position lies inside the text, and no code is 0;
// - Parse returns False exactly when it reported an error, and then shows no parse;
// - Calc returns True only with a finite Value and without a report, False with
//   Value 0 and a report; a Calc that raises keeps Value;
// - a handler sees the upper-cased name, as many arguments as ParCount, finite values;
// - the used-function list holds each name once, upper-cased;
// - when neither the delimiter nor the separator can occur in a number or a listed
//   name (not a letter, digit, blank or "."): the printed text parses to a tree that
//   prints the same, and evaluates to the same outcome. (Otherwise printing may move
//   a separator hidden in a number out of its parentheses and split an argument.)
// - without Random and RandG, a second Calc gives the same outcome as the first, and
//   the tree walker (CalcOnBST) gives what Calc's compiled program gives: the same
//   outcome, the same handler calls with the same arguments, the same reports.
#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "builtins/ExtParser.hpp"
#include "framework/base/Exceptions.hpp"
#include "fuzz/ExpressionChecks.hpp"

namespace {

using namespace quorix;
using namespace quorix::fuzz;

struct TSetup {
    bool bOptimize = true;
    bool bHandler = true;
    char cDelimiter = '\'';
    char cSeparator = ';';
    uint64_t iSeed = 0;
};

// A parser with the setup's settings, reporting into Log.
class TProbe {
public:
    TProbe(const TSetup& Setup) : FSetup(Setup), FAnswers(Setup.iSeed) {
        for (const char* sName : {"f", "g", "Max", "X", "a_1", "\xC3\xA4q"}) Q.Functions()->Add(sName);
        Q.SetOptimize(Setup.bOptimize);
        SetCharacter(&TQuorix::SetStringDelimiter, &TQuorix::StringDelimiter, Setup.cDelimiter);
        SetCharacter(&TQuorix::SetParSeparator, &TQuorix::ParSeparator, Setup.cSeparator);
        Q.SetOnError(Log.Handler());
        if (Setup.bHandler)
            Q.SetOnGetFunction(
                [this](const std::string& sName, std::span<const rParam> arrPar, int ParCount, int& iErrCode,
                       rtl::Extended& Result) { Answer(sName, arrPar, ParCount, iErrCode, Result); });
    }

    // Parses and evaluates sText, checking every property on the way.
    void Run(const std::string& sText) {
        const TOutcome Parsed = AssignAndParse(Q, Log, sText);
        if (!Parsed.bRaised && Parsed.bResult) {
            Require(Log.Empty(), "a successful Parse reports nothing", sText);
            CheckParsed(sText);
        }
        const TOutcome First = Evaluate(sText);
        if (!UsesChance()) {
            Require(Evaluate(sText) == First, "Calc repeats its outcome", sText);
            RequireWalkerAgrees(Q, Log, FCalls, First, sText, [this, &sText] { return Evaluate(sText); });
        }
        if (!Parsed.bRaised && Parsed.bResult && PrintsBack() && !sText.empty()) CheckReprint(First);
    }

    TTwoWayParser<TExtParser> Q{nullptr};
    TReportLog Log;

private:
    bool PrintsBack() const {
        const auto Safe = [](char c) {
            return !std::isalnum(static_cast<unsigned char>(c)) && c != ' ' && c != '.' && c != '_';
        };
        return Safe(Q.StringDelimiter()) && Safe(Q.ParSeparator());
    }

    bool UsesChance() { return Q.IsFunctionUsed("random") || Q.IsFunctionUsed("randg"); }

    void SetCharacter(void (TQuorix::*Setter)(char), char (TQuorix::*Getter)() const, char c) {
        const char cOld = (Q.*Getter)();
        try {
            (Q.*Setter)(c);
            Require(!core::IsOneChar(c), "operator characters are refused as delimiters");
        } catch (const rtl::Exception&) {
            Require(core::IsOneChar(c), "only operator characters are refused");
            Require((Q.*Getter)() == cOld, "a refused character keeps the old one");
        }
    }

    void Answer(const std::string& sName, std::span<const rParam> arrPar, int ParCount, int& iErrCode,
                rtl::Extended& Result) {
        Require(iErrCode == 0 && Result == 0, "a handler starts from 0");
        Require(static_cast<std::size_t>(ParCount) == arrPar.size(), "ParCount counts the arguments");
        Require(rtl::AnsiUpperCase(sName) == sName, "a handler sees the name upper-cased", sName);
        LogCall(FCalls, sName, arrPar);
        for (const rParam& Par : arrPar) {
            if (Par.bIsString) Require(!Par.pTie && Par.rValue == 0, "a string argument has no tree");
            else Require(std::isfinite(Par.rValue), "arguments are finite", sName);
        }
        const uint64_t iKey = FAnswers.Key(sName, arrPar);
        if (TAnswers::Throws(iKey)) throw THandlerFailure{};
        iErrCode = TAnswers::ErrorCode(iKey);
        Result = TAnswers::Value(iKey);
    }

    void CheckParsed(const std::string& sText) {
        const std::string sPrinted = Q.GetParsedText();
        Require(sPrinted.empty() == sText.empty(), "a parsed text prints", sText);
        rtl::TStrings* Used = Q.GetUsedFun();
        RequireUsedList(*Used, sText, [this](const std::string& s) { return Q.IsFunctionUsed(s); });
    }

    TOutcome Evaluate(const std::string& sText) {
        Log.Clear();
        FCalls.clear();
        const TOutcome Outcome = RunCaught(Q, [this] { return Q.Calc(); });
        Log.RequireInside(sText);
        RequireCalcOutcome(Outcome, sText);
        if (!Outcome.bRaised)
            Require(Outcome.bResult == Log.Empty(), "Calc is False exactly when it reported", sText);
        return Outcome;
    }

    void CheckReprint(const TOutcome& First) {
        const std::string sPrinted = Q.GetParsedText();
        TProbe Again(FSetup);
        Again.Q.SetText(sPrinted);
        Require(Again.Q.Parse() && Again.Log.Empty(), "the printed text parses",
                Q.Text() + " -> " + sPrinted);
        Require(Again.Q.GetParsedText() == sPrinted, "the printed text prints the same",
                Q.Text() + " -> " + sPrinted + " -> " + Again.Q.GetParsedText());
        if (!UsesChance())
            Require(Again.Evaluate(sPrinted) == First, "the printed text evaluates the same", sPrinted);
    }

    TSetup FSetup;
    TAnswers FAnswers;
    std::string FCalls;  // the handler calls of the last Calc
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t iSize) {
    FuzzedDataProvider Input(pData, iSize);
    TSetup Setup;
    const uint8_t iFlags = Input.ConsumeIntegral<uint8_t>();
    Setup.bOptimize = iFlags & 1;
    Setup.bHandler = !(iFlags & 2);
    const char cDelimiter = Input.ConsumeIntegral<char>();
    const char cSeparator = Input.ConsumeIntegral<char>();
    if (iFlags & 4) Setup.cDelimiter = cDelimiter;
    if (iFlags & 8) Setup.cSeparator = cSeparator;
    Setup.iSeed = Input.ConsumeIntegral<uint64_t>();
    const std::string sFirst = Input.ConsumeRandomLengthString(4096);
    const std::string sSecond = Input.ConsumeRemainingBytesAsString();

    TProbe Probe(Setup);
    Probe.Run(sFirst);
    Probe.Run(sSecond);
    return 0;
}
