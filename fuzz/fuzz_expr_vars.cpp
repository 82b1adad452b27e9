// Expression text for the variables flavour, with and without Optimize, with
// OnGetFunction and OnGetVariable handlers that answer with ordinary and extreme
// values and now and then raise, and two functions bound to routines (Hyp, and Inv,
// whose value at 0 is not finite).
//
// Properties, for the first text and then for a second one assigned over it:
// - every OnError position lies inside the text, and no code is 0;
// - Parse returns False only after a report, and then shows no parse; a successful
//   Parse reports nothing but divisions by zero that it folded;
// - Calc returns True only with a finite Value and reports nothing but divisions by
//   zero; False (without an exception) with Value 0;
// - handlers see upper-cased names, as many arguments as ParCount (at least one) and
//   finite values;
// - the used-function and used-variable lists hold each name once, upper-cased;
// - the printed text parses to a tree that prints the same and evaluates to the same
//   outcome (the delimiter and separator are fixed and never occur in a number or a
//   listed name, so printing cannot regroup arguments);
// - a second Calc gives the same outcome as the first, and the tree walker
//   (CalcOnBST) gives what Calc's compiled program gives: the same outcome, the same
//   handler calls with the same arguments, the same reports.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "engine_vars/Quorix.hpp"
#include "framework/math/Math.hpp"
#include "fuzz/ExpressionChecks.hpp"

namespace {

using namespace quorix;
using namespace quorix::fuzz;

class TProbe {
public:
    TProbe(bool bOptimize, uint64_t iSeed) : FOptimize(bOptimize), FSeed(iSeed), FAnswers(iSeed) {
        for (const char* sName : {"F", "g", "Max", "A"}) Q.Functions()->Add(sName);
        for (const char* sName : {"x", "Y", "A", "long_name_2"}) Q.Variables()->Add(sName);
        Q.BindFunction("Hyp", rtl::Hypot);
        Q.BindFunction(
            "inv", +[](rtl::Extended x) -> rtl::Extended { return 1 / x; });
        Q.SetOptimize(bOptimize);
        Q.SetOnError(Log.Handler());
        Q.SetOnGetFunction([this](const std::string& sName, std::span<const rParam> arrPar, int ParCount,
                                  rtl::Extended& Result) {
            Require(Result == 0, "a handler starts from 0");
            Require(ParCount >= 1 && static_cast<std::size_t>(ParCount) == arrPar.size(),
                    "a call has ParCount arguments, at least one");
            RequireUpperCased(sName);
            LogCall(FCalls, sName, arrPar);
            for (const rParam& Par : arrPar)
                if (!Par.bIsString) Require(std::isfinite(Par.rValue), "arguments are finite", sName);
            Result = Answer(FAnswers.Key(sName, arrPar));
        });
        Q.SetOnGetVariable([this](const std::string& sName, rtl::Extended& Result) {
            Require(Result == 0, "a handler starts from 0");
            RequireUpperCased(sName);
            LogCall(FCalls, sName, {});
            Result = Answer(FAnswers.Key(sName, {}));
        });
    }

    void Run(const std::string& sText) {
        const TOutcome Parsed = AssignAndParse(Q, Log, sText);
        if (!Parsed.bRaised && Parsed.bResult) {
            RequireOnlyDivisions("a successful Parse reports only divisions by zero", sText);
            Require(Q.GetParsedText().empty() == sText.empty(), "a parsed text prints", sText);
            RequireUsedList(*Q.GetUsedFun(), sText,
                            [this](const std::string& s) { return Q.IsFunctionUsed(s); });
            RequireUsedList(*Q.GetUsedVar(), sText,
                            [this](const std::string& s) { return Q.IsVariableUsed(s); });
        }
        const TOutcome First = Evaluate(sText);
        Require(Evaluate(sText) == First, "Calc repeats its outcome", sText);
        RequireWalkerAgrees(Q, Log, FCalls, First, sText, [this, &sText] { return Evaluate(sText); });
        if (!Parsed.bRaised && Parsed.bResult && !sText.empty()) CheckReprint(First);
    }

    TTwoWayParser<TQuorix> Q{nullptr};
    TReportLog Log;

private:
    static void RequireUpperCased(const std::string& sName) {
        Require(rtl::UpperCase(sName) == sName, "a handler sees the name upper-cased", sName);
    }

    static rtl::Extended Answer(uint64_t iKey) {
        if (TAnswers::Throws(iKey)) throw THandlerFailure{};
        return TAnswers::Value(iKey);
    }

    void RequireOnlyDivisions(const char* sProperty, const std::string& sText) const {
        for (const TReport& Report : Log.Reports)
            Require(Report.iErrCode == qeDivisionByZero, sProperty, sText);
    }

    TOutcome Evaluate(const std::string& sText) {
        Log.Clear();
        FCalls.clear();
        const TOutcome Outcome = RunCaught(Q, [this] { return Q.Calc(); });
        Log.RequireInside(sText);
        RequireCalcOutcome(Outcome, sText);
        if (Outcome.bResult) RequireOnlyDivisions("a successful Calc reports only divisions by zero", sText);
        return Outcome;
    }

    void CheckReprint(const TOutcome& First) {
        const std::string sPrinted = Q.GetParsedText();
        TProbe Again(FOptimize, FSeed);
        Again.Q.SetText(sPrinted);
        Require(Again.Q.Parse(), "the printed text parses", Q.Text() + " -> " + sPrinted);
        Require(Again.Q.GetParsedText() == sPrinted, "the printed text prints the same",
                Q.Text() + " -> " + sPrinted + " -> " + Again.Q.GetParsedText());
        Require(Again.Evaluate(sPrinted) == First, "the printed text evaluates the same", sPrinted);
    }

    bool FOptimize;
    uint64_t FSeed;
    TAnswers FAnswers;
    std::string FCalls;  // the handler calls of the last Calc
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t iSize) {
    FuzzedDataProvider Input(pData, iSize);
    const bool bOptimize = Input.ConsumeBool();
    const uint64_t iSeed = Input.ConsumeIntegral<uint64_t>();
    const std::string sFirst = Input.ConsumeRandomLengthString(4096);
    const std::string sSecond = Input.ConsumeRemainingBytesAsString();

    TProbe Probe(bOptimize, iSeed);
    Probe.Run(sFirst);
    Probe.Run(sSecond);
    return 0;
}
