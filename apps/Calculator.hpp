// The quorix calculator: evaluates expressions with the engine and prints each
// result, error or exception in the form the command line asks for.
#pragma once

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "apps/ReportText.hpp"
#include "engine/Quorix.hpp"

namespace quorix::calculator {

enum class TOutput { Value, Tree, Used, Json };

struct TOptions {
    TOutput Output = TOutput::Value;
    std::string sFormat;  // FormatFloat pattern; empty: FloatToStr
    bool bOptimize = true;
    std::optional<char> Delimiter;
    std::optional<char> Separator;
    std::vector<std::string> Expressions;  // none: read standard input
    bool bVariables = false;               // --engine vars: the flavour with variables
    std::vector<std::string> Variables;    // its variables, NAME=VALUE
    bool bStrict = false;                  // --strict: the 54 built-ins alone, no everyday functions
};

// The words for an error code reported through OnError.
std::string ErrorMessage(int iErrCode);

// Writes a value with 21 significant digits: enough to read the same Extended back.
std::string ExactNumber(rtl::Extended rValue);

class TCalculator {
public:
    // Raises rtl::Exception when a delimiter or separator is refused by the engine.
    explicit TCalculator(const TOptions& Options);
    ~TCalculator();

    // Evaluates one expression: the result goes to Out, errors to Err. True on success.
    bool Run(const std::string& sExpression, std::ostream& Out, std::ostream& Err);

private:
    struct TReport {
        int iPos;
        int iErrCode;
    };
    struct TException {
        std::string sClass;
        std::string sMessage;
    };

    void WriteErrors(const std::string& sExpression, std::ostream& Err) const;
    void WriteJson(const std::string& sExpression, bool bOk, std::ostream& Out) const;
    std::string ValueText() const;

    TOptions FOptions;
    std::unique_ptr<TQuorix> FEngine;
    std::vector<TReport> FReports;
    std::optional<TException> FException;
};

}  // namespace quorix::calculator
