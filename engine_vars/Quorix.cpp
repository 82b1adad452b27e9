// TQuorix, variables flavour: construction, published surface, text changes and the
// usage queries. Parsing is in QuorixParse.cpp, evaluation in QuorixCalc.cpp.
#include "engine_vars/Quorix.hpp"

#include <memory>
#include <utility>

#include "engine/core/TreeWalks.hpp"
#include "framework/Properties.hpp"
#include "framework/TextCase.hpp"

namespace quorix {
inline namespace gen5 {

TQuorix::TQuorix(rtl::TComponent* AOwner)
    : rtl::TComponent(AOwner),
      FPool(core::TTiePool::Create()),
      FFunctions(std::make_unique<rtl::TStringList>()),
      FVariables(std::make_unique<rtl::TStringList>()),
      FUsedFun(std::make_unique<rtl::TStringList>()),
      FUsedVar(std::make_unique<rtl::TStringList>()) {}

TQuorix::~TQuorix() { FProgram.Discard(FRoot); }

const rtl::TClassInfo& TQuorix::StaticClassInfo() {
    static const rtl::TClassInfo Info{
        "TQuorix",
        &rtl::TComponent::StaticClassInfo(),
        [](rtl::TComponent* AOwner) -> rtl::TComponent* { return new TQuorix(AOwner); },
        {
            rtl::MakeProperty("Text", &TQuorix::Text, &TQuorix::SetText),
            rtl::MakeProperty("Functions", &TQuorix::Functions, &TQuorix::SetFunctions),
            rtl::MakeProperty("Variables", &TQuorix::Variables, &TQuorix::SetVariables),
            rtl::MakeProperty("AutoCalc", &TQuorix::AutoCalc, &TQuorix::SetAutoCalc, false),
            rtl::MakeProperty("AutoParse", &TQuorix::AutoParse, &TQuorix::SetAutoParse, false),
            rtl::MakeProperty("Optimize", &TQuorix::Optimize, &TQuorix::SetOptimize, false),
        },
    };
    return Info;
}

void TQuorix::SetText(const std::string& sText) {
    if (sText == FText) return;
    FText = sText;
    ++FGeneration;
    FValue = 0;
    FParsed = false;
    // The evaluation that asked the handler may still be walking this tree.
    if (FInCalc && FRoot) FProgram.Retire(FRoot, FRetired);
    else FProgram.Discard(FRoot);
    FUsedFun->Clear();
    FUsedFunValid = false;
    FUsedVar->Clear();
    FUsedVarValid = false;
    if (FAutoParse) Parse();
}

void TQuorix::SetFunctions(const rtl::TStrings* Value) {
    if (Value) FFunctions->Assign(*Value); else FFunctions->Clear();
}

void TQuorix::SetVariables(const rtl::TStrings* Value) {
    if (Value) FVariables->Assign(*Value); else FVariables->Clear();
}

// A handler may replace itself while it runs: the running one is retired, not released.
void TQuorix::SetOnGetFunction(TOnGetFunctionEvent Handler) { FOnGetFunction.Set(std::move(Handler), IsBusy(), FRetired); }
void TQuorix::SetOnGetVariable(TOnGetVariableEvent Handler) { FOnGetVariable.Set(std::move(Handler), IsBusy(), FRetired); }
void TQuorix::SetOnError(TOnErrorEvent Handler) { FOnError.Set(std::move(Handler), IsBusy(), FRetired); }

const TOnGetFunctionEvent& TQuorix::OnGetFunction() const { return FOnGetFunction.Get(); }
const TOnGetVariableEvent& TQuorix::OnGetVariable() const { return FOnGetVariable.Get(); }
const TOnErrorEvent& TQuorix::OnError() const { return FOnError.Get(); }

void TQuorix::ClearBST(TTie*& pTie) { core::ClearBST(pTie); }

void TQuorix::ReportError(int iPos, int iErrCode) {
    if (FOnError) (*FOnError)(iPos, iErrCode);
}

bool TQuorix::IsVariableName(const std::string& sName) const { return FVariables->IndexOf(sName) >= 0; }
bool TQuorix::IsFunctionName(const std::string& sName) const { return FFunctions->IndexOf(sName) >= 0; }

// ---- Usage queries -----------------------------------------------------------------
// Both walks visit a node, then the arguments of a listed function, then the left
// and the right operand, so every name is listed in order of first appearance.

static void AddOnce(rtl::TStrings& List, const std::string& sName) {
    const std::string sUpper = rtl::UpperCase(sName);
    if (List.IndexOf(sUpper) < 0) List.Add(sUpper);
}

bool TQuorix::IsCall(const TTie& Tie) const { return Tie.iParCount > 0 && IsFunctionName(Tie.sName); }

void TQuorix::ReadUsedFun(TTie* pTie) {
    core::WalkPreOrder(pTie, [this](const TTie& Node) {
        if (!IsCall(Node)) return false;
        AddOnce(*FUsedFun, Node.sName);
        return true;
    });
}

void TQuorix::ReadUsedVar(TTie* pTie) {
    core::WalkPreOrder(pTie, [this](const TTie& Node) {
        if (IsCall(Node)) return true;
        if (core::IsNameNode(Node) && Node.iParCount == 0 && IsVariableName(Node.sName)) AddOnce(*FUsedVar, Node.sName);
        return false;
    });
}

// Fills the list on first demand after a parse; before one it stays as it is.
rtl::TStrings* TQuorix::UsedList(rtl::TStrings* List, bool& bValid, void (TQuorix::*Read)(TTie*)) {
    if (!bValid && FParsed) {
        List->Clear();
        (this->*Read)(FRoot);
        bValid = true;
    }
    return List;
}

rtl::TStrings* TQuorix::GetUsedFun() { return UsedList(FUsedFun.get(), FUsedFunValid, &TQuorix::ReadUsedFun); }
rtl::TStrings* TQuorix::GetUsedVar() { return UsedList(FUsedVar.get(), FUsedVarValid, &TQuorix::ReadUsedVar); }

bool TQuorix::IsFunctionUsed(const std::string& sName) { return GetUsedFun()->IndexOf(sName) >= 0; }
bool TQuorix::IsVariableUsed(const std::string& sName) { return GetUsedVar()->IndexOf(sName) >= 0; }

}  // namespace gen5
}  // namespace quorix
