// The parse both flavours share: tokenizer, argument lists and tree builder, over one
// shared copy of the text. A flavour's rules say what a name is, which codes its
// errors have, how deep calls may nest and whether and how constants fold.
#pragma once

#include <climits>
#include <concepts>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/core/Arguments.hpp"
#include "engine/core/EngineComponent.hpp"
#include "engine/core/ScopeGuard.hpp"
#include "engine/core/Tie.hpp"
#include "engine/core/TiePool.hpp"
#include "engine/core/TieText.hpp"
#include "engine/core/TreeBuilder.hpp"
#include "framework/base/Conversions.hpp"

namespace quorix::core {

// What a name token is to the flavour: an error, an operand by itself (a variable),
// or a function, which takes the argument list that follows it.
enum class TNameUse { Unknown, Plain, Call };

// What a flavour's parse allows, and the codes it reports for the errors beyond the
// builder's.
struct TParseTraits {
    int iMaxCallNesting;
    // Refuse calls nested too deeply before any of a list is parsed (else at their level).
    bool bRefuseDeepCallsAhead;
    bool bCallsNeedArguments;  // a function name must be followed by a non-empty list
    int iUnknownName;
    int iOpenString;  // a string delimiter left open in an argument list
    int iTooDeep;     // calls nested deeper than iMaxCallNesting
    int iNoArguments = 0;
    int iEmptyArguments = 0;
};

template <class R>
concept ParseRules = requires(R& Rules, TTie& Tie, const TTie& Node, int i) {
    { R::Traits } -> std::convertible_to<TParseTraits>;
    { Rules.Use(Tie) } -> std::same_as<TNameUse>;
    { Rules.UpperName(Node) } -> std::same_as<std::string>;
    { Rules.IsSignedName(Node) } -> std::same_as<bool>;
    { Rules.FoldsAt(i) } -> std::same_as<bool>;
    Rules.Fold(Tie);
    Rules.Report(i, i);
};

template <ParseRules TRules>
class TParser {
public:
    // The delimiter and separator are the component's, read as the parse goes.
    TParser(TRules Rules, TTiePool& Pool, TSharedText pText, const char& cDelimiter, const char& cSeparator)
        : FRules(Rules),
          FPool(Pool),
          FText(std::move(pText)),
          FDelimiter(cDelimiter),
          FSeparator(cSeparator) {}

    // Parses the whole text, which starts at iOffset in the component's text, into
    // pRoot (nil on entry).
    bool Parse(TTie*& pRoot, int iOffset = 0) { return ParsePart(pRoot, *FText, iOffset, 0); }

    // The parse's steps on their own, for a flavour's entry points. Build makes one
    // tree of Tokens as the whole text's are made (see BuildTree for what is left on
    // failure). ParseArgumentsOf splits the text, which is the argument list of Call,
    // a call inside iLevel calls whose arguments are gone, and parses each that is no
    // string.
    TTie* Build(TTieList& Tokens) { return BuildTree(Tokens, BuildRules(0)); }
    bool ParseArgumentsOf(TTie& Call, int iLevel) { return ParseArguments(Call, *FText, iLevel); }

private:
    static constexpr TParseTraits Traits = TRules::Traits;

    // What the tokenizer hands the builder: one token per slot, its kind (see
    // BuildTree), and the parentheses, which have no node.
    struct TTokens {
        TTieList Ties;
        std::vector<char> Kinds;
        TParentheses Parentheses;
    };

    // Parses sText, a part of the text that starts at iOffset and lies inside iLevel
    // calls, into pRoot. True when a tree was built, and for an empty text (then the
    // root stays nil).
    bool ParsePart(TTie*& pRoot, std::string_view sText, int iOffset, int iLevel) {
        // The outermost parse takes the list kept from the last one, and gives it back.
        TTokens Tokens;
        Tokens.Ties.swap(FPool.SpareTokens());
        const TScopeExit GiveBack([&] {
            if (!pRoot) ClearTokens(Tokens.Ties);
            if (Tokens.Ties.capacity() > FPool.SpareTokens().capacity())
                Tokens.Ties.swap(FPool.SpareTokens());
        });
        if (!Tokenize(sText, iOffset, iLevel, Tokens)) return false;
        if (!Tokens.Ties.empty())
            pRoot = BuildTree(Tokens.Ties, BuildRules(iLevel), Tokens.Kinds, Tokens.Parentheses);
        return pRoot != nullptr || sText.empty();
    }

