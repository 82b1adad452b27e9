// Unit Quorix, variables flavour: TQuorix with named variables resolved through
// OnGetVariable, a fixed string delimiter "'" and argument separator ";", no
// built-in functions and a function event without an error code.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "engine/core/Errors.hpp"
#include "engine/core/ProgramCache.hpp"
#include "engine/core/Tie.hpp"
#include "engine/core/TiePool.hpp"
#include "framework/Component.hpp"
#include "framework/StringList.hpp"
#include "framework/Types.hpp"

namespace quorix {
inline namespace gen5 {

using core::rParam;
using core::sCharOperator;
using core::sOneChars;
using core::TTie;
using core::TTieList;

using TOnGetFunctionEvent = std::function<void(const std::string& sName, std::span<const rParam> arrPar,
                                               int ParCount, rtl::Extended& Result)>;
using TOnGetVariableEvent = std::function<void(const std::string& sName, rtl::Extended& Result)>;
using TOnErrorEvent = std::function<void(int iPos, int iErrCode)>;

// Codes handed to OnError by this flavour (its own numbering).
enum TQuorixError : int {
    qeOperand = core::beOperand,
    qeNoClosing = core::beNoClosing,
    qeNoOpening = core::beNoOpening,
    qeEmptyArguments = 5,   // a function name followed by "()"
    qeNoArguments = 6,      // a function name not followed by "("
    qeUnknownName = 7,      // neither a number, nor listed in Variables or Functions
    qeOpenString = 8,       // a "'" left open in an argument list
    qeDivisionByZero = 9,   // a division by exactly 0
    qeTooDeep = 10,         // calls nested deeper than MaxCallNesting
};

class TQuorix : public rtl::TComponent {
public:
    // Calls nested deeper than this inside one another are refused with qeTooDeep:
    // parsing recurses once per nested argument list, so this bounds the stack.
    static constexpr int MaxCallNesting = 256;

    explicit TQuorix(rtl::TComponent* AOwner);
    ~TQuorix() override;

    static const rtl::TClassInfo& StaticClassInfo();
    const rtl::TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    // Published properties, in published order.
    const std::string& Text() const { return FText; }
    void SetText(const std::string& sText);
    rtl::TStrings* Functions() const { return FFunctions.get(); }
    void SetFunctions(const rtl::TStrings* Value);
    rtl::TStrings* Variables() const { return FVariables.get(); }
    void SetVariables(const rtl::TStrings* Value);
    bool AutoCalc() const { return FAutoCalc; }
    void SetAutoCalc(bool bValue) { FAutoCalc = bValue; }
    bool AutoParse() const { return FAutoParse; }
    void SetAutoParse(bool bValue) { FAutoParse = bValue; }
    bool Optimize() const { return FOptimize; }
    void SetOptimize(bool bValue) { FOptimize = bValue; }
    const TOnGetFunctionEvent& OnGetFunction() const;
    void SetOnGetFunction(TOnGetFunctionEvent Handler);
    const TOnGetVariableEvent& OnGetVariable() const;
    void SetOnGetVariable(TOnGetVariableEvent Handler);
    const TOnErrorEvent& OnError() const;
    void SetOnError(TOnErrorEvent Handler);

    rtl::Extended Value() const { return FValue; }

    bool Parse();
    bool Calc();
    std::string GetParsedText();

    // Lists owned by the component; callers must not free them.
    rtl::TStrings* GetUsedFun();
    rtl::TStrings* GetUsedVar();
    bool IsFunctionUsed(const std::string& sName);
    bool IsVariableUsed(const std::string& sName);

    // The steps behind the operations above.
    // The tree walker; Calc runs the same evaluation as a compiled program.
    rtl::Extended CalcOnBST(TTie* pTie);
    void ClearBST(TTie*& pTie);
    std::string ReadInOrder(TTie* pTie);
    void ReadUsedFun(TTie* pTie);
    void ReadUsedVar(TTie* pTie);

protected:
    TTie* Root() const { return FRoot; }
    // Calc's evaluation of the parsed tree: the same as CalcOnBST of the root, run as
    // the tree's compiled program.
    virtual rtl::Extended EvaluateTree();

private:
    struct TParseRules;
    struct TEvalRules;
    bool ParseText();
    rtl::Extended ReadVariable(const TTie& Tie);
    rtl::Extended CallFunction(TTie& Tie);
    void ReportError(int iPos, int iErrCode);
    bool IsVariableName(const std::string& sName) const;
    bool IsFunctionName(const std::string& sName) const;
    bool IsCall(const TTie& Tie) const;
    rtl::TStrings* UsedList(rtl::TStrings* List, bool& bValid, void (TQuorix::*Read)(TTie*));

    bool IsBusy() const { return FInCalc || FInParse; }
    void ReleaseRetiredWhenIdle() {
        if (!FRetired.empty() && !IsBusy()) FRetired.clear();
    }

    core::TTiePool::THandle FPool;  // the nodes of every tree this component parses
    TTie* FRoot = nullptr;
    std::string FText;
    rtl::Extended FValue = 0;
    bool FAutoCalc = false;
    bool FAutoParse = false;
    bool FOptimize = false;
    bool FParsed = false;
    bool FUsedFunValid = false;
    bool FUsedVarValid = false;
    bool FInCalc = false;
    std::unique_ptr<rtl::TStringList> FFunctions;
    std::unique_ptr<rtl::TStringList> FVariables;
    std::unique_ptr<rtl::TStringList> FUsedFun;
    std::unique_ptr<rtl::TStringList> FUsedVar;
    // Handlers live on the heap so that one replaced while it runs stays alive.
    core::THandler<TOnGetFunctionEvent> FOnGetFunction;
    core::THandler<TOnGetVariableEvent> FOnGetVariable;
    core::THandler<TOnErrorEvent> FOnError;
    core::TProgramCache FProgram;  // of FRoot

    // Keep the component consistent when a handler calls back into it: a parse
    // refuses to nest, a text assigned while a tree is being walked retires that
    // tree (and a replaced handler itself) until the component is idle again, and
    // a result computed for a text that was replaced meanwhile is not kept: every
    // text assigned counts one generation.
    bool FInParse = false;
    uint64_t FGeneration = 0;
    core::TRetired FRetired;
};

}  // namespace gen5
}  // namespace quorix
