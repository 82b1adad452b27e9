// The pass-based tree builder shared by both engine flavours: it repeatedly reduces
// the innermost parenthesised group of a flat token list, applying prefix minuses and
// then sweeping the operators "^", "/", "*", "-", "+" in that order. The sweep order
// is what fixes precedence and associativity.
#pragma once

#include <functional>

#include "engine/Tie.hpp"

namespace quorix::core {

// Error codes the builder reports; both flavours use these numbers.
enum TBuildError : int {
    beOperand = 1,       // an operator lacks an operand, "()", two operands side by side
    beNoClosing = 2,     // "(" without ")"
    beNoOpening = 3,     // ")" without "("
};

// What differs between the flavours.
struct TBuildRules {
    // May a prefix minus apply to this name token (a call, or a variable)?
    std::function<bool(const TTie&)> IsSignedName;
    // Reports an error; the build fails right after it returns. May throw.
    std::function<void(int iErrCode, int iPos)> Report;
    // Folds a new operator node whose two operands are constant; empty when constants
    // are not folded. May throw: the token list is consistent whenever it is called.
    std::function<void(TTie&)> Fold;
};

// Builds Tokens into one tree. On success returns its root and leaves Tokens empty.
// On failure returns nil; what is left in Tokens (each token with its subtree) still
// belongs to the caller. On an exception from a rule, likewise.
TTie* BuildTree(TTieList& Tokens, const TBuildRules& Rules);

}  // namespace quorix::core
