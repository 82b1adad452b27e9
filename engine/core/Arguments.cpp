#include "engine/core/Arguments.hpp"

#include <vector>

#include "engine/core/Tie.hpp"

namespace quorix::core {

TArgumentList ScanArgumentList(std::string_view sText, std::size_t iOpen, char cDelimiter, int iCallLevel,
                               int iMaxCallLevel) {
    TArgumentList List;
    List.iDepth = 1;
    std::vector<bool> CallParentheses;  // for each "(" still open inside: does it open a call?
    std::size_t k = iOpen + 1;
    while (List.iDepth > 0 && k < sText.size()) {
        const char c = sText[k++];
        if (c == cDelimiter) List.bQuoted = !List.bQuoted;
        if (List.bQuoted) continue;
        if (c == ')') {
            --List.iDepth;
            if (!CallParentheses.empty()) {
                if (CallParentheses.back()) --iCallLevel;
                CallParentheses.pop_back();
            }
        } else if (c == '(') {
            ++List.iDepth;
            const bool bCall = !IsOneChar(sText[k - 2]);
            CallParentheses.push_back(bCall);
            if (bCall && ++iCallLevel > iMaxCallLevel) {
                List.bTooDeep = true;
                break;
            }
        }
    }
    List.iEnd = k;
    return List;
}

bool SplitArguments(std::string_view sList, char cDelimiter, char cSeparator,
                    const std::function<bool(std::string_view sArg, std::size_t iStart)>& Take) {
    bool bQuoted = false;
    int iDepth = 0;
    std::size_t iStart = 0;
    for (std::size_t i = 0; i < sList.size(); ++i) {
        const char c = sList[i];
        if (c == cDelimiter) bQuoted = !bQuoted;
        if (!bQuoted) {
            if (c == '(') ++iDepth;
            else if (c == ')') --iDepth;
        }
        const bool bLast = i + 1 == sList.size();
        if (!bLast && !(c == cSeparator && !bQuoted && iDepth == 0)) continue;
        if (!Take(sList.substr(iStart, (bLast ? i + 1 : i) - iStart), iStart)) return false;
        iStart = i + 1;
    }
    return true;
}

}  // namespace quorix::core
