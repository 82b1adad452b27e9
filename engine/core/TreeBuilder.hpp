// The pass-based tree builder shared by both engine flavours: it repeatedly reduces
// the innermost parenthesised group of a flat token list, applying prefix minuses and
// then sweeping the operators "^", "/", "*", "-", "+" in that order. The sweep order
// is what fixes precedence and associativity.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "engine/core/BuildScratch.hpp"
#include "engine/core/Errors.hpp"
#include "engine/core/Tie.hpp"

namespace quorix::core {

// A parenthesis the tokenizer noted without a node: a builder needs only its kind,
// which Kinds holds, and its position, for the error it may be part of. Its slot in
// the token list holds nil.
struct TParenthesis {
    int32_t iSlot;
    int32_t iPos;
};
using TParentheses = std::vector<TParenthesis>;

// Notes a parenthesis at iPos in the text as the next token of Tokens, without a node.
void AddParenthesis(TTieList& Tokens, TParentheses& Parentheses, int32_t iPos);

// What differs between the flavours.
struct TBuildRules {
    // May a prefix minus apply to this name token (a call, or a variable)?
    std::function<bool(const TTie&)> IsSignedName;
    // Reports an error; the build fails right after it returns. May throw.
    std::function<void(int iErrCode, int iPos)> Report;
    // Folds a new operator node whose two operands are constant; empty when constants
    // are not folded. May throw: the token list is consistent whenever it is called.
    std::function<void(TTie&)> Fold;
    // Where the build's arrays come from and go back to; nil: its own.
    TBuildScratch* pScratch = nullptr;
};

// Builds Tokens into one tree. On success returns its root and leaves Tokens empty.
// On failure returns nil; what is left in Tokens (each token with its subtree) still
// belongs to the caller. On an exception from a rule, likewise. Kinds, when it has
// one entry per token, holds their TokenKind as the tokenizer noted them, which
// spares the builder a pass over the nodes; otherwise the builder reads the tokens.
// Parentheses, in slot order, are the tokens that have no node; they need Kinds. Such
// a token owns nothing, so on failure it is not given back.
TTie* BuildTree(TTieList& Tokens, const TBuildRules& Rules, std::span<const char> Kinds = {},
                std::span<const TParenthesis> Parentheses = {});

}  // namespace quorix::core
