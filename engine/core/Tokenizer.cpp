#include "engine/core/Tokenizer.hpp"

#include <string>

#include "engine/core/TiePool.hpp"
#include "framework/Conversions.hpp"

namespace quorix::core {

bool Tokenize(std::string_view sText, int iOffset, TTiePool& Pool, TTokens& Tokens, const TNameTaker& TakeName) {
    const std::size_t n = sText.size();
    std::size_t i = 0;
    while (i < n) {
        const char cKind = TokenKind(sText[i]);
        const int iPos = iOffset + static_cast<int>(i);
        Tokens.Kinds.push_back(cKind);
        if (cKind == '(' || cKind == ')') {
            AddParenthesis(Tokens.Ties, Tokens.Parentheses, iPos);
            ++i;
            continue;
        }
        TTie* pTie = AddTie(Tokens.Ties, Pool);
        pTie->iPos = iPos;
        if (cKind != 0) {
            pTie->sName = sText[i];
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < n && !IsOneChar(sText[j])) ++j;
        pTie->sName = sText.substr(i, j - i);
        i = j;
        if (rtl::TryStrToFloat(pTie->sName, pTie->rValue)) {
            pTie->bNumber = true;
            pTie->bConst = true;
            continue;
        }
        if (!TakeName(*pTie, i)) return false;
    }
    return true;
}

}  // namespace quorix::core
