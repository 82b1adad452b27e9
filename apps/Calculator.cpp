#include "apps/Calculator.hpp"

#include <charconv>
#include <cmath>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>

#include "builtins/AttachFunctions.hpp"
#include "builtins/ExtParser.hpp"
#include "framework/Conversions.hpp"
#include "framework/Exceptions.hpp"

namespace quorix::calculator {

namespace {

// The one place that decides which engine the calculator uses: the one with the
// built-in functions, and the everyday functions unless the user asked for --strict.
std::unique_ptr<TQuorix> CreateEngine(bool bStrict) {
    auto Engine = std::make_unique<TExtParser>(nullptr);
    if (!bStrict) AttachEverydayFunctions(*Engine);
    return Engine;
}

}  // namespace

std::string ErrorMessage(int iErrCode) {
    switch (iErrCode) {
        case qeOperand: return "operator or operand missing";
        case qeNoClosing: return "missing closing parenthesis";
        case qeNoOpening: return "missing opening parenthesis";
        case qeUnknownName: return "unknown name";
        case qeOpenString: return "unterminated string";
        case qeDivisionByZero: return "division by zero";
        case qeTooDeep: return "calls nested too deeply";
        default: {
            const std::string sText = FunctionErrorText(iErrCode);
            return sText.empty() ? "function failed" : sText;
        }
    }
}

std::string ExactNumber(rtl::Extended rValue) {
    char Buffer[64];
    const auto Result = std::to_chars(Buffer, Buffer + sizeof Buffer, rValue, std::chars_format::general, 21);
    return std::string(Buffer, Result.ptr);
}

TCalculator::TCalculator(const TOptions& Options) : FOptions(Options), FEngine(CreateEngine(Options.bStrict)) {
    FEngine->SetOptimize(Options.bOptimize);
    if (Options.Delimiter) FEngine->SetStringDelimiter(*Options.Delimiter);
    if (Options.Separator) FEngine->SetParSeparator(*Options.Separator);
    FEngine->SetOnError([this](int iPos, int iErrCode) { FReports.push_back({iPos, iErrCode}); });
}

TCalculator::~TCalculator() = default;

bool TCalculator::Run(const std::string& sExpression, std::ostream& Out, std::ostream& Err) {
    FReports.clear();
    FException.reset();
    bool bOk = false;
    try {
        FEngine->SetText(sExpression);
        // A tree or the used functions need a parse only, not an evaluation.
        const bool bParseOnly = FOptions.Output == TOutput::Tree || FOptions.Output == TOutput::Used;
        bOk = bParseOnly ? FEngine->Parse() : FEngine->Calc();
    } catch (const std::exception& E) {
        FException = TException{ExceptionClassName(E), E.what()};
    }

    switch (FOptions.Output) {
        case TOutput::Json:
            WriteJson(sExpression, bOk, Out);
            return bOk;
        case TOutput::Value:
            if (bOk) Out << ValueText() << '\n';
            break;
        case TOutput::Tree:
            if (bOk) Out << FEngine->GetParsedText() << '\n';
            break;
        case TOutput::Used:
            if (bOk) {
                const rtl::TStrings& Used = *FEngine->GetUsedFun();
                for (int i = 0; i < Used.Count(); ++i) Out << (i ? "," : "") << Used[i];
                Out << '\n';
            }
            break;
    }
    WriteErrors(sExpression, Err);
    return bOk;
}

std::string TCalculator::ValueText() const {
    return FOptions.sFormat.empty() ? rtl::FloatToStr(FEngine->Value())
                                    : rtl::FormatFloat(FOptions.sFormat, FEngine->Value());
}

void TCalculator::WriteErrors(const std::string& sExpression, std::ostream& Err) const {
    for (const TReport& Report : FReports)
        WriteErrorReport(Err, sExpression, Report.iPos, Report.iErrCode, ErrorMessage(Report.iErrCode));
    if (FException) WriteExceptionReport(Err, sExpression, FException->sClass, FException->sMessage);
}

// One line of JSON. The value is spliced in as written by ExactNumber, because a
// JSON library would round it to a double.
void TCalculator::WriteJson(const std::string& sExpression, bool bOk, std::ostream& Out) const {
    using json = nlohmann::ordered_json;
    const bool bFinite = bOk && std::isfinite(FEngine->Value());
    json Used = json::array();
    const rtl::TStrings& UsedFun = *FEngine->GetUsedFun();
    for (int i = 0; i < UsedFun.Count(); ++i) Used.push_back(UsedFun[i]);
    json Errors = json::array();
    for (const TReport& Report : FReports)
        Errors.push_back({{"pos", Report.iPos}, {"code", Report.iErrCode}, {"message", ErrorMessage(Report.iErrCode)}});
    const json Exception =
        FException ? json{{"class", FException->sClass}, {"message", FException->sMessage}} : json(nullptr);
    const json Tree = FEngine->GetParsedText().empty() && !bOk ? json(nullptr) : json(FEngine->GetParsedText());
    auto Text = [](const json& Value) { return Value.dump(-1, ' ', false, json::error_handler_t::replace); };

    Out << "{\"expr\": " << Text(sExpression) << ", \"ok\": " << (bOk ? "true" : "false")
        << ", \"value\": " << (bFinite ? ExactNumber(FEngine->Value()) : "null")
        << ", \"text\": " << (bOk ? Text(ValueText()) : "null") << ", \"tree\": " << Text(Tree)
        << ", \"used\": " << Text(Used) << ", \"errors\": " << Text(Errors) << ", \"exception\": " << Text(Exception)
        << "}\n";
}

}  // namespace quorix::calculator
