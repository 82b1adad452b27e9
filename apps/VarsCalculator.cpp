#include "apps/VarsCalculator.hpp"

#include <cctype>
#include <map>
#include <optional>
#include <ostream>
#include <utility>
#include <vector>

#include "apps/ReportText.hpp"
#include "builtins/ErrorMessages.hpp"
#include "builtins/FunctionSets.hpp"
#include "builtins/VarsFunctions.hpp"
#include "engine_vars/Quorix.hpp"
#include "framework/base/Conversions.hpp"
#include "framework/base/Exceptions.hpp"
#include "framework/base/StringList.hpp"
#include "framework/base/TextCase.hpp"

namespace quorix::calculator {

namespace {

// A name the attached functions answer, so that a variable of that name could never
// be read.
bool IsFunctionName(const std::string& sName, bool bEveryday) {
    using functions::TFunctionSet;
    const std::string sUpper = rtl::UpperCase(sName);
    for (const TFunctionSet Set : {TFunctionSet::BuiltIns, TFunctionSet::Everyday}) {
        if (Set == TFunctionSet::Everyday && !bEveryday) continue;
        for (const TBuiltInSignature& Signature : functions::Signatures(Set))
            if (rtl::UpperCase(Signature.sName) == sUpper) return true;
    }
    return false;
}

}  // namespace

struct TVarsCalculator::TState {
    TVarsOptions Options;
    std::map<std::string, rtl::Extended> Values;  // by the upper-cased name
    TQuorix Engine{nullptr};
};

TVarsCalculator::TVarsCalculator(const TVarsOptions& Options) : FState(std::make_unique<TState>()) {
    FState->Options = Options;
    rtl::TStringList Names;
    for (const std::string& sAssignment : Options.Assignments) {
        const std::size_t iEquals = sAssignment.find('=');
        rtl::Extended rValue = 0;
        if (iEquals == 0 || iEquals == std::string::npos ||
            !rtl::TryStrToFloat(sAssignment.substr(iEquals + 1), rValue))
            throw rtl::EConvertError("--var wants NAME=NUMBER, got '" + sAssignment + "'");
        const std::string sName = sAssignment.substr(0, iEquals);
        if (IsFunctionName(sName, Options.bEveryday))
            throw rtl::EConvertError("--var " + sName + ": that is the name of a function");
        if (Names.IndexOf(sName) < 0) Names.Add(sName);
        // The component asks for a variable by its upper-cased name.
        FState->Values[rtl::UpperCase(sName)] = rValue;
    }
    TQuorix& Engine = FState->Engine;
    Engine.SetVariables(&Names);
    Engine.SetOptimize(Options.bOptimize);
    Engine.SetOnGetVariable([Values = &FState->Values](const std::string& sName, rtl::Extended& Result) {
        if (const auto It = Values->find(sName); It != Values->end()) Result = It->second;
    });
    AttachFunctions(Engine, Options.bEveryday);
}

TVarsCalculator::~TVarsCalculator() = default;

namespace {

std::string Joined(const rtl::TStrings& List) {
    std::string sText;
    for (int i = 0; i < List.Count(); ++i) sText += (i ? "," : "") + List[i];
    return sText;
}

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || std::isdigit(static_cast<unsigned char>(c)); }

// NAME = EXPR, blanks allowed around both: NAME and EXPR, or nothing for any other line.
std::optional<std::pair<std::string, std::string>> SplitAssignment(const std::string& sLine) {
    std::size_t i = sLine.find_first_not_of(" \t");
    if (i == std::string::npos || !IsNameStart(sLine[i])) return std::nullopt;
    const std::size_t iNameStart = i;
    while (i < sLine.size() && IsNameChar(sLine[i])) ++i;
    const std::size_t iNameEnd = i;
    i = sLine.find_first_not_of(" \t", i);
    if (i == std::string::npos || sLine[i] != '=') return std::nullopt;
    // The engine takes no blanks; those around EXPR are the line's layout, not its text.
    const std::size_t iFirst = sLine.find_first_not_of(" \t", i + 1);
    const std::size_t iLast = sLine.find_last_not_of(" \t");
    const std::string sExpression =
        iFirst == std::string::npos ? "" : sLine.substr(iFirst, iLast - iFirst + 1);
    return std::pair{sLine.substr(iNameStart, iNameEnd - iNameStart), sExpression};
}

}  // namespace

bool TVarsCalculator::Run(const std::string& sLine, std::ostream& Out, std::ostream& Err) {
    if (FState->Options.bAssignments)
        if (const auto Assignment = SplitAssignment(sLine))
            return Assign(Assignment->first, Assignment->second, Out, Err);
    return Evaluate(sLine, Out, Err);
}

bool TVarsCalculator::Assign(const std::string& sName, const std::string& sExpression, std::ostream& Out,
                             std::ostream& Err) {
    TQuorix& Engine = FState->Engine;
    if (IsFunctionName(sName, FState->Options.bEveryday)) {
        Err << "quorix: " << sName << " is the name of a function\n";
        return false;
    }
    if (!Evaluate(sExpression, Out, Err)) return false;
    if (FState->Options.bTree || FState->Options.bUsed) return true;
    FState->Values[rtl::UpperCase(sName)] = Engine.Value();
    if (Engine.Variables()->IndexOf(sName) < 0) Engine.Variables()->Add(sName);
    return true;
}

bool TVarsCalculator::Evaluate(const std::string& sExpression, std::ostream& Out, std::ostream& Err) {
    TQuorix& Engine = FState->Engine;
    const TVarsOptions& Options = FState->Options;
    struct TReport {
        int iPos;
        int iErrCode;
    };
    std::vector<TReport> Reports;
    Engine.SetOnError([&Reports](int iPos, int iErrCode) { Reports.push_back({iPos, iErrCode}); });
    bool bOk = false;
    bool bException = false;
    try {
        Engine.SetText(sExpression);
        // The tree and the used names need the parse only.
        bOk = Options.bTree || Options.bUsed ? Engine.Parse() && !sExpression.empty() : Engine.Calc();
        // A division by zero is reported and counts 0, which is no answer.
        bOk = bOk && Reports.empty();
        if (bOk) {
            if (Options.bTree) Out << Engine.GetParsedText() << '\n';
            else if (Options.bUsed)
                Out << "functions: " << Joined(*Engine.GetUsedFun()) << '\n'
                    << "variables: " << Joined(*Engine.GetUsedVar()) << '\n';
            else
                Out << (Options.sFormat.empty() ? rtl::FloatToStr(Engine.Value())
                                                : rtl::FormatFloat(Options.sFormat, Engine.Value()))
                    << '\n';
        }
    } catch (const EFunctionArgument& E) {
        bOk = false;
        Err << "quorix: error " << E.ErrCode() << ": " << E.Message() << '\n' << sExpression << '\n';
        bException = true;
    } catch (const std::exception& E) {
        bOk = false;
        const TExceptionText Text = DescribeException(E);
        WriteExceptionReport(Err, sExpression, Text.sClass, Text.sMessage);
        bException = true;
    }
    Engine.SetOnError({});
    for (const TReport& Report : Reports)
        WriteErrorReport(Err, sExpression, Report.iPos, Report.iErrCode, VarsErrorMessage(Report.iErrCode));
    if (!bOk && Reports.empty() && !bException) Err << "quorix: nothing to evaluate\n";
    return bOk;
}

}  // namespace quorix::calculator
