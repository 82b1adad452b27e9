// A call's argument list in the text: where it ends, and its arguments.
#pragma once

#include <climits>
#include <cstddef>
#include <functional>
#include <string_view>

namespace quorix::core {

// Where the argument list opened at sText[iOpen] ends, and whether it is well formed.
struct TArgumentList {
    std::size_t iEnd = 0;   // just past the matching ")"
    bool bQuoted = false;   // a string delimiter is left open
    int iDepth = 0;         // parentheses left open
    bool bTooDeep = false;  // calls nest deeper than iMaxCallLevel
};

// Walks to the ")" that closes sText[iOpen], skipping parentheses inside strings.
// iCallLevel is how deep the call that owns the list is nested; every call opened
// inside (a "(" right after a name) counts one level more, and one deeper than
// iMaxCallLevel ends the walk with bTooDeep, before any of it is parsed.
TArgumentList ScanArgumentList(std::string_view sText, std::size_t iOpen, char cDelimiter, int iCallLevel = 0,
                               int iMaxCallLevel = INT_MAX);

// Hands every argument of the list sList to Take, with the argument's start in sList.
// The list is cut at every cSeparator outside strings and parentheses; the last
// argument keeps its final character, even a separator. When Take returns false the
// split stops and returns false.
bool SplitArguments(std::string_view sList, char cDelimiter, char cSeparator,
                    const std::function<bool(std::string_view sArg, std::size_t iStart)>& Take);

// An argument written between two string delimiters.
inline bool IsStringArgument(std::string_view sArg, char cDelimiter) {
    return sArg.size() >= 2 && sArg.front() == cDelimiter && sArg.back() == cDelimiter;
}

}  // namespace quorix::core
