// The calculator's variables mode (--engine vars): evaluates expressions with the
// variables flavour of TQuorix, the variables given as NAME=VALUE, with the 54
// built-ins and (unless strict) the everyday functions attached.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace quorix::calculator {

struct TVarsOptions {
    std::vector<std::string> Assignments;  // NAME=VALUE; the last one for a name wins
    bool bTree = false;                    // print the parsed tree instead of the value
    bool bUsed = false;                    // print the used functions and variables instead
    std::string sFormat;                   // FormatFloat pattern; empty: FloatToStr
    bool bOptimize = true;
    bool bEveryday = true;      // the everyday functions besides the built-ins
    bool bAssignments = false;  // a line NAME = EXPR sets NAME for the lines after it
};

class TVarsCalculator {
public:
    // Raises rtl::EConvertError for an assignment that is not NAME=NUMBER.
    explicit TVarsCalculator(const TVarsOptions& Options);
    ~TVarsCalculator();

    // Evaluates one expression: the result goes to Out; every error reported by the
    // expression (a division by zero included) and any exception go to Err. True on
    // success.
    // With bAssignments, a line NAME = EXPR evaluates EXPR as above and, on success,
    // gives NAME its value.
    bool Run(const std::string& sExpression, std::ostream& Out, std::ostream& Err);

private:
    bool Evaluate(const std::string& sExpression, std::ostream& Out, std::ostream& Err);
    bool Assign(const std::string& sName, const std::string& sExpression, std::ostream& Out,
                std::ostream& Err);

    // Kept out of this header, which must not clash with the engine flavour's
    // quorix::TQuorix in a file that includes both calculators.
    struct TState;
    std::unique_ptr<TState> FState;
};

}  // namespace quorix::calculator
