// What both flavours' TQuorix share: the text and its parse, the published switches,
// the Functions list and the error event, printing, and what keeps the component
// consistent when a handler calls back into it. Each flavour adds its names, its
// parse rules and its evaluation.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/core/Bindings.hpp"
#include "engine/core/Errors.hpp"
#include "engine/core/ProgramCache.hpp"
#include "engine/core/ResolvedCall.hpp"
#include "engine/core/Retired.hpp"
#include "engine/core/Rows.hpp"
#include "engine/core/Tie.hpp"
#include "engine/core/TiePool.hpp"
#include "framework/base/Component.hpp"
#include "framework/base/Properties.hpp"
#include "framework/base/StringList.hpp"
#include "framework/base/Types.hpp"

namespace quorix::core {

using TOnErrorEvent = std::function<void(int iPos, int iErrCode)>;

class TEngineComponent : public rtl::TComponent {
public:
    const std::string& Text() const { return FText; }
    void SetText(const std::string& sValue);
    rtl::TStrings* Functions() const { return FFunctions.get(); }
    void SetFunctions(const rtl::TStrings* Value) { AssignList(*FFunctions, Value); }
    bool AutoCalc() const { return FAutoCalc; }
    void SetAutoCalc(bool bValue) { FAutoCalc = bValue; }
    bool AutoParse() const { return FAutoParse; }
    void SetAutoParse(bool bValue) { FAutoParse = bValue; }
    bool Optimize() const { return FOptimize; }
    void SetOptimize(bool bValue) { FOptimize = bValue; }
    const TOnErrorEvent& OnError() const { return FOnError.Get(); }
    void SetOnError(TOnErrorEvent Value) { FOnError.Set(std::move(Value), IsBusy(), FRetired); }

    rtl::Extended Value() const { return FValue; }

    bool Parse() {
        // Every Calc parses first: a text parsed already, with nothing to redo, is the
        // common case.
        if (FParsed && !FAutoCalc && !NeedsReparse()) return true;
        return ParseNow();
    }
    virtual bool Calc() = 0;

    // Ties sName (any letter case) to the value at pValue, which every evaluation then
    // reads from memory instead of asking a handler; nil unties it. A bound name counts
    // as listed (in this flavour's names without arguments) without being added to a
    // list, and is never stored with the component. The caller keeps the value alive
    // while it is bound. Safe from inside a handler; takes effect at the next Calc.
    void Bind(const std::string& sName, const rtl::Extended* pValue);
    void Unbind(const std::string& sName) { Bind(sName, nullptr); }
    // Ties the function sName (any letter case) to pRoutine, which then answers every
    // call of it with exactly the routine's count of arguments, all numbers, in the
    // handler's place and without calling it; nil unties it. Other calls of the name,
    // and calls of a built-in's name, are answered as before. The name counts as
    // listed in Functions without being added to it, and is never stored with the
    // component. The routine must compute from its arguments alone, with no other
    // effect: calls whose arguments are constants may be computed once, and a row in
    // doubt computed again. Its value is taken as a handler's: one that is not finite
    // raises, and what it throws propagates. Changes take effect as Bind's do.
    void BindFunction(const std::string& sName, rtl::Extended (*pRoutine)(rtl::Extended)) {
        BindRoutine(sName, {nullptr, pRoutine, nullptr, {}, true});
    }
    void BindFunction(const std::string& sName, rtl::Extended (*pRoutine)(rtl::Extended, rtl::Extended)) {
        BindRoutine(sName, {nullptr, nullptr, pRoutine, {}, true});
    }
    void UnbindFunction(const std::string& sName) { BindRoutine(sName, {}); }

