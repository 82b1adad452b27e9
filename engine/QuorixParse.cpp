// TQuorix: parsing, through the parser both flavours share, with this flavour's rules.
#include <string>

#include "engine/Quorix.hpp"
#include "engine/core/Arithmetic.hpp"
#include "engine/core/Parser.hpp"
#include "framework/base/TextCase.hpp"

namespace quorix {
inline namespace gen4 {

// Names are built-ins or listed in Functions, all of them called, with or without an
// argument list.
struct TQuorix::TParseRules {
    static constexpr core::TParseTraits Traits{MaxCallNesting, true,         false,
                                               qeUnknownName,  qeOpenString, qeTooDeep};
    TQuorix& Self;

    core::TNameUse Use(TTie& Tie) const {
        Tie.bBuildIn = Self.IsFunBuildIn(Tie.sName);
        return Self.IsListedFunction(Tie) ? core::TNameUse::Call : core::TNameUse::Unknown;
    }
    static std::string UpperName(const TTie& Tie) { return rtl::AnsiUpperCase(Tie.sName); }
    bool IsSignedName(const TTie& Tie) const { return Self.IsListedFunction(Tie); }
    bool FoldsAt(int) const { return Self.FOptimize; }
    void Fold(TTie& Tie) { Self.FoldConstant(Tie); }
    void Report(int iPos, int iErrCode) { Self.ReportError(iPos, iErrCode); }
};

bool TQuorix::InternalParse(TTie*& pRoot, std::string_view sText, int iOffset) {
    return ParserFor(TParseRules{*this}, sText).Parse(pRoot, iOffset);
}

bool TQuorix::CalcParams(TTie*& pTie) {
    return ForgetArguments(pTie) &&
           ParserFor(TParseRules{*this}, pTie->sParams.view()).ParseArgumentsOf(*pTie, 1);
}

TTie* TQuorix::AddTie(TTieList& Tokens) { return core::AddTie(Tokens, *FPool); }

void TQuorix::CreateBST(TTie*& pRoot, TTieList& Tokens) {
    pRoot = ParserFor(TParseRules{*this}, {}).Build(Tokens);
}

bool TQuorix::IsListedFunction(const TTie& Tie) const {
    return Tie.bBuildIn || IsFunctionName(Tie.sName) || IsBoundName(Tie.sName);
}

// A constant division by zero is not folded: the node stays for the evaluator, which
// reports it on every Calc, so no parse ever hides a failed division inside a
// constant. Other failures (overflow, no real value) raise out of the parse.
void TQuorix::FoldConstant(TTie& Tie) {
    const rtl::Extended rLeft = Tie.pLeft->iSign * Tie.pLeft->rValue;
    const rtl::Extended rRight = Tie.pRight->iSign * Tie.pRight->rValue;
    const char cOperator = Tie.sName[0];
    if (cOperator == '/' && rRight == 0) return;
    Tie.rValue = core::ApplyOperator(cOperator, rLeft, rRight) * Tie.iSign;
    Tie.bConst = true;
}

}  // namespace gen4
}  // namespace quorix
