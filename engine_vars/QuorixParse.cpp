// TQuorix, variables flavour: parsing, through the parser both flavours share, with
// this flavour's rules. Its delimiter "'" and separator ";" are fixed.
#include <string>

#include "engine/core/Parser.hpp"
#include "engine_vars/Quorix.hpp"
#include "framework/base/TextCase.hpp"

namespace quorix {
inline namespace gen5 {

// A name is a variable or a function; a function takes a non-empty argument list.
struct TQuorix::TParseRules {
    static constexpr core::TParseTraits Traits{MaxCallNesting, false,     true,          qeUnknownName,
                                               qeOpenString,   qeTooDeep, qeNoArguments, qeEmptyArguments};
    TQuorix& Self;

    core::TNameUse Use(TTie& Tie) const {
        if (Self.IsVariableName(Tie.sName)) return core::TNameUse::Plain;
        return Self.IsFunctionName(Tie.sName) ? core::TNameUse::Call : core::TNameUse::Unknown;
    }
    static std::string UpperName(const TTie& Tie) { return rtl::UpperCase(Tie.sName); }
    bool IsSignedName(const TTie& Tie) const {
        return Self.IsVariableName(Tie.sName) || Self.IsFunctionName(Tie.sName);
    }
    // Only the whole text folds; argument lists stay as written. A constant division
    // by zero reports error 9 here and folds to 0.
    bool FoldsAt(int iLevel) const { return Self.FOptimize && iLevel == 0; }
    void Fold(TTie& Tie) {
        Tie.rValue = Self.CalcOnBST(&Tie);
        Tie.bConst = true;
    }
    void Report(int iPos, int iErrCode) { Self.ReportError(iPos, iErrCode); }
};

bool TQuorix::ParseText(TTie*& pRoot) { return ParserFor(TParseRules{*this}, FText).Parse(pRoot); }

void TQuorix::CreateBST() {
    if (IsBusy() || FTieList.empty()) return;
    TTie* pRoot = ParserFor(TParseRules{*this}, {}).Build(FTieList);
    if (pRoot) AdoptTree(pRoot);
}

bool TQuorix::CalcParams(TTie*& pTie) {
    return ForgetArguments(pTie) && !pTie->sParams.empty() &&
           ParserFor(TParseRules{*this}, pTie->sParams.view()).ParseArgumentsOf(*pTie, 1);
}

}  // namespace gen5
}  // namespace quorix