    // Evaluates the text for nRows rows: each bound pointer is then the start of a
    // column of nRows values. Row i's value goes to Results[i], and, if Statuses is
    // not empty, its status to Statuses[i]: both as a Calc of that row alone would
    // give them (the value is Value() after it, 0 when it raised). Handlers are called
    // as by a Calc per row, in row order. Returns the count of rows that Failed. A
    // math failure of a row is its status; any other exception propagates, leaving
    // the rows before it written. Results and Statuses (unless empty) must hold nRows.
    std::size_t CalcRows(std::size_t nRows, std::span<rtl::Extended> Results,
                         std::span<TRowStatus> Statuses = {});
    std::string GetParsedText() { return ReadInOrder(FRoot); }
    // Lists owned by the component; callers must not free them.
    rtl::TStrings* GetUsedFun() {
        return UsedList(*FUsedFun, FUsedFunValid, [this] { ReadUsedFun(FRoot); });
    }
    bool IsFunctionUsed(const std::string& sName) { return GetUsedFun()->IndexOf(sName) >= 0; }

    void ClearBST(TTie*& pRoot) { core::ClearBST(pRoot); }
    std::string ReadInOrder(TTie* pTie);
    virtual void ReadUsedFun(TTie* pTie) = 0;

private:
    bool ParseNow();
    enum class TBlockRun { Done, NeedsParse, Refused };
    TBlockRun CalcBlock(std::size_t iFirst, std::size_t nRows, rtl::Extended* pResults);
    TRowStatus CalcRow(std::size_t iRow, rtl::Extended& rResult);
    void BindRoutine(const std::string& sName, const TPureCall& Routine) {
        FBindings.SetRoutine(sName, Routine, IsBusy());
    }
    bool NeedsReparse() const { return FParsed && FParsedNames != FBindings.NamesVersion() && !IsBusy(); }

protected:
    TEngineComponent(rtl::TComponent* AOwner, bool bOptimize, TBareName BareName);
    ~TEngineComponent() override;

    TTie* Root() const { return FRoot; }
    // Parses FText (read once, before any handler runs) into pRoot, nil on entry.
    virtual bool ParseText(TTie*& pRoot) = 0;
    // Forgets the parse of the present text: tree, result and used lists.
    virtual void DiscardParse();
    void ReportError(int iPos, int iErrCode);
    // The value bound to a name without arguments, or nil.
    const rtl::Extended* FindBound(const TTie& Tie) const {
        return Tie.iParCount == 0 ? FBindings.Find(Tie.sName) : nullptr;
    }
    bool IsBoundName(const std::string& sName) const { return FBindings.Find(sName) != nullptr; }
    // The bound routine that answers the call at Tie, or nil.
    const TPureCall* FindRoutine(const TTie& Tie) const { return FBindings.RoutineFor(Tie); }
    // The program of the present tree, its names pointed at the present bindings.
    TProgram& LinkedProgram();
    // What the call at Tie (or the name without arguments, when not bound) resolves
    // to, asked once per compiled program: by default nothing, so that every call goes
    // to the flavour's rules by name.
    virtual TResolvedCall ResolveCall(const TTie& Tie) const;
    // A parser with a flavour's Rules over one copy of sText, which the nodes made from
    // it share (see Parser.hpp).
    template <class TRules>
    auto ParserFor(TRules Rules, std::string_view sText);
    // A list property's setter: a copy of Value, or empty for nil.
    static void AssignList(rtl::TStrings& List, const rtl::TStrings* Value);
    // Listed in Functions, or bound to a routine.
    bool IsFunctionName(const std::string& sName) const {
        return FFunctions->IndexOf(sName) >= 0 || FBindings.FindRoutine(sName) != nullptr;
    }
    // Fills List by Read on first demand after a parse; before one it stays as it is.
    rtl::TStrings* UsedList(rtl::TStrings& List, bool& bValid, const std::function<void()>& Read);
    // Adds sName upper-cased to a used list, unless it is there.
    static void AddUsed(rtl::TStrings& List, const std::string& sName);

