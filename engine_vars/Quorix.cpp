// TQuorix, variables flavour: construction, published surface and the usage
// queries. Parsing is in QuorixParse.cpp, evaluation in QuorixCalc.cpp.
#include "engine_vars/Quorix.hpp"

#include <memory>

#include "engine/core/Evaluation.hpp"
#include "engine/core/TreeWalks.hpp"
#include "framework/base/Properties.hpp"

namespace quorix {
inline namespace gen5 {

// Not registered for reading stored components: the class shares its name with the
// other flavour's, which is (see engine/Quorix.cpp).
TQuorix::TQuorix(rtl::TComponent* AOwner)
    : core::TEngineComponent(AOwner, false, core::TBareName::Variable),
      FVariables(std::make_unique<rtl::TStringList>()),
      FUsedVar(std::make_unique<rtl::TStringList>()) {}

TQuorix::~TQuorix() { core::ClearTokens(FTieList); }

const rtl::TClassInfo& TQuorix::StaticClassInfo() {
    static const rtl::TClassInfo Info = core::ClassInfoOf<TQuorix>(
        {rtl::MakeProperty("Text", &TQuorix::Text, &TQuorix::SetText),
         rtl::MakeProperty("Functions", &TQuorix::Functions, &TQuorix::SetFunctions),
         rtl::MakeProperty("Variables", &TQuorix::Variables, &TQuorix::SetVariables)},
        false);
    return Info;
}

void TQuorix::DiscardParse() {
    core::TEngineComponent::DiscardParse();
    FUsedVar->Clear();
    FUsedVarValid = false;
}

// ---- Usage queries -----------------------------------------------------------------
// Both walks visit a node, then the arguments of a listed function, then the left
// and the right operand, so every name is listed in order of first appearance.

void TQuorix::ReadUsedFun(TTie* pTie) {
    core::WalkPreOrder(pTie, [this](const TTie& Node) {
        if (!IsCall(Node)) return false;
        AddUsed(*FUsedFun, Node.sName);
        return true;
    });
}

void TQuorix::ReadUsedVar(TTie* pTie) {
    core::WalkPreOrder(pTie, [this](const TTie& Node) {
        if (IsCall(Node)) return true;
        if (core::IsNameNode(Node) && Node.iParCount == 0 && IsVariableName(Node.sName))
            AddUsed(*FUsedVar, Node.sName);
        return false;
    });
}

}  // namespace gen5
}  // namespace quorix
