// TQuorix, variables flavour: parsing, through the parser both flavours share, with
// this flavour's rules, and printing.
#include <memory>
#include <string>

#include "engine/core/Parser.hpp"
#include "engine/core/ScopeGuard.hpp"
#include "engine/core/TreeWalks.hpp"
#include "engine_vars/Quorix.hpp"
#include "framework/TextCase.hpp"

namespace quorix {
inline namespace gen5 {

namespace {

constexpr char cDelimiter = '\'';
constexpr char cSeparator = ';';

}  // namespace

// A name is a variable or a function; a function takes a non-empty argument list.
struct TQuorix::TParseRules {
    static constexpr core::TParseErrors Errors{qeUnknownName, qeOpenString, qeTooDeep, qeNoArguments,
                                               qeEmptyArguments};
    static constexpr int MaxCallNesting = TQuorix::MaxCallNesting;
    static constexpr bool bRefuseDeepCallsAhead = false;
    static constexpr bool bCallsNeedArguments = true;

    TQuorix& Self;

    static char Delimiter() { return cDelimiter; }
    static char Separator() { return cSeparator; }
    core::TNameUse Use(TTie& Tie) const {
        if (Self.IsVariableName(Tie.sName)) return core::TNameUse::Plain;
        return Self.IsFunctionName(Tie.sName) ? core::TNameUse::Call : core::TNameUse::Unknown;
    }
    static std::string UpperName(const TTie& Tie) { return rtl::UpperCase(Tie.sName); }
    bool IsSignedName(const TTie& Tie) const { return Self.IsVariableName(Tie.sName) || Self.IsFunctionName(Tie.sName); }
    // Only the whole text folds; argument lists stay as written. A constant division
    // by zero reports error 9 here and folds to 0.
    bool FoldsAt(int iLevel) const { return Self.FOptimize && iLevel == 0; }
    void Fold(TTie& Tie) {
        Tie.rValue = Self.CalcOnBST(&Tie);
        Tie.bConst = true;
    }
    void Report(int iPos, int iErrCode) { Self.ReportError(iPos, iErrCode); }
};

bool TQuorix::Parse() {
    bool bResult = true;
    if (!FParsed && !FText.empty()) {
        if (FInParse) return false;  // a handler asked for a parse while this one runs
        bResult = ParseText();
    }
    if (bResult && FAutoCalc) Calc();
    return bResult;
}

bool TQuorix::ParseText() {
    const uint64_t iGeneration = FGeneration;
    TTie* pRoot = nullptr;
    bool bParsed = false;
    {
        FInParse = true;
        const core::TScopeExit ParseEnd([this] {
            FInParse = false;
            FPool->Trim();
            ReleaseRetiredWhenIdle();
        });
        // One copy for the whole parse: a handler may assign a new text meanwhile.
        TParseRules Rules{*this};
        bParsed = core::TParser(Rules, *FPool, std::make_shared<const std::string>(FText)).Parse(pRoot);
    }
    if (FGeneration != iGeneration) {
        // The tree describes a text that has been replaced while it was built.
        ClearBST(pRoot);
        return false;
    }
    if (!bParsed) return false;
    FRoot = pRoot;
    FParsed = true;
    return true;
}

std::string TQuorix::ReadInOrder(TTie* pTie) { return core::PrintTree(pTie, FRoot, cDelimiter, cSeparator); }

std::string TQuorix::GetParsedText() { return ReadInOrder(FRoot); }

}  // namespace gen5
}  // namespace quorix
