// TQuorix, variables flavour: the tokenizer, the argument-list scan, the argument
// parser and the tree builder's entry point.
#include <memory>
#include <string>
#include <utility>

#include "engine/core/TreeBuilder.hpp"
#include "engine/core/TreeWalks.hpp"
#include "engine_vars/Quorix.hpp"
#include "framework/Conversions.hpp"
#include "framework/TextCase.hpp"

namespace quorix {
inline namespace gen5 {

namespace {

constexpr char cDelimiter = '\'';
constexpr char cSeparator = ';';

// Runs Undo on every way out of a scope, exceptions included.
template <class F>
class TScopeExit {
public:
    explicit TScopeExit(F Undo) : FUndo(std::move(Undo)) {}
    ~TScopeExit() { FUndo(); }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    F FUndo;
};

}  // namespace

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
    FInParse = true;
    const unsigned iVersion = FTextVersion;
    const std::string sText = FText;  // a handler may assign a new text meanwhile
    TScopeExit Cleanup([this] {
        FInParse = false;
        if (!FRoot) core::ClearTokens(FTieList);
        if (FDepth == 0) FPool->Trim();
        ReleaseRetiredWhenIdle();
    });
    if (Tokenize(sText)) CreateBST();
    if (FTextVersion != iVersion) {
        // The tree describes a text that has been replaced while it was built.
        FProgram.Discard(FRoot);
        FParsed = false;
    }
    return FRoot != nullptr;
}

bool TQuorix::Tokenize(const std::string& sText) {
    FTieKinds.clear();
    FParentheses.clear();
    std::size_t i = 0;
    while (i < sText.size()) {
        const char cKind = core::TokenKind(sText[i]);
        FTieKinds.push_back(cKind);
        if (cKind == '(' || cKind == ')') {
            core::AddParenthesis(FTieList, FParentheses, FPosBase + static_cast<int32_t>(i));
            ++i;
            continue;
        }
        TTie* pTie = core::AddTie(FTieList, *FPool);
        pTie->iPos = FPosBase + static_cast<int32_t>(i);
        if (cKind != 0) {
            pTie->sName = sText[i];
            ++i;
            continue;
        }
        std::size_t p = sText.find_first_of(sOneChars, i);
        if (p == std::string::npos) p = sText.size();
        pTie->sName = sText.substr(i, p - i);
        i = p;
        if (rtl::TryStrToFloat(pTie->sName, pTie->rValue)) {
            pTie->bNumber = true;
            pTie->bConst = true;
            continue;
        }
        // Upper-cased once here, so that evaluation hands out the name without copying.
        pTie->sUpperName = FPool->Intern(rtl::UpperCase(pTie->sName));
        if (IsVariableName(pTie->sName)) continue;
        if (!IsFunctionName(pTie->sName)) {
            ReportError(pTie->iPos, qeUnknownName);
            return false;
        }
        if (p >= sText.size() || sText[p] != '(') {
            ReportError(pTie->iPos, qeNoArguments);
            return false;
        }
        if (!ReadArgumentList(pTie, sText, i)) return false;
    }
    return true;
}

bool TQuorix::ReadArgumentList(TTie* pTie, const std::string& sText, std::size_t& p) {
    const std::size_t s = p;  // the "("
    int iDepth = 1;
    bool bInString = false;
    std::size_t k = s + 1;
    for (; iDepth > 0 && k < sText.size(); ++k) {
        const char c = sText[k];
        if (c == cDelimiter)
            bInString = !bInString;
        else if (!bInString && c == ')')
            --iDepth;
        else if (!bInString && c == '(')
            ++iDepth;
    }
    p = k;
    const int iLast = FPosBase + static_cast<int>(sText.size()) - 1;
    if (bInString) {
        ReportError(iLast, qeOpenString);
        return false;
    }
    if (iDepth != 0) {
        ReportError(iLast, qeNoClosing);
        return false;
    }
    pTie->sParams = std::string_view(sText).substr(s + 1, k - 1 - (s + 1));
    if (pTie->sParams.empty()) {
        ReportError(pTie->iPos + static_cast<int>(pTie->sName.size()), qeEmptyArguments);
        return false;
    }
    return CalcParams(pTie);
}

bool TQuorix::CalcParams(TTie*& pTie) {
    pTie->iParCount = 0;
    pTie->arrParams.clear();
    const std::string& sParams = pTie->sParams;
    if (sParams.empty()) return false;
    if (FDepth >= MaxCallNesting) {
        ReportError(pTie->iPos, qeTooDeep);
        return false;
    }

    // The argument parser hands its reports straight to this component's handlers
    // and never folds: its Optimize stays False.
    const std::unique_ptr<TQuorix> Arguments = std::make_unique<TQuorix>(this);
    Arguments->FPool = FPool;
    Arguments->FOnGetFunction = FOnGetFunction;
    Arguments->FOnGetVariable = FOnGetVariable;
    Arguments->FOnError = FOnError;
    Arguments->SetFunctions(FFunctions);
    Arguments->SetVariables(FVariables);
    Arguments->FDepth = FDepth + 1;

    const int iFirst = pTie->iPos + static_cast<int>(pTie->sName.size()) + 1;
    std::size_t iStart = 0;
    int iDepth = 0;
    bool bInString = false;
    for (std::size_t i = 0; i < sParams.size(); ++i) {
        const char c = sParams[i];
        if (c == cDelimiter)
            bInString = !bInString;
        else if (!bInString && c == '(')
            ++iDepth;
        else if (!bInString && c == ')')
            --iDepth;
        const bool bLast = i + 1 == sParams.size();
        if (!bLast && !(c == cSeparator && !bInString && iDepth == 0)) continue;

        pTie->arrParams.emplace_back();
        ++pTie->iParCount;
        const std::size_t iEnd = bLast ? i + 1 : i;
        const std::string_view sArgument(sParams.data() + iStart, iEnd - iStart);
        const std::size_t iArgStart = iStart;
        iStart = i + 1;

        // Through the empty text, so that a repeated argument is parsed afresh.
        Arguments->SetText(std::string());
        Arguments->SetText(std::string(sArgument));
        rParam& Par = pTie->arrParams.back();
        if (sArgument.size() >= 2 && sArgument.front() == cDelimiter && sArgument.back() == cDelimiter) {
            Par.bIsString = true;
            Par.sValue = sArgument.substr(1, sArgument.size() - 2);
            continue;
        }
        Arguments->FPosBase = iFirst + static_cast<int>(iArgStart);
        // An exception (a throwing OnError handler, for one) passes on: an argument
        // that failed must not count as 0 in a parse that succeeds.
        if (!Arguments->Parse()) return false;
        Par.pTie = std::exchange(Arguments->FRoot, nullptr);
    }
    return true;
}

void TQuorix::CreateBST() {
    core::TBuildRules Rules;
    Rules.IsSignedName = [this](const TTie& Tie) { return IsVariableName(Tie.sName) || IsFunctionName(Tie.sName); };
    Rules.Report = [this](int iErrCode, int iPos) { ReportError(iPos, iErrCode); };
    // A constant division by zero reports error 9 here and folds to 0.
    if (FOptimize)
        Rules.Fold = [this](TTie& Tie) {
            Tie.rValue = CalcOnBST(&Tie);
            Tie.bConst = true;
        };
    Rules.pScratch = &FPool->BuildScratch();
    TTie* pRoot = core::BuildTree(FTieList, Rules, FTieKinds, FParentheses);
    if (!pRoot) return;
    FRoot = pRoot;
    FParsed = true;
}

std::string TQuorix::ReadInOrder(TTie* pTie) { return core::PrintTree(pTie, FRoot, cDelimiter, cSeparator); }

std::string TQuorix::GetParsedText() { return ReadInOrder(FRoot); }

}  // namespace gen5
}  // namespace quorix
