#include "apps/VarsCalculator.hpp"

#include <map>
#include <ostream>
#include <utility>

#include "engine_vars/Quorix.hpp"
#include "framework/Conversions.hpp"
#include "framework/Exceptions.hpp"
#include "framework/StringList.hpp"
#include "framework/TextCase.hpp"

namespace quorix_apps {

namespace {

void PrintList(std::ostream& Out, const char* sTitle, const rtl::TStrings& List) {
    Out << sTitle << ':';
    for (int i = 0; i < List.Count(); ++i) Out << ' ' << List[i];
    Out << '\n';
}

}  // namespace

int RunVarsCalculator(const TVarsRequest& Request, std::ostream& Out, std::ostream& Err) {
    // Keyed by the upper-cased name, which is how the component asks for a variable.
    std::map<std::string, rtl::Extended> Values;
    rtl::TStringList Names;
    for (const std::string& sAssignment : Request.Assignments) {
        const std::size_t iEquals = sAssignment.find('=');
        rtl::Extended rValue = 0;
        if (iEquals == 0 || iEquals == std::string::npos ||
            !rtl::TryStrToFloat(sAssignment.substr(iEquals + 1), rValue)) {
            Err << "quorix: --var wants NAME=NUMBER, got '" << sAssignment << "'\n";
            return 2;
        }
        const std::string sName = sAssignment.substr(0, iEquals);
        if (Names.IndexOf(sName) < 0) Names.Add(sName);
        Values[rtl::UpperCase(sName)] = rValue;
    }

    quorix::TQuorix Parser(nullptr);
    Parser.SetVariables(&Names);
    Parser.SetOnGetVariable([&Values](const std::string& sName, rtl::Extended& Result) {
        if (const auto It = Values.find(sName); It != Values.end()) Result = It->second;
    });
    bool bFailed = false;
    Parser.SetOnError([&](int iPos, int iErrCode) {
        Err << "error " << iErrCode << " at " << iPos << '\n';
        bFailed = true;
    });
    Parser.SetText(Request.sExpression);
    try {
        const bool bCalculated = Parser.Calc();
        // A division by zero is reported and counts 0, which is no answer either.
        if (bFailed) return 1;
        if (!bCalculated) {
            Err << "quorix: nothing to evaluate\n";
            return 1;
        }
    } catch (const rtl::Exception& E) {
        Err << "quorix: " << E.Message() << '\n';
        return 1;
    }
    Out << rtl::FloatToStr(Parser.Value()) << '\n';
    if (Request.bUsed) {
        PrintList(Out, "functions", *Parser.GetUsedFun());
        PrintList(Out, "variables", *Parser.GetUsedVar());
    }
    return 0;
}

}  // namespace quorix_apps
