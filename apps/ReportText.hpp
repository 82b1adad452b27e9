// How the calculator shows a failure, whichever engine flavour it runs. Reports are
// written straight to the stream, so that showing a long expression needs no copy
// of it, and a failure for want of memory can still be reported.
#pragma once

#include <exception>
#include <iosfwd>
#include <string>
#include <string_view>

namespace quorix::calculator {

// An exception as reported: its unqualified class name, such as "EOverflow", and its
// message. When memory is too short even for these, those of std::bad_alloc, which
// are short enough to need none.
struct TExceptionText {
    std::string sClass;
    std::string sMessage;
};
TExceptionText DescribeException(const std::exception& E) noexcept;

// Writes sText as a terminal should show it: control characters (tabs excepted)
// and bytes that are not UTF-8 as escapes such as \x1b, so that an expression can
// neither recolour nor rewrite the user's screen.
void WriteEchoed(std::ostream& Out, std::string_view sText);

// Writes the line that puts a caret below byte position iPos of sText as
// WriteEchoed shows it: one column per UTF-8 character, as many as an escape takes,
// tabs kept as tabs so that the caret lines up.
void WriteCaretLine(std::ostream& Out, std::string_view sText, int iPos);

// "quorix: error CODE at POS: MESSAGE", then the expression and a caret under POS.
void WriteErrorReport(std::ostream& Err, std::string_view sExpression, int iPos, int iErrCode,
                      std::string_view sMessage);

// "quorix: exception CLASS: MESSAGE", then the expression.
void WriteExceptionReport(std::ostream& Err, std::string_view sExpression, std::string_view sClass,
                          std::string_view sMessage);

}  // namespace quorix::calculator
