// Unit Quorix: TQuorix, the expression-evaluating component. It cuts its Text into
// tokens, builds a binary tree of TTie nodes, folds constant operators, evaluates the
// tree to an Extended, prints it back as normalised text and lists the functions it
// calls. Problems in the expression go to OnError (position, code) and to the Boolean
// results of Parse and Calc.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "engine/core/EngineComponent.hpp"

namespace quorix {
inline namespace gen4 {

// Codes handed to OnError. Functions report their own non-zero codes as well.
enum TQuorixError : int {
    qeOperand = core::beOperand,
    qeNoClosing = core::beNoClosing,
    qeNoOpening = core::beNoOpening,
    qeUnknownName = 5,     // neither a number, nor a built-in, nor listed in Functions
    qeOpenString = 6,      // a string delimiter left open in an argument list
    qeDivisionByZero = 7,  // a division by exactly 0
    qeTooDeep = 8,         // calls nested deeper than MaxCallNesting
};

using TOnGetFunctionEvent = std::function<void(const std::string& sName, std::span<const rParam> arrPar,
                                               int ParCount, int& iErrCode, rtl::Extended& Result)>;

class TQuorix : public core::TEngineComponent {
public:
    // Calls nested deeper than this inside one another are refused with qeTooDeep,
    // before any of the text is parsed: parsing recurses once per nested argument
    // list, so this bounds the stack a text can claim.
    static constexpr int MaxCallNesting = 64;

    explicit TQuorix(rtl::TComponent* AOwner);
    ~TQuorix() override;

    static const rtl::TClassInfo& StaticClassInfo();
    const rtl::TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    // Published properties besides the shared ones.
    char StringDelimiter() const { return FStringDelimiter; }
    void SetStringDelimiter(char cValue);
    char ParSeparator() const { return FParSeparator; }
    void SetParSeparator(char cValue);
    const TOnGetFunctionEvent& OnGetFunction() const { return FOnGetFunction.Get(); }
    void SetOnGetFunction(TOnGetFunctionEvent Value) {
        FOnGetFunction.Set(std::move(Value), IsBusy(), FRetired);
    }

    bool Calc() override;

protected:
    // For subclasses that supply built-in functions.
    bool IsFunBuildIn(const std::string& sName) const;
    virtual void GetFunBuildIn(const std::string& sName, std::span<const rParam> arrPar, int ParCount,
                               int& iErrCode, rtl::Extended& Result);
    // A built-in found once, when a text is compiled, rather than by name on every
    // call: a handle for the built-in sUpperName that CallBuildIn takes in place of
    // GetFunBuildIn, or nil to have GetFunBuildIn asked every time (the default). A
    // subclass answers only for built-ins that GetFunBuildIn, as its class has it,
    // would answer alike; the handle must stay valid while the component lives.
    virtual const void* FindBuildIn(const std::string& sUpperName) const;
    virtual void CallBuildIn(const void* pBuildIn, std::span<const rParam> arrPar, int ParCount,
                             int& iErrCode, rtl::Extended& Result);
    // The pure routine (see engine/core/ResolvedCall.hpp) that a handle FindBuildIn
    // gave computes by, which a handler-free text may run directly in place of
    // CallBuildIn; nil (the default) to have every call go through CallBuildIn.
    virtual const core::TPureCall* PureBuildIn(const void* pBuildIn) const;
    void AddBuildInFun(const std::string& sName);

    // The component's own steps. InternalParse parses sText, which starts at iOffset
    // in the whole text, into pRoot (nil on entry).
    bool InternalParse(TTie*& pRoot, std::string_view sText, int iOffset);
    // Splits the argument list of the call at pTie (its sParams) into its arguments
    // and parses each that is no string. True for an empty list, which has none; false
    // while the component parses or evaluates.
    bool CalcParams(TTie*& pTie);
    // A new node at the end of Tokens, owned by the list until a tree takes it.
    TTie* AddTie(TTieList& Tokens);
    // Builds Tokens into one tree at pRoot (nil on failure, the reports made).
    void CreateBST(TTie*& pRoot, TTieList& Tokens);
    // The tree walker: evaluates the subtree at pTie node by node.
    rtl::Extended CalcOnBST(TTie* pTie);
    // Calc's evaluation of the parsed tree: the same as CalcOnBST(Root()), run as the
    // tree's compiled program.
    virtual rtl::Extended EvaluateTree();
    void ReadUsedFun(TTie* pTie) override;
    core::TResolvedCall ResolveCall(const TTie& Tie) const override;

private:
    struct TParseRules;
    class TEvalRules;
    bool ParseText(TTie*& pRoot) override { return InternalParse(pRoot, FText, 0); }
    void DiscardParse() override;
    void SetCharacter(char& cField, char cValue);
    bool IsListedFunction(const TTie& Tie) const;
    void FoldConstant(TTie& Tie);
    // Calls the handler, or the built-in (through CallBuildIn when pBuildIn is one),
    // which writes its answer to rResult.
    rtl::Extended CallFunction(TTie& Tie, const void* pBuildIn, rtl::Extended& rResult);
    // The same for a name without arguments; bAnswered false when nobody answers it.
    rtl::Extended CallName(TTie& Tie, const void* pBuildIn, bool& bAnswered, rtl::Extended& rResult);
    rtl::Extended AnsweredValue(const TTie& Tie, int iErrCode, const rtl::Extended& rResult);

    bool FCalculated = false;
    bool FCalcError = false;
    std::unique_ptr<rtl::TStringList> FBuildInFun;
    core::THandler<TOnGetFunctionEvent> FOnGetFunction;
};

}  // namespace gen4
}  // namespace quorix