    bool Tokenize(std::string_view sText, int iOffset, int iLevel, TTokens& Tokens) {
        std::size_t i = 0;
        while (i < sText.size()) {
            const char cKind = TokenKind(sText[i]);
            const int iPos = iOffset + static_cast<int>(i);
            Tokens.Kinds.push_back(cKind);
            if (cKind == '(' || cKind == ')') {
                AddParenthesis(Tokens.Ties, Tokens.Parentheses, iPos);
                ++i;
                continue;
            }
            TTie& Tie = *AddTie(Tokens.Ties, FPool);
            Tie.iPos = iPos;
            if (cKind != 0) {
                Tie.sName = sText[i++];
                continue;
            }
            const std::size_t iStart = i;
            while (i < sText.size() && !IsOneChar(sText[i])) ++i;
            Tie.sName = sText.substr(iStart, i - iStart);
            if (rtl::TryStrToFloat(Tie.sName, Tie.rValue)) Tie.bNumber = Tie.bConst = true;
            else if (!TakeName(Tie, sText, iOffset, iLevel, i)) return false;
        }
        return true;
    }

    // Takes a name token; iEnd is just past the name, and moves past the argument list
    // that the name takes, if any. False after an error has been reported.
    bool TakeName(TTie& Tie, std::string_view sText, int iOffset, int iLevel, std::size_t& iEnd) {
        const TNameUse Use = FRules.Use(Tie);
        if (Use == TNameUse::Unknown) return Fail(Tie.iPos, Traits.iUnknownName);
        // Upper-cased once here, so that evaluation hands out the name without copying.
        Tie.sUpperName = FPool.Intern(FRules.UpperName(Tie));
        if (Use == TNameUse::Plain) return true;
        if (iEnd >= sText.size() || sText[iEnd] != '(')
            return !Traits.bCallsNeedArguments || Fail(Tie.iPos, Traits.iNoArguments);

        const int iCallLevel = iLevel + 1;
        const bool bTooDeep = iCallLevel > Traits.iMaxCallNesting;
        const bool bAhead = Traits.bRefuseDeepCallsAhead;
        const TArgumentList List =
            ScanArgumentList(sText, iEnd, FDelimiter, iCallLevel, bAhead ? Traits.iMaxCallNesting : INT_MAX);
        if (List.bTooDeep || (bAhead && bTooDeep)) return Fail(Tie.iPos, Traits.iTooDeep);
        if (List.bQuoted || List.iDepth != 0) {
            const int iLast = iOffset + static_cast<int>(sText.size()) - 1;
            return Fail(iLast, List.bQuoted ? Traits.iOpenString : beNoClosing);
        }
        const std::string_view sList = sText.substr(iEnd + 1, List.iEnd - 1 - (iEnd + 1));
        Tie.sParams.Assign(FText, sList);
        if (Traits.bCallsNeedArguments && sList.empty())
            return Fail(Tie.iPos + static_cast<int>(Tie.sName.size()), Traits.iEmptyArguments);
        if (bTooDeep) return Fail(Tie.iPos, Traits.iTooDeep);
        iEnd = List.iEnd;
        return ParseArguments(Tie, sList, iCallLevel);
    }

    // Splits the argument list sList of Call, which lies inside iLevel calls and has
    // no arguments yet, into Call's arguments, and parses each that is no string.
    bool ParseArguments(TTie& Call, std::string_view sList, int iLevel) {
        const int iFirst = Call.iPos + static_cast<int>(Call.sName.size()) + 1;
        return SplitArguments(sList, FDelimiter, FSeparator, [&](std::string_view sArg, std::size_t iStart) {
            rParam& Arg = Call.arrParams.emplace_back();
            ++Call.iParCount;
            if (IsStringArgument(sArg, FDelimiter)) {
                Arg.bIsString = true;
                Arg.sValue = sArg.substr(1, sArg.size() - 2);
                return true;
            }
            // Exceptions (a failed fold, a throwing OnError handler) are not swallowed:
            // an argument that failed must not count as 0 in a successful parse.
            return ParsePart(Arg.pTie, sArg, iFirst + static_cast<int>(iStart), iLevel);
        });
    }

    TBuildRules BuildRules(int iLevel) {
        TBuildRules Rules;
        Rules.IsSignedName = [this](const TTie& Tie) { return FRules.IsSignedName(Tie); };
        Rules.Report = [this](int iErrCode, int iPos) { FRules.Report(iPos, iErrCode); };
        if (FRules.FoldsAt(iLevel)) Rules.Fold = [this](TTie& Tie) { FRules.Fold(Tie); };
        Rules.pScratch = &FPool.BuildScratch();
        return Rules;
    }

    bool Fail(int iPos, int iErrCode) {
        FRules.Report(iPos, iErrCode);
        return false;
    }

    TRules FRules;
    TTiePool& FPool;
    TSharedText FText;
    const char& FDelimiter;
    const char& FSeparator;
};

// A handler may assign the component a new text while the parse reads it: the parse
// reads its own copy.
template <class TRules>
auto TEngineComponent::ParserFor(TRules Rules, std::string_view sText) {
    return TParser(Rules, *FPool, std::make_shared<const std::string>(sText), FStringDelimiter,
                   FParSeparator);
}

}  // namespace quorix::core
