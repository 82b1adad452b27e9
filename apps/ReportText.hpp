// How the calculator shows a failure, whichever engine flavour it runs.
#pragma once

#include <exception>
#include <iosfwd>
#include <string>

namespace quorix::calculator {

// The unqualified class name of an exception, such as "EOverflow".
std::string ExceptionClassName(const std::exception& E);

// The line under sText that puts a caret below byte position iPos: one column per
// UTF-8 character, tabs kept as tabs so that the caret lines up.
std::string CaretLine(const std::string& sText, int iPos);

// "quorix: error CODE at POS: MESSAGE", then the expression and a caret under POS.
void WriteErrorReport(std::ostream& Err, const std::string& sExpression, int iPos, int iErrCode,
                      const std::string& sMessage);

// "quorix: exception CLASS: MESSAGE", then the expression.
void WriteExceptionReport(std::ostream& Err, const std::string& sExpression, const std::string& sClass,
                          const std::string& sMessage);

}  // namespace quorix::calculator
