#include "apps/Calculator.hpp"

#include <charconv>
#include <cmath>
#include <memory>
#include <ostream>

#include "apps/JsonText.hpp"
#include "builtins/AttachFunctions.hpp"
#include "builtins/ErrorMessages.hpp"
#include "builtins/ExtParser.hpp"
#include "framework/base/Conversions.hpp"
#include "framework/base/Exceptions.hpp"

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

std::string ExactNumber(rtl::Extended rValue) {
    char Buffer[64];
    const auto Result = std::to_chars(Buffer, Buffer + sizeof Buffer, rValue, std::chars_format::general, 21);
    return std::string(Buffer, Result.ptr);
}

TCalculator::TCalculator(const TOptions& Options)
    : FOptions(Options), FEngine(CreateEngine(Options.bStrict)) {
    FEngine->SetOptimize(Options.bOptimize);
    if (Options.Delimiter) FEngine->SetStringDelimiter(*Options.Delimiter);
    if (Options.Separator) FEngine->SetParSeparator(*Options.Separator);
    // The engine takes them, but a string would then end at every argument's end.
    if (FEngine->StringDelimiter() == FEngine->ParSeparator())
        throw rtl::Exception("the string delimiter and the argument separator must differ");
    FEngine->SetOnError([this](int iPos, int iErrCode) { FReports.push_back({iPos, iErrCode}); });
}

TCalculator::~TCalculator() = default;

bool TCalculator::Run(const std::string& sExpression, std::ostream& Out, std::ostream& Err) {
    FReports.clear();
    FException.reset();
    TResult Result;
    try {
        Result = Evaluate(sExpression);
    } catch (const std::exception& E) {
        FException = DescribeException(E);
    }
    if (FOptions.Output == TOutput::Json) {
        WriteJson(sExpression, Result, Out);
    } else {
        if (Result.bOk) Out << Result.sText << '\n';
        WriteErrors(sExpression, Err);
    }
    return Result.bOk;
}

TCalculator::TResult TCalculator::Evaluate(const std::string& sExpression) {
    TResult Result;
    FEngine->SetText(sExpression);
    // A tree or the used functions need a parse only, not an evaluation.
    const bool bParseOnly = FOptions.Output == TOutput::Tree || FOptions.Output == TOutput::Used;
    const bool bOk = bParseOnly ? FEngine->Parse() : FEngine->Calc();
    std::vector<std::string> Used;
    if (bOk || FOptions.Output == TOutput::Json) {
        const rtl::TStrings& UsedFun = *FEngine->GetUsedFun();
        for (int i = 0; i < UsedFun.Count(); ++i) Used.push_back(UsedFun[i]);
    }
    switch (FOptions.Output) {
        case TOutput::Value:
            if (bOk) Result.sText = ValueText();
            break;
        case TOutput::Tree:
            if (bOk) Result.sText = FEngine->GetParsedText();
            break;
        case TOutput::Used:
            for (const std::string& sName : Used) Result.sText += (Result.sText.empty() ? "" : ",") + sName;
            break;
        case TOutput::Json:
            if (bOk) Result.sText = ValueText();
            if (bOk && std::isfinite(FEngine->Value())) Result.sNumber = ExactNumber(FEngine->Value());
            if (std::string sTree = FEngine->GetParsedText(); bOk || !sTree.empty())
                Result.Tree = std::move(sTree);
            Result.Used = std::move(Used);
            break;
    }
    Result.bOk = bOk;
    return Result;
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
void TCalculator::WriteJson(const std::string& sExpression, const TResult& Result, std::ostream& Out) const {
    const auto StringOrNull = [&Out](const std::string* pText) {
        if (pText) WriteJsonString(Out, *pText);
        else Out << "null";
    };
    Out << "{\"expr\": ";
    WriteJsonString(Out, sExpression);
    Out << ", \"ok\": " << (Result.bOk ? "true" : "false") << ", \"value\": ";
    if (Result.sNumber.empty()) Out << "null";
    else Out << Result.sNumber;
    Out << ", \"text\": ";
    StringOrNull(Result.bOk ? &Result.sText : nullptr);
    Out << ", \"tree\": ";
    StringOrNull(Result.Tree ? &*Result.Tree : nullptr);
    Out << ", \"used\": [";
    for (std::size_t i = 0; i < Result.Used.size(); ++i) {
        if (i) Out << ',';
        WriteJsonString(Out, Result.Used[i]);
    }
    Out << "], \"errors\": [";
    for (std::size_t i = 0; i < FReports.size(); ++i) {
        Out << (i ? ",{" : "{") << "\"pos\":" << FReports[i].iPos << ",\"code\":" << FReports[i].iErrCode
            << ",\"message\":";
        WriteJsonString(Out, ErrorMessage(FReports[i].iErrCode));
        Out << '}';
    }
    Out << "], \"exception\": ";
    if (FException) {
        Out << "{\"class\":";
        WriteJsonString(Out, FException->sClass);
        Out << ",\"message\":";
        WriteJsonString(Out, FException->sMessage);
        Out << '}';
    } else {
        Out << "null";
    }
    Out << "}\n";
}

}  // namespace quorix::calculator
