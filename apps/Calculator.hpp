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

// Writes a value with 21 significant digits: enough to read the same Extended back.
std::string ExactNumber(rtl::Extended rValue);

class TCalculator {
public:
    // Raises rtl::Exception when a delimiter or separator is refused by the engine,
    // or when the two are the same character.
    explicit TCalculator(const TOptions& Options);
    ~TCalculator();

    // Evaluates one expression: the result goes to Out, errors to Err. True on success.
    // Raises nothing: an exception, lack of memory included, is reported as a failure.
    bool Run(const std::string& sExpression, std::ostream& Out, std::ostream& Err);

private:
    struct TReport {
        int iPos;
        int iErrCode;
    };

    // Everything printed about one expression, made before anything is written, so
    // that writing needs no memory beyond the stream's and cannot fail half-way.
    struct TResult {
        bool bOk = false;
        std::string sText;                // the value's text, the tree or the used functions
        std::string sNumber;              // --json: the exact value; empty when there is none
        std::optional<std::string> Tree;  // --json
        std::vector<std::string> Used;    // --json
    };

    TResult Evaluate(const std::string& sExpression);
    void WriteErrors(const std::string& sExpression, std::ostream& Err) const;
    void WriteJson(const std::string& sExpression, const TResult& Result, std::ostream& Out) const;
    std::string ValueText() const;

    TOptions FOptions;
    std::unique_ptr<TQuorix> FEngine;
    std::vector<TReport> FReports;
    std::optional<TExceptionText> FException;
};

}  // namespace quorix::calculator
