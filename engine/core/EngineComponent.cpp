#include "engine/core/EngineComponent.hpp"

#include "engine/core/Program.hpp"
#include "engine/core/ScopeGuard.hpp"
#include "engine/core/TreeWalks.hpp"
#include "framework/base/TextCase.hpp"

namespace quorix::core {

TEngineComponent::TEngineComponent(rtl::TComponent* AOwner, bool bOptimize, TBareName BareName)
    : rtl::TComponent(AOwner),
      FPool(TTiePool::Create()),
      FOptimize(bOptimize),
      FFunctions(std::make_unique<rtl::TStringList>()),
      FUsedFun(std::make_unique<rtl::TStringList>()),
      FProgram(BareName) {}

TEngineComponent::~TEngineComponent() { FProgram.Discard(FRoot); }

void TEngineComponent::SetText(const std::string& sValue) {
    if (sValue == FText) return;
    FText = sValue;
    DiscardParse();
    if (FAutoParse) Parse();
}

void TEngineComponent::AssignList(rtl::TStrings& List, const rtl::TStrings* Value) {
    if (Value) List.Assign(*Value);
    else List.Clear();
}

void TEngineComponent::DiscardParse() {
    ++FGeneration;
    FValue = 0;
    FParsed = false;
    if (FEvaluating > 0 && FRoot) FProgram.Retire(FRoot, FRetired);
    else FProgram.Discard(FRoot);
    FUsedFun->Clear();
    FUsedFunValid = false;
}

bool TEngineComponent::ForgetArguments(TTie* pTie) {
    if (!pTie || IsBusy()) return false;
    FProgram.Forget();
    for (rParam& Arg : pTie->arrParams) ClearBST(Arg.pTie);
    pTie->iParCount = 0;
    pTie->arrParams.clear();
    return true;
}

void TEngineComponent::AdoptTree(TTie* pRoot) {
    DiscardParse();
    FRoot = pRoot;
    FParsed = true;
    FParsedNames = FBindings.NamesVersion();
}

void TEngineComponent::Bind(const std::string& sName, const rtl::Extended* pValue) {
    FBindings.Set(sName, pValue, IsBusy());
}

TProgram& TEngineComponent::LinkedProgram() {
    TProgram& Program = FProgram.Of(FRoot);
    Program.Link(FBindings, [this](const TTie& Tie) { return ResolveCall(Tie); });
    return Program;
}

TResolvedCall TEngineComponent::ResolveCall(const TTie&) const { return {}; }

void TEngineComponent::ReportError(int iPos, int iErrCode) {
    if (FRowError == 0) FRowError = iErrCode;
    if (FOnError) (*FOnError)(iPos, iErrCode);
}

bool TEngineComponent::ParseNow() {
    // Which names are listed has changed with the bindings: the text may read otherwise.
    if (NeedsReparse()) DiscardParse();
    if (!FParsed) {
        // A handler that asks for a parse while one runs gets no second one.
        if (FInParse) return false;
        TTie* pRoot = nullptr;
        bool bParsed = false;
        const uint64_t iGeneration = FGeneration;
        FParsedNames = FBindings.NamesVersion();
        {
            FInParse = true;
            const TScopeExit ParseEnd([this] {
                FInParse = false;
                FPool->Trim();
                CatchUpWhenIdle();
            });
            bParsed = ParseText(pRoot);
        }
        // Else a handler changed the text, and this tree belongs to the old one.
        const bool bCurrent = FGeneration == iGeneration;
        if (!bCurrent) ClearBST(pRoot);
        if (!bCurrent || !bParsed) return false;
        FRoot = pRoot;
    }
    FParsed = true;
    if (FAutoCalc) Calc();
    return true;
}

std::string TEngineComponent::ReadInOrder(TTie* pTie) {
    return PrintTree(pTie, FRoot, FStringDelimiter, FParSeparator);
}

rtl::TStrings* TEngineComponent::UsedList(rtl::TStrings& List, bool& bValid,
                                          const std::function<void()>& Read) {
    if (!bValid && FParsed) {
        List.Clear();
        Read();
        bValid = true;
    }
    return &List;
}

void TEngineComponent::AddUsed(rtl::TStrings& List, const std::string& sName) {
    if (List.IndexOf(sName) < 0) List.Add(rtl::UpperCase(sName));
}

}  // namespace quorix::core
