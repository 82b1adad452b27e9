#include "apps/VarsCalculator.hpp"

#include <map>
#include <ostream>
#include <utility>
#include <vector>

#include "apps/ReportText.hpp"
#include "engine_vars/Quorix.hpp"
#include "framework/Conversions.hpp"
#include "framework/Exceptions.hpp"
#include "framework/StringList.hpp"
#include "framework/TextCase.hpp"

namespace quorix::calculator {

const char* VarsErrorMessage(int iErrCode) {
    switch (iErrCode) {
        case qeOperand: return "operator or operand missing";
        case qeNoClosing: return "missing closing parenthesis";
        case qeNoOpening: return "missing opening parenthesis";
        case qeEmptyArguments: return "empty argument list";
        case qeNoArguments: return "function without its argument list";
        case qeUnknownName: return "unknown name";
        case qeOpenString: return "unterminated string";
        case qeDivisionByZero: return "division by zero";
        case qeTooDeep: return "calls nested too deeply";
        default: return "unknown error";
    }
}

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
}

TVarsCalculator::~TVarsCalculator() = default;

namespace {

std::string Joined(const rtl::TStrings& List) {
    std::string sText;
    for (int i = 0; i < List.Count(); ++i) sText += (i ? "," : "") + List[i];
    return sText;
}

}  // namespace

bool TVarsCalculator::Run(const std::string& sExpression, std::ostream& Out, std::ostream& Err) {
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
            if (Options.bTree)
                Out << Engine.GetParsedText() << '\n';
            else if (Options.bUsed)
                Out << "functions: " << Joined(*Engine.GetUsedFun()) << '\n'
                    << "variables: " << Joined(*Engine.GetUsedVar()) << '\n';
            else
                Out << (Options.sFormat.empty() ? rtl::FloatToStr(Engine.Value())
                                                 : rtl::FormatFloat(Options.sFormat, Engine.Value()))
                    << '\n';
        }
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
