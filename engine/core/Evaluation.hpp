// What an evaluation asks of the flavour, and the tree walker. The walker and the
// compiled program (Program.hpp) evaluate a tree alike, with the same rules class:
// the same values, the same calls in the same order, the same reports and skips.
#pragma once

#include <concepts>
#include <vector>

#include "engine/core/Arithmetic.hpp"
#include "engine/core/ResolvedCall.hpp"
#include "engine/core/Tie.hpp"
#include "framework/base/Types.hpp"

namespace quorix::core {

// How the flavour takes a name without arguments: a variable, read through Read, or
// a call like any other.
enum class TBareName { Variable, Call };

// A flavour whose names without arguments are calls answers one in a single step,
// CanCall and Call at once (nothing runs between the two): 0 with bAnswered false when
// nobody answers it. rAnswer as for Read.
template <class R>
concept AnswersNames = R::BareName == TBareName::Variable ||
                       requires(R& Rules, TTie& Tie, const void* pResolved, bool& bAnswered,
                                rtl::Extended& rAnswer) {
    { Rules.CallName(Tie, pResolved, bAnswered, rAnswer) } -> std::same_as<rtl::Extended>;
};

// Stopped is asked after every call and every operator; when it says so the
// evaluation returns 0 at once and the caller discards the value. Read, CanCall and
// Call serve names and calls that are not bound: a compiled program knows those from
// its link, the walker asks Bound and Routine first. Call's pResolved is what the
// flavour's resolver found for the node when the program was compiled (nil from the
// walker). Read's rAnswer is where the handler writes its answer: where the value
// comes from it, rAnswer holds it afterwards, its sign aside, for a step that reads it
// there.
template <class R>
concept EvaluationRules = requires(R& Rules, TTie& Tie, const void* pResolved, rtl::Extended& rAnswer) {
    { R::BareName } -> std::convertible_to<TBareName>;
    { Rules.Failed() } -> std::same_as<bool>;           // an error now skips every subtree started
    { Rules.Stopped() } -> std::same_as<bool>;          // the evaluation must end (the text changed)
    { Rules.FailedOrStopped() } -> std::same_as<bool>;  // either, in one test: asked after every handler
    { Rules.Bound(Tie) } -> std::same_as<const rtl::Extended*>;  // a name's bound value, or nil
    { Rules.Routine(Tie) } -> std::same_as<const TPureCall*>;    // the bound routine answering a call, or nil
    { Rules.Read(Tie, rAnswer) } -> std::same_as<rtl::Extended>;    // a variable's value, sign applied
    { Rules.CanCall(Tie) } -> std::same_as<bool>;                   // anyone answers this call
    { Rules.Call(Tie, pResolved) } -> std::same_as<rtl::Extended>;  // its arguments' values already stored
    { Rules.DivideByZero(Tie) } -> std::same_as<rtl::Extended>;     // a division by exactly 0
    requires AnswersNames<R>;
};

// A bound value as the engine takes it: a value that is not finite raises as a
// handler's would, and the node's sign applies.
inline rtl::Extended ReadBound(rtl::Extended rValue, bool bNegate) { return Signed(Finite(rValue), bNegate); }

// The call at Tie answered by its bound routine, its arguments' values already
// stored: taken as a handler's answer, so a value that is not finite raises, and the
// node's sign applies.
inline rtl::Extended CallRoutine(const TPureCall& Routine, const TTie& Tie) {
    const rtl::Extended rFirst = Tie.arrParams[0].rValue;
    const rtl::Extended rValue =
        Routine.Binary ? Routine.Binary(rFirst, Tie.arrParams[1].rValue) : Routine.Unary(rFirst);
    return Signed(Finite(rValue), Tie.iSign == -1);
}

// Operator cOperator of node Tie applied to two values, negated when bNegate (the
// node's sign). A division by exactly 0 is the rules' to answer.
template <class TRules>
inline rtl::Extended Operate(char cOperator, rtl::Extended rLeft, rtl::Extended rRight, TTie& Tie,
                             bool bNegate, TRules& Rules) {
    if (cOperator == '/' && rRight == 0) [[unlikely]]
        return Rules.DivideByZero(Tie);
    return Signed(ApplyOperator(cOperator, rLeft, rRight), bNegate);
}

// Evaluates the subtree at pRoot node by node: operands left before right, a call's
// arguments from the last to the first, then the call. It keeps its own stack, so a
// chain as long as the text never exhausts the machine stack.
template <EvaluationRules TRules>
rtl::Extended WalkTree(TTie* pRoot, TRules& Rules) {
    enum TStage { esStart, esLeftDone, esBothDone, esNextArgument, esArgumentDone };
    struct TStep {
        TTie* pTie;
        TStage Stage;
        int iArg;  // a call's argument being (or last) evaluated
    };
    std::vector<TStep> Stack{{pRoot, esStart, 0}};
    std::vector<rtl::Extended> Values;
    const auto Finish = [&](rtl::Extended rValue) {
        Values.push_back(rValue);
        Stack.pop_back();
    };
    while (!Stack.empty()) {
        TStep& Step = Stack.back();
        TTie* p = Step.pTie;
        switch (Step.Stage) {
            case esStart:
                if (!p || Rules.Failed()) {
                    Finish(0);
                } else if (p->bNumber || p->bConst) {
                    Finish(p->iSign * p->rValue);
                } else if (IsOperatorNode(*p)) {
                    Step.Stage = esLeftDone;
                    Stack.push_back({p->pLeft, esStart, 0});
                } else if (const rtl::Extended* pBound = p->iParCount == 0 ? Rules.Bound(*p) : nullptr) {
                    Finish(ReadBound(*pBound, p->iSign == -1));
                } else if (p->iParCount == 0 && TRules::BareName == TBareName::Variable) {
                    rtl::Extended rAnswer;
                    Finish(Rules.Read(*p, rAnswer));
                } else if (!Rules.Routine(*p) && !Rules.CanCall(*p)) {
                    Finish(0);  // nobody answers: the arguments are not even evaluated
                } else {
                    Step.Stage = esNextArgument;
                    Step.iArg = p->iParCount;
                }
                break;
            case esLeftDone:
                Step.Stage = esBothDone;
                Stack.push_back({p->pRight, esStart, 0});
                break;
            case esBothDone: {
                const rtl::Extended rRight = Values.back();
                Values.pop_back();
                const rtl::Extended rLeft = Values.back();
                Values.pop_back();
                Finish(Operate(p->sName[0], rLeft, rRight, *p, p->iSign == -1, Rules));
                if (Rules.Stopped()) return 0;
                break;
            }
            case esNextArgument: {
                int iArg = Step.iArg - 1;
                while (iArg >= 0 && p->arrParams[static_cast<std::size_t>(iArg)].bIsString) --iArg;
                if (iArg >= 0) {
                    Step.iArg = iArg;
                    Step.Stage = esArgumentDone;
                    Stack.push_back({p->arrParams[static_cast<std::size_t>(iArg)].pTie, esStart, 0});
                    break;
                }
                const TPureCall* pRoutine = Rules.Routine(*p);
                Finish(pRoutine ? CallRoutine(*pRoutine, *p) : Rules.Call(*p, nullptr));
                if (Rules.Stopped()) return 0;
                break;
            }
            case esArgumentDone:
                p->arrParams[static_cast<std::size_t>(Step.iArg)].rValue = Values.back();
                Values.pop_back();
                Step.Stage = esNextArgument;
                break;
        }
    }
    return Values.back();
}

}  // namespace quorix::core
