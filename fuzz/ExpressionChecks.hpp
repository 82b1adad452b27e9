// Properties that both engine flavours keep, written once for either TQuorix.
#pragma once

#include <cmath>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "framework/base/Exceptions.hpp"
#include "framework/base/StringList.hpp"
#include "framework/base/TextCase.hpp"
#include "fuzz/FuzzSupport.hpp"

namespace quorix::fuzz {

struct TOutcome {
    bool bRaised = false;
    bool bResult = false;
    rtl::Extended rValue = 0;

    bool operator==(const TOutcome& Other) const {
        return bRaised == Other.bRaised && bResult == Other.bResult &&
               std::memcmp(&rValue, &Other.rValue, 10) == 0;
    }
};

// A parser whose Calc either runs the compiled program (as it always does) or, with
// bWalk, walks the tree as CalcOnBST: the two must not be told apart.
template <class TBase>
class TTwoWayParser : public TBase {
public:
    using TBase::TBase;
    bool bWalk = false;

protected:
    rtl::Extended EvaluateTree() override {
        return bWalk ? this->CalcOnBST(this->Root()) : TBase::EvaluateTree();
    }
};

// What a handler saw: its name and the bits of every argument, one line a call.
inline void LogCall(std::string& sLog, const std::string& sName, std::span<const core::rParam> arrPar) {
    sLog += sName;
    for (const core::rParam& Par : arrPar) {
        sLog += ' ';
        if (Par.bIsString) sLog += "'" + Par.sValue + "'";
        else sLog.append(reinterpret_cast<const char*>(&Par.rValue), 10);
    }
    sLog += '\n';
}

// Runs Step (Parse or Calc), catching what a caller must be ready for: the
// framework's failures and the fuzzers' own handler failures. Anything else escapes
// and is a finding. A step that raises leaves Value as it was.
template <class TParser, class F>
TOutcome RunCaught(TParser& Q, F Step) {
    const rtl::Extended rBefore = Q.Value();
    try {
        const bool bResult = Step();
        return {false, bResult, Q.Value()};
    } catch (const rtl::Exception&) {
    } catch (const THandlerFailure&) {}
    Require(Q.Value() == rBefore, "a step that raises keeps Value");
    return {true, false, Q.Value()};
}

// A component without a parse shows nothing of one.
template <class TParser>
void RequireNoParse(TParser& Q, const char* sWhen) {
    Require(Q.GetParsedText().empty(), sWhen, "GetParsedText is not empty");
    Require(Q.GetUsedFun()->Count() == 0, sWhen, "GetUsedFun is not empty");
    if constexpr (requires { Q.GetUsedVar(); })
        Require(Q.GetUsedVar()->Count() == 0, sWhen, "GetUsedVar is not empty");
}

// Assigns sText and parses it. A new text shows no parse and Value 0; every report
// lies inside the text; a failed Parse has reported why and shows no parse.
template <class TParser>
TOutcome AssignAndParse(TParser& Q, TReportLog& Log, const std::string& sText) {
    const bool bNew = sText != Q.Text();
    Q.SetText(sText);
    if (bNew) {
        Require(Q.Value() == 0, "a new text resets Value", sText);
        RequireNoParse(Q, "a new text discards the parse");
    }
    Log.Clear();
    const TOutcome Parsed = RunCaught(Q, [&Q] { return Q.Parse(); });
    Log.RequireInside(sText);
    if (Parsed.bRaised || !Parsed.bResult) {
        if (!Parsed.bRaised) Require(!Log.Empty(), "a failed Parse reports why", sText);
        RequireNoParse(Q, "a failed Parse leaves no parse");
    }
    return Parsed;
}

// A used-name list holds each name once, upper-cased, and each is found again by
// its query in lower case.
template <class FIsUsed>
void RequireUsedList(const rtl::TStrings& List, const std::string& sText, FIsUsed IsUsed) {
    for (int i = 0; i < List.Count(); ++i) {
        const std::string& sName = List[i];
        Require(rtl::UpperCase(sName) == sName, "used names are upper-cased", sName);
        Require(List.IndexOf(sName) == i, "used names are listed once", sName);
        std::string sLower = sName;
        for (char& c : sLower)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        Require(IsUsed(sLower), "a listed name is found by the query", sName + " in " + sText);
    }
}

// After Calc: True only with a finite Value; False (without an exception) with
// Value 0.
inline void RequireCalcOutcome(const TOutcome& Outcome, const std::string& sText) {
    if (Outcome.bRaised) return;
    if (Outcome.bResult)
        Require(std::isfinite(Outcome.rValue), "Calc never succeeds with a non-finite value", sText);
    else Require(Outcome.rValue == 0, "a failed Calc leaves Value 0", sText);
}

// Evaluates Q's parse again, walking the tree, and requires what the compiled program
// gave: the outcome, the reports in Log and the handler calls logged in sCalls.
template <class TParser, class FEvaluate>
void RequireWalkerAgrees(TTwoWayParser<TParser>& Q, const TReportLog& Log, const std::string& sCalls,
                         const TOutcome& Program, const std::string& sText, FEvaluate Evaluate) {
    const std::vector<TReport> Reports = Log.Reports;
    const std::string sProgramCalls = sCalls;
    Q.bWalk = true;
    const TOutcome Walked = Evaluate();
    Q.bWalk = false;
    Require(Walked == Program, "the tree walker gives Calc's outcome", sText);
    Require(Log.Reports == Reports, "the tree walker reports as Calc does", sText);
    Require(sCalls == sProgramCalls, "the tree walker calls the handlers as Calc does", sText);
}

}  // namespace quorix::fuzz
