// The parse-tree records shared by both engine flavours: one TTie per token (and per
// tree node once the tokens are built into a tree), one rParam per function argument.
// Both flavours publish these names in namespace quorix (see EngineComponent.hpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/TieText.hpp"
#include "framework/base/Types.hpp"

namespace quorix::core {

// Every character that is a token by itself and ends any other token.
inline constexpr std::string_view sOneChars = "+-*/^()";
// The binary operators from lowest to highest precedence; the tree builder sweeps
// them from the last to the first.
inline constexpr std::string_view sCharOperator = "+-*/^";

struct TTie;

// One argument of a function call, as stored in a node and handed to the handlers.
struct rParam {
    bool bIsString = false;    // written between two string delimiters
    std::string sValue;        // a string argument's text, delimiters removed
    rtl::Extended rValue = 0;  // a numeric argument's value, computed just before the call
    TTie* pTie = nullptr;      // the argument's own tree; nil for strings and empty arguments
};

class TTiePool;

// A node is 128 bytes, two cache lines when its pool aligns it: the first holds what
// building, folding and evaluating read, the second the texts.
struct alignas(64) TTie {
    rtl::Extended rValue = 0;  // a number's value, or a folded node's value
    TTie* pLeft = nullptr;
    TTie* pRight = nullptr;
    TTiePool* pPool = nullptr;  // where the node lives; set by the pool
    int32_t iPos = 0;           // 0-based position in the whole text
    int32_t iParCount = 0;      // always arrParams.size()
    int16_t iSign = 1;          // +1, or -1 after an odd number of prefix minuses
    bool bResolved = false;     // an operator token that has taken its operands
    bool bNumber = false;       // the token text is a number
    bool bConst = false;        // the value is known at parse time
    bool bBuildIn = false;
    // Filled once by the tokenizer for a name, so that evaluation neither upper-cases
    // nor looks the name up again on every call.
    TPooledName sUpperName;
    std::string sName;  // the token as written: operator, number or name
    TRareText sParams;  // a call's text between its parentheses
    std::vector<rParam> arrParams;

    // Nodes are made and released by their pool only.
    static void* operator new(std::size_t) = delete;
    static void operator delete(void*) = delete;
};
static_assert(sizeof(TTie) == 128, "a node fills two cache lines exactly");

// The token list the tokenizer fills and the tree builder reduces.
using TTieList = std::vector<TTie*>;

inline bool IsOneChar(char c) { return sOneChars.find(c) != std::string_view::npos; }
inline bool IsOperatorChar(char c) { return sCharOperator.find(c) != std::string_view::npos; }
// What the tree builder takes a fresh token for that starts with character c: the
// operator or parenthesis it is, or 0 for an operand (a number or a name).
inline char TokenKind(char c) { return IsOneChar(c) ? c : 0; }

// An operator character that has not taken its operands yet.
inline bool IsBareOperator(const TTie& Tie) {
    return Tie.sName.size() == 1 && IsOperatorChar(Tie.sName[0]) && !Tie.bResolved;
}
// Anything the tree builder may take as an operand.
inline bool IsOperand(const TTie& Tie) { return !IsBareOperator(Tie); }
// A node printed and evaluated as an operator (a bare token never survives building).
inline bool IsOperatorNode(const TTie& Tie) { return Tie.sName.size() == 1 && IsOperatorChar(Tie.sName[0]); }
inline bool IsToken(const TTie& Tie, char c) { return Tie.sName.size() == 1 && Tie.sName[0] == c; }
// A name token: a function call (or, in the variables flavour, a variable).
inline bool IsNameNode(const TTie& Tie) {
    return !Tie.bNumber && !(Tie.sName.size() == 1 && IsOneChar(Tie.sName[0]));
}

// Takes a node with the initial field values from Pool, appends it to Tokens and
// returns it.
TTie* AddTie(TTieList& Tokens, TTiePool& Pool);

// Releases the tree with its operand subtrees and argument trees and sets pRoot to
// nil. Works without recursion and without allocating, so neither a deep tree nor a
// low-memory state can make it fail.
void ClearBST(TTie*& pRoot);

// Releases every token still in the list, each with what it owns, and empties it.
void ClearTokens(TTieList& Tokens);

}  // namespace quorix::core
