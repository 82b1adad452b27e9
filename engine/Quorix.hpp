// Unit Quorix: TQuorix, the expression-evaluating component. It cuts its Text into
// tokens, builds a binary tree of TTie nodes, folds constant operators, evaluates the
// tree to an Extended, prints it back as normalised text and lists the functions it
// calls. Problems in the expression go to OnError (position, code) and to the Boolean
// results of Parse and Calc.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/Errors.hpp"
#include "engine/core/ProgramCache.hpp"
#include "engine/core/Tie.hpp"
#include "engine/core/TiePool.hpp"
#include "framework/Component.hpp"
#include "framework/StringList.hpp"
#include "framework/Types.hpp"

namespace quorix {
inline namespace gen4 {

using core::rParam;
using core::sCharOperator;
using core::sOneChars;
using core::TTie;
using core::TTieList;

// Codes handed to OnError. Functions report their own non-zero codes as well.
enum TQuorixError : int {
    qeOperand = core::beOperand,
    qeNoClosing = core::beNoClosing,
    qeNoOpening = core::beNoOpening,
    qeUnknownName = 5,    // neither a number, nor a built-in, nor listed in Functions
    qeOpenString = 6,     // a string delimiter left open in an argument list
    qeDivisionByZero = 7, // a division by exactly 0
    qeTooDeep = 8,        // calls nested deeper than MaxCallNesting
};

using TOnErrorEvent = std::function<void(int iPos, int iErrCode)>;
using TOnGetFunctionEvent = std::function<void(const std::string& sName, std::span<const rParam> arrPar,
                                               int ParCount, int& iErrCode, rtl::Extended& Result)>;

class TQuorix : public rtl::TComponent {
public:
    // Calls nested deeper than this inside one another are refused with qeTooDeep,
    // before any of the text is parsed: parsing recurses once per nested argument
    // list, so this bounds the stack a text can claim.
    static constexpr int MaxCallNesting = 64;

    explicit TQuorix(rtl::TComponent* AOwner);
    ~TQuorix() override;

    static const rtl::TClassInfo& StaticClassInfo();
    const rtl::TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    // Published properties.
    char StringDelimiter() const { return FStringDelimiter; }
    void SetStringDelimiter(char cValue);
    char ParSeparator() const { return FParSeparator; }
    void SetParSeparator(char cValue);
    const std::string& Text() const { return FText; }
    void SetText(const std::string& sValue);
    rtl::TStrings* Functions() const { return FFunctions.get(); }
    void SetFunctions(const rtl::TStrings* Value);
    bool AutoCalc() const { return FAutoCalc; }
    void SetAutoCalc(bool bValue) { FAutoCalc = bValue; }
    bool AutoParse() const { return FAutoParse; }
    void SetAutoParse(bool bValue) { FAutoParse = bValue; }
    bool Optimize() const { return FOptimize; }
    void SetOptimize(bool bValue) { FOptimize = bValue; }
    const TOnGetFunctionEvent& OnGetFunction() const { return FOnGetFunction.Get(); }
    void SetOnGetFunction(TOnGetFunctionEvent Value);
    const TOnErrorEvent& OnError() const { return FOnError.Get(); }
    void SetOnError(TOnErrorEvent Value);

    rtl::Extended Value() const { return FValue; }

    bool Parse();
    bool Calc();
    std::string GetParsedText();
    rtl::TStrings* GetUsedFun();
    bool IsFunctionUsed(const std::string& sName);

protected:
    // For subclasses that supply built-in functions.
    bool IsFunBuildIn(const std::string& sName) const;
    virtual void GetFunBuildIn(const std::string& sName, std::span<const rParam> arrPar, int ParCount,
                               int& iErrCode, rtl::Extended& Result);
    void AddBuildInFun(const std::string& sName);

    // The component's own steps. InternalParse parses sText, which starts at iOffset
    // in the whole text, into pRoot (nil on entry).
    bool InternalParse(TTie*& pRoot, std::string_view sText, int iOffset);
    void ClearBST(TTie*& pRoot);
    // The tree walker: evaluates the subtree at pTie node by node.
    rtl::Extended CalcOnBST(TTie* pTie);
    // Calc's evaluation of the parsed tree: the same as CalcOnBST(Root()), run as the
    // tree's compiled program.
    virtual rtl::Extended EvaluateTree();
    TTie* Root() const { return FRoot; }
    std::string ReadInOrder(TTie* pTie);
    void ReadUsedFun(TTie* pTie);

private:
    struct TParseRules;
    class TEvalRules;
    void SetCharacter(char& cField, char cValue);
    // Forgets the parse of the present text: tree, result and used-function list.
    void DiscardParse();
    void ReportError(int iPos, int iErrCode);
    bool IsListedFunction(const TTie& Tie) const;
    void FoldConstant(TTie& Tie);
    rtl::Extended CallFunction(TTie& Tie);
    bool IsBusy() const { return FInParse || FEvaluating > 0; }
    void ReleaseRetiredWhenIdle() {
        if (!FRetired.empty() && !IsBusy()) FRetired.clear();
    }

    core::TTiePool::THandle FPool;  // the nodes of every tree this component parses
    TTie* FRoot = nullptr;
    char FStringDelimiter = '\'';
    char FParSeparator = ';';
    std::string FText;
    rtl::Extended FValue = 0;
    bool FAutoCalc = false;
    bool FAutoParse = false;
    bool FOptimize = true;
    bool FParsed = false;
    bool FCalculated = false;
    bool FUsedFunValid = false;
    bool FInCalc = false;
    bool FCalcError = false;
    std::unique_ptr<rtl::TStringList> FFunctions;
    std::unique_ptr<rtl::TStringList> FUsedFun;
    std::unique_ptr<rtl::TStringList> FBuildInFun;
    core::THandler<TOnGetFunctionEvent> FOnGetFunction;
    core::THandler<TOnErrorEvent> FOnError;
    core::TProgramCache FProgram;  // of FRoot

    // Handlers may call back into the component while it parses or evaluates. These
    // keep it consistent: every discarded parse counts one generation, so a parse or
    // an evaluation can tell that the text changed under it; a tree discarded while
    // being evaluated (and a handler replaced while it runs) is kept until the
    // evaluation ends, so no freed node or handler is touched.
    uint64_t FGeneration = 0;
    bool FInParse = false;
    int FEvaluating = 0;
    core::TRetired FRetired;
    int FCallNesting = 0;
};

}  // namespace gen4
}  // namespace quorix
