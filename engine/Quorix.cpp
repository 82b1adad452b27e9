// TQuorix: construction, published surface, text changes, built-in names, printing
// and the usage queries. Parsing is in QuorixParse.cpp, evaluation in QuorixCalc.cpp.
#include "engine/Quorix.hpp"

#include "engine/core/Evaluation.hpp"
#include "engine/core/TreeWalks.hpp"
#include "framework/base/Exceptions.hpp"
#include "framework/base/Properties.hpp"

namespace quorix {
inline namespace gen4 {

namespace {

// Stored components find the class by name. The variables flavour has the same class
// name and does not register itself, so that which class a stored "TQuorix" reads
// as never depends on the order in which a program's units start: a program that
// reads stored components of the variables flavour registers that class itself.
const rtl::TClassRegistration gRegistration(TQuorix::StaticClassInfo());

}  // namespace

TQuorix::TQuorix(rtl::TComponent* AOwner)
    : core::TEngineComponent(AOwner, true, core::TBareName::Call),
      FBuildInFun(std::make_unique<rtl::TStringList>()) {}

TQuorix::~TQuorix() = default;

const rtl::TClassInfo& TQuorix::StaticClassInfo() {
    static const rtl::TClassInfo Info = core::ClassInfoOf<TQuorix>(
        {rtl::MakeProperty("StringDelimiter", &TQuorix::StringDelimiter, &TQuorix::SetStringDelimiter),
         rtl::MakeProperty("ParSeparator", &TQuorix::ParSeparator, &TQuorix::SetParSeparator),
         rtl::MakeProperty("Text", &TQuorix::Text, &TQuorix::SetText),
         rtl::MakeProperty("Functions", &TQuorix::Functions, &TQuorix::SetFunctions)},
        true);
    return Info;
}

// ---- Characters, built-ins, usage ------------------------------------------------

void TQuorix::SetStringDelimiter(char cValue) { SetCharacter(FStringDelimiter, cValue); }
void TQuorix::SetParSeparator(char cValue) { SetCharacter(FParSeparator, cValue); }

void TQuorix::SetCharacter(char& cField, char cValue) {
    if (core::IsOneChar(cValue)) throw rtl::Exception("Entered char is operator or parenthesis.");
    DiscardParse();
    cField = cValue;
}

void TQuorix::DiscardParse() {
    core::TEngineComponent::DiscardParse();
    FCalculated = false;
}

bool TQuorix::IsFunBuildIn(const std::string& sName) const { return FBuildInFun->IndexOf(sName) >= 0; }

void TQuorix::GetFunBuildIn(const std::string&, std::span<const rParam>, int, int&, rtl::Extended& Result) {
    Result = 0;
}

const void* TQuorix::FindBuildIn(const std::string&) const { return nullptr; }

const core::TPureCall* TQuorix::PureBuildIn(const void*) const { return nullptr; }

core::TResolvedCall TQuorix::ResolveCall(const TTie& Tie) const {
    const void* pBuildIn = Tie.bBuildIn ? FindBuildIn(Tie.sUpperName) : nullptr;
    return {pBuildIn, pBuildIn ? PureBuildIn(pBuildIn) : nullptr};
}

void TQuorix::CallBuildIn(const void*, std::span<const rParam>, int, int&, rtl::Extended& Result) {
    Result = 0;
}

void TQuorix::AddBuildInFun(const std::string& sName) { FBuildInFun->Add(sName); }

void TQuorix::ReadUsedFun(TTie* pTie) {
    core::WalkPreOrder(pTie, [this](const TTie& Tie) {
        if (!core::IsNameNode(Tie)) return false;
        const bool bUsed = IsFunBuildIn(Tie.sName) || (IsFunctionName(Tie.sName) && Tie.iParCount > 0);
        if (bUsed) AddUsed(*FUsedFun, Tie.sName);
        return bUsed;
    });
}

}  // namespace gen4
}  // namespace quorix
