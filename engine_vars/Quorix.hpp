// Unit Quorix, variables flavour: TQuorix with named variables resolved through
// OnGetVariable, a fixed string delimiter "'" and argument separator ";", no
// built-in functions and a function event without an error code.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "engine/core/EngineComponent.hpp"

namespace quorix {
inline namespace gen5 {

using TOnGetFunctionEvent = std::function<void(const std::string& sName, std::span<const rParam> arrPar,
                                               int ParCount, rtl::Extended& Result)>;
using TOnGetVariableEvent = std::function<void(const std::string& sName, rtl::Extended& Result)>;

// Codes handed to OnError by this flavour (its own numbering).
enum TQuorixError : int {
    qeOperand = core::beOperand,
    qeNoClosing = core::beNoClosing,
    qeNoOpening = core::beNoOpening,
    qeEmptyArguments = 5,  // a function name followed by "()"
    qeNoArguments = 6,     // a function name not followed by "("
    qeUnknownName = 7,     // neither a number, nor listed in Variables or Functions
    qeOpenString = 8,      // a "'" left open in an argument list
    qeDivisionByZero = 9,  // a division by exactly 0
    qeTooDeep = 10,        // calls nested deeper than MaxCallNesting
};

class TQuorix : public core::TEngineComponent {
public:
    explicit TQuorix(rtl::TComponent* AOwner);
    ~TQuorix() override;

    static const rtl::TClassInfo& StaticClassInfo();
    const rtl::TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    // Calls nested deeper than this inside one another are refused with qeTooDeep:
    // parsing recurses once per nested argument list, so this bounds the stack.
    static constexpr int MaxCallNesting = 256;

    // The variables, and the events that answer names.
    rtl::TStrings* Variables() const { return FVariables.get(); }
    void SetVariables(const rtl::TStrings* Value) { AssignList(*FVariables, Value); }
    const TOnGetFunctionEvent& OnGetFunction() const { return FOnGetFunction.Get(); }
    void SetOnGetFunction(TOnGetFunctionEvent Handler) {
        FOnGetFunction.Set(std::move(Handler), IsBusy(), FRetired);
    }
    const TOnGetVariableEvent& OnGetVariable() const { return FOnGetVariable.Get(); }
    void SetOnGetVariable(TOnGetVariableEvent Handler) {
        FOnGetVariable.Set(std::move(Handler), IsBusy(), FRetired);
    }

    bool Calc() override;

    // Lists owned by the component; callers must not free them.
    rtl::TStrings* GetUsedVar() {
        return UsedList(*FUsedVar, FUsedVarValid, [this] { ReadUsedVar(Root()); });
    }
    bool IsVariableUsed(const std::string& sName) { return GetUsedVar()->IndexOf(sName) >= 0; }

    // The parse's steps. CreateBST builds the tokens in FTieList into the parsed tree
    // (on success FTieList is empty; on failure what is left stays there until the
    // next call or the component goes); refused while the component parses or
    // evaluates. CalcParams splits the argument list of the call at pTie (its
    // sParams) into its arguments and parses each that is no string; false for an
    // empty list, as the parse reports it, and while the component parses or
    // evaluates.
    void CreateBST();
    bool CalcParams(TTie*& pTie);
    // The tree walker; Calc runs the same evaluation as a compiled program.
    rtl::Extended CalcOnBST(TTie* pTie);
    void ReadUsedFun(TTie* pTie) override;
    void ReadUsedVar(TTie* pTie);

protected:
    // Calc's evaluation of the parsed tree: the same as CalcOnBST of the root, run as
    // the tree's compiled program.
    virtual rtl::Extended EvaluateTree();

    // Tokens for CreateBST, made with core::AddTie from this component's pool (the
    // parse itself keeps its tokens in a list of its own).
    TTieList FTieList;

private:
    struct TParseRules;
    struct TEvalRules;
    bool ParseText(TTie*& pRoot) override;
    void DiscardParse() override;
    rtl::Extended ReadVariable(const TTie& Tie, rtl::Extended& v);  // the handler writes v
    rtl::Extended CallFunction(TTie& Tie);
    bool IsVariableName(const std::string& sName) const {
        return FVariables->IndexOf(sName) >= 0 || IsBoundName(sName);
    }
    bool IsCall(const TTie& Tie) const { return Tie.iParCount > 0 && IsFunctionName(Tie.sName); }

    std::unique_ptr<rtl::TStringList> FVariables;
    std::unique_ptr<rtl::TStringList> FUsedVar;
    bool FUsedVarValid = false;
    core::THandler<TOnGetFunctionEvent> FOnGetFunction;
    core::THandler<TOnGetVariableEvent> FOnGetVariable;
};

}  // namespace gen5
}  // namespace quorix
