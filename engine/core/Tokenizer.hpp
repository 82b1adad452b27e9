// The tokenizer both flavours share: it cuts a text into operators, parentheses,
// numbers and names. What a name is (and whether an argument list follows it) is the
// flavour's to say.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "engine/core/Tie.hpp"
#include "engine/core/TreeBuilder.hpp"

namespace quorix::core {

class TTiePool;

// What the tokenizer hands the builder: one token per slot, and for each its kind
// (see BuildTree) and the parentheses that have no node.
struct TTokens {
    TTieList Ties;
    std::vector<char> Kinds;
    TParentheses Parentheses;
};

// Takes a name token (sName set, not a number); iEnd is just past the name, and
// moves past whatever else the name takes (an argument list). Returns false after
// it has reported an error, which ends the tokenizing.
using TNameTaker = std::function<bool(TTie& Tie, std::size_t& iEnd)>;

// Appends the tokens of sText, which starts at iOffset in the whole text, to Tokens.
// Nodes come from Pool; positions are counted from the start of the whole text.
bool Tokenize(std::string_view sText, int iOffset, TTiePool& Pool, TTokens& Tokens, const TNameTaker& TakeName);

}  // namespace quorix::core