    bool IsBusy() const { return FInParse || FEvaluating > 0; }
    // CalcParams' first step: empties the arguments of the call at pTie, so that its
    // list can be split again, and has the tree compiled afresh at its next
    // evaluation. False for nil, and while the component parses or evaluates (the
    // nodes are in use).
    bool ForgetArguments(TTie* pTie);
    // Makes pRoot, built by other means than Parse, the parsed tree of the present
    // text in place of the one there was.
    void AdoptTree(TTie* pRoot);
    // What waits for the end of every parse and evaluation: retired trees and
    // handlers go, bindings made meanwhile take effect.
    void CatchUpWhenIdle() {
        if (IsBusy()) return;
        if (!FRetired.empty()) FRetired.clear();
        if (FBindings.HasPending()) FBindings.ApplyPending();
    }

    // Counts an evaluation in progress for as long as it lives: meanwhile a discarded
    // tree (and a replaced handler) is retired rather than released.
    class TEvaluating {
    public:
        explicit TEvaluating(TEngineComponent& Self) : FSelf(Self) { ++FSelf.FEvaluating; }
        ~TEvaluating() {
            --FSelf.FEvaluating;
            FSelf.CatchUpWhenIdle();
        }
        TEvaluating(const TEvaluating&) = delete;
        TEvaluating& operator=(const TEvaluating&) = delete;

    private:
        TEngineComponent& FSelf;
    };

    TTiePool::THandle FPool;  // the nodes of every tree this component parses
    TTie* FRoot = nullptr;
    char FStringDelimiter = '\'';
    char FParSeparator = ';';
    std::string FText;
    rtl::Extended FValue = 0;
    bool FAutoCalc = false;
    bool FAutoParse = false;
    bool FOptimize;
    bool FParsed = false;
    bool FUsedFunValid = false;
    bool FInCalc = false;
    std::unique_ptr<rtl::TStringList> FFunctions;
    std::unique_ptr<rtl::TStringList> FUsedFun;
    // Handlers live on the heap so that one replaced while it runs stays alive.
    THandler<TOnErrorEvent> FOnError;
    TProgramCache FProgram;  // of FRoot
    TBindings FBindings;
    uint64_t FParsedNames = 0;  // FBindings.NamesVersion() when the present tree was parsed
    std::size_t FRow = 0;       // the row an evaluation reads of each bound column
    int FRowError = 0;          // the first code reported since it was last cleared

    // Handlers may call back into the component while it parses or evaluates. These
    // keep it consistent: every discarded parse counts one generation, so a parse or
    // an evaluation can tell that the text changed under it; a parse refuses to nest;
    // a tree discarded while being evaluated (and a handler replaced while it runs)
    // is kept until the component is idle again, so no freed node or handler is
    // touched.
    uint64_t FGeneration = 0;
    bool FInParse = false;
    int FEvaluating = 0;
    TRetired FRetired;
};

// The class information of flavour T: its own published properties, then the
// switches, of which only Optimize's default differs. Both flavours are published as
// "TQuorix", the class name their stored components carry.
template <class T>
rtl::TClassInfo ClassInfoOf(std::vector<rtl::TPropInfo> Properties, bool bOptimize) {
    Properties.push_back(rtl::MakeProperty("AutoCalc", &T::AutoCalc, &T::SetAutoCalc, false));
    Properties.push_back(rtl::MakeProperty("AutoParse", &T::AutoParse, &T::SetAutoParse, false));
    Properties.push_back(rtl::MakeProperty("Optimize", &T::Optimize, &T::SetOptimize, bOptimize));
    const auto Create = [](rtl::TComponent* AOwner) -> rtl::TComponent* { return new T(AOwner); };
    return {"TQuorix", &rtl::TComponent::StaticClassInfo(), Create, std::move(Properties)};
}

}  // namespace quorix::core

// The records and the error event, as both flavours' units publish them.
namespace quorix {
using core::rParam;
using core::sCharOperator;
using core::sOneChars;
using core::TOnErrorEvent;
using core::TRowFault;
using core::TRowStatus;
using core::TTie;
using core::TTieList;
}  // namespace quorix
