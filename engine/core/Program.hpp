// A finished tree compiled once into a flat post-order program, so that evaluating it
// again and again neither walks nodes nor allocates. Both flavours run it through the
// one interpreter below; what differs between them (how a name without arguments is
// read, who answers a call, what a division by zero does, whether an error skips the
// rest) comes from a small rules class each flavour supplies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/core/Arithmetic.hpp"
#include "engine/core/Bindings.hpp"
#include "engine/core/Evaluation.hpp"
#include "engine/core/ResolvedCall.hpp"
#include "engine/core/Tie.hpp"
#include "framework/base/Types.hpp"
#include "framework/math/Math.hpp"

namespace quorix::core {

enum class TOpcode : uint8_t {
    Constant,   // push rValue (sign applied)
    Read,       // push the value of a name without arguments (a variable)
    Bound,      // push the bound value of a name without arguments, read from memory
    CallLeaf,   // a call without arguments: its check and the call in one
    CallStart,  // a call with arguments: whether anyone answers it, checked as it starts
    Call,       // the arguments are on the stack, the first on top
    // The operators: both operands on the stack, or one of them a constant in rValue
    // and the other on the stack.
    Add,
    Subtract,
    Multiply,
    Divide,
    Power,
    AddConstant,
    SubtractConstant,
    MultiplyByConstant,
    DivideByConstant,
    PowerOfConstant,
    ConstantPlus,
    ConstantMinus,
    ConstantTimes,
    ConstantDividedBy,
    ConstantToThePower,
};

// What happens to the value a leaf or a call gives. The run applies an operator that
// takes it at once in the same step, so that the value never goes through memory.
enum class TValueUse : uint8_t {
    Pushed,        // onto the stack
    Operand,       // the next instruction is an operator that takes it alone (a constant beside it)
    RightOperand,  // the next instruction is an operator that takes it and the value below it
};

struct TInstruction {
    rtl::Extended rValue = 0;               // a constant, or an operator's constant operand
    TTie* pTie = nullptr;                   // the node, for names, calls and operators
    const rtl::Extended* pBound = nullptr;  // Bound: the value, or the start of its column
    const void* pResolved = nullptr;        // a call: what the flavour resolved it to, if anything
    const TPureCall* pPure = nullptr;       // a call: the built-in's routine a quick form may run, if any
    const TPureCall* pRoutine = nullptr;    // a call (and its CallStart): the bound routine that answers it
    // For an instruction that starts a subtree (Constant, Read, Bound, CallLeaf,
    // CallStart):
    // the index just past the outermost subtree that starts here, where an evaluation
    // that has already failed resumes. For CallStart, iEnd is just past its own Call.
    uint32_t iSkip = 0;
    uint32_t iEnd = 0;
    TOpcode Opcode = TOpcode::Constant;
    bool bNegate = false;               // the node's sign is -1
    TValueUse Use = TValueUse::Pushed;  // of the value of Constant, a name, Call
    // PowerOfConstant: the constant exponent is whole, iWholeExponent.
    bool bWholeExponent = false;
    int iWholeExponent = 0;

    // The routine a quick form may run in a call's place: a bound one, or the built-in's.
    const TPureCall* QuickCall() const { return pRoutine ? pRoutine : pPure; }
};

// Whether operator opcode Operator takes both operands from the stack.
constexpr bool TakesTwo(TOpcode Operator) { return Operator <= TOpcode::Power; }

class TQuickForm;

class TProgram {
public:
    // Compiles the tree at pRoot (nil evaluates to 0); an operator over constants alone
    // becomes their value where it evaluates cleanly. The tree must stay unchanged and
    // alive as long as the program; only its arguments' values are written.
    TProgram(TTie* pRoot, TBareName BareName);
    ~TProgram();

    const TTie* Root() const { return FRoot; }

    // Points the names without arguments at their bound values, the others back at
    // their handlers, and the calls at their bound routines, the others back at their
    // handlers. Does nothing while the bindings stay as last linked. At the first
    // link, Resolve(node), giving a TResolvedCall, resolves every call once for the
    // program's life; the handle reaches the rules' Call with the node.
    template <class F>
    void Link(const TBindings& Bindings, F&& Resolve) {
        if (FLinked == Bindings.Version()) return;
        if (!FResolved) ResolveCalls(Resolve);
        Relink(Bindings);
    }

    // Runs the program with the flavour's rules, which evaluate as WalkTree does with
    // them; bound values are read at iRow of their columns. Not reentrant: a program
    // runs once at a time (Calc refuses to nest).
    template <EvaluationRules TRules>
    rtl::Extended Run(TRules& Rules, std::size_t iRow = 0);

    // Whether the linked program has a quick form (QuickForm.hpp): only constants,
    // bound names, operators and calls resolved to pure routines with numeric
    // arguments, not nested too deep. No handler is then called.
    bool IsQuick() const { return FQuick != nullptr; }
    // Evaluates a quick program at iRow without testing each step. A NaN, which no
    // quick run that succeeds gives, when there is no quick form or the row needs Run,
    // which reports and raises.
    rtl::Extended RunQuick(std::size_t iRow) const;
    // Evaluates a quick program for rows iFirst to iFirst + nRows - 1 into pResults.
    // False, with pResults in any state, when there is no quick form or a row needs
    // the checked evaluation: a division by zero, a value that is not finite, a math
    // failure.
    bool RunQuickRows(std::size_t iFirst, std::size_t nRows, rtl::Extended* pResults) const;

private:
    template <class F>
    void ResolveCalls(F& Resolve) {
        FResolved = true;
        const auto Take = [&Resolve](TInstruction& In) {
            const TResolvedCall Resolved = Resolve(*In.pTie);
            In.pResolved = Resolved.pHandle;
            In.pPure = Resolved.pPure;
        };
        for (TInstruction& In : FCode)
            if (In.Opcode == TOpcode::Call) Take(In);
        // Names without arguments are calls too when not bound, whatever they are now.
        if (FNameOpcode == TOpcode::CallLeaf)
            for (const uint32_t iName : FNames) Take(FCode[iName]);
    }
    void Relink(const TBindings& Bindings);
    // Runs from instruction p on, rTop the top value and pBelow one past the values
    // below it; bFailed: the evaluation has failed.
    template <bool bFailed, EvaluationRules TRules>
    rtl::Extended RunFrom(TRules& Rules, std::size_t iRow, const TInstruction* p, rtl::Extended* pBelow,
                          rtl::Extended rTop);
    // The value of a name that is not bound, read or called as the flavour takes it.
    // rAnswer: where its handler writes the answer (EvaluationRules).
    template <EvaluationRules TRules>
    [[gnu::always_inline]] static inline rtl::Extended ReadName(TRules& Rules, const TInstruction& In,
                                                                bool& bHandled, rtl::Extended& rAnswer);
    // Operator instruction In applied to the value on top and, when it takes both
    // operands from the stack, the value below it.
    // Always inline: a call would pass its 80-bit operands through memory.
    template <bool bFailed, EvaluationRules TRules>
    [[gnu::always_inline]] static inline rtl::Extended Operator(TRules& Rules, const TInstruction& In,
                                                                rtl::Extended rBelow, rtl::Extended rTop,
                                                                bool& bHandled);

    TTie* FRoot;
    std::vector<TInstruction> FCode;
    std::vector<rtl::Extended> FStack;   // sized for the deepest point, so a run allocates nothing
    std::unique_ptr<TQuickForm> FQuick;  // of the linked program, when it has one
    std::vector<uint32_t> FNames;        // where the names without arguments are
    TOpcode FNameOpcode;                 // how they are read when not bound
    bool FResolved = false;
    uint64_t FLinked = 0;  // the bindings' version last linked
};

// The operator character of an operator opcode of any form, in the order of
// sCharOperator.
constexpr char OperatorOf(TOpcode Operator) {
    return sCharOperator[(static_cast<std::size_t>(Operator) - static_cast<std::size_t>(TOpcode::Add)) % 5];
}

// Stopped is asked after every call and every division by zero, where handlers run.
// An operator with a constant operand takes it from its own instruction. Only a call
// or a division by zero can make the evaluation fail, so the run tests Failed after
// those alone; once it has failed, the rest runs in the mode that gives 0 for every
// subtree started (a constant right operand is started after the left one ends, with
// nothing run in between, so the operator tests Failed for it; a constant left
// operand starts with the operator's whole subtree, whose first instruction tests
// Failed for both).
//
// The top of the value stack is kept in a local, so that a value that is used at once
// never goes through memory: an 80-bit value stored and loaded straight back stalls.
// The stack in memory holds the values below it, the lowest slot a spare one that the
// first push fills.
template <EvaluationRules TRules>
rtl::Extended TProgram::Run(TRules& Rules, std::size_t iRow) {
    if (Rules.Failed()) [[unlikely]]
        return RunFrom<true>(Rules, iRow, FCode.data(), FStack.data(), 0);
    return RunFrom<false>(Rules, iRow, FCode.data(), FStack.data(), 0);
}

template <EvaluationRules TRules>
inline rtl::Extended TProgram::ReadName(TRules& Rules, const TInstruction& In, bool& bHandled,
                                        rtl::Extended& rAnswer) {
    if constexpr (TRules::BareName == TBareName::Variable) {
        bHandled = true;
        return Rules.Read(*In.pTie, rAnswer);
    } else {
        return Rules.CallName(*In.pTie, In.pResolved, bHandled, rAnswer);
    }
}

template <bool bFailed, EvaluationRules TRules>
inline rtl::Extended TProgram::Operator(TRules& Rules, const TInstruction& In, rtl::Extended rBelow,
                                        rtl::Extended rTop, bool& bHandled) {
    rtl::Extended rLeft = rTop, rRight = rTop;
    if (TakesTwo(In.Opcode)) rLeft = rBelow;
    else if (In.Opcode <= TOpcode::PowerOfConstant) rRight = bFailed && Rules.Failed() ? 0 : In.rValue;
    else rLeft = In.rValue;
    const char cOperator = OperatorOf(In.Opcode);
    bHandled = cOperator == '/' && rRight == 0;
    return Operate(cOperator, rLeft, rRight, *In.pTie, In.bNegate, Rules);
}

template <bool bFailed, EvaluationRules TRules>
rtl::Extended TProgram::RunFrom(TRules& Rules, std::size_t iRow, const TInstruction* p, rtl::Extended* pBelow,
                                rtl::Extended rTop) {
    using rtl::Extended;
    const TInstruction* const pCode = FCode.data();
    const TInstruction* const pEnd = pCode + FCode.size();
    // Where a value goes: on the stack, or straight into the operator after it.
    const auto UseOf = [](const TInstruction& In) { return bFailed ? TValueUse::Pushed : In.Use; };
    for (; p != pEnd; ++p) {
        const TInstruction& In = *p;
        // Only an instruction that starts a subtree has iSkip; after an error the
        // subtree gives 0.
        if constexpr (bFailed) {
            if (In.iSkip != 0 && Rules.Failed()) {
                *pBelow++ = rTop;
                rTop = 0;
                p = pCode + In.iSkip - 1;
                continue;
            }
        }
        // What a step that may have run a handler asks before the run goes on: 0 when
        // the text changed, the failed mode when the evaluation failed.
        bool bHandled = false;
        // The top moves down before a leaf or a call is evaluated, unless the operator
        // after it takes both: it is then not held across a handler's call.
        const auto MakeRoom = [&] {
            if (UseOf(In) != TValueUse::RightOperand) *pBelow++ = rTop;
        };
        // Runs Step, which may call a handler. Unless the operator after it takes the top
        // too, the top moves down first and is no longer held, so that it is not kept in
        // a register across the call: Step is inlined on each way for that.
        const auto CallWithRoom = [&](auto&& Step) {
            if (UseOf(In) == TValueUse::RightOperand) return Step();
            *pBelow++ = rTop;
            rTop = 0;
            return Step();
        };
        Extended rValue = 0;  // what a leaf or a call gives
        Extended rAnswer;     // a name's answer, where its handler wrote it
        switch (In.Opcode) {
            case TOpcode::Constant:
                MakeRoom();
                rValue = In.rValue;
                break;
            case TOpcode::Read:
            case TOpcode::CallLeaf:
                rValue = CallWithRoom([&] { return ReadName(Rules, In, bHandled, rAnswer); });
                break;
            case TOpcode::Bound:
                MakeRoom();
                rValue = ReadBound(In.pBound[iRow], In.bNegate);
                break;
            case TOpcode::CallStart:
                // Nobody answers: 0, and the arguments are not evaluated.
                if (!In.pRoutine && !Rules.CanCall(*In.pTie)) {
                    *pBelow++ = rTop;
                    rTop = 0;
                    p = pCode + In.iEnd - 1;
                }
                continue;
            case TOpcode::Call:
                // Arguments were evaluated from the last to the first, so the first is on top.
                for (rParam& Arg : In.pTie->arrParams) {
                    if (Arg.bIsString) continue;
                    Arg.rValue = rTop;
                    rTop = *--pBelow;
                }
                rValue = CallWithRoom([&] {
                    return In.pRoutine ? CallRoutine(*In.pRoutine, *In.pTie)
                                       : Rules.Call(*In.pTie, In.pResolved);
                });
                bHandled = true;
                break;
            default: {
                const Extended rBelow = TakesTwo(In.Opcode) ? *--pBelow : 0;
                rTop = Operator<bFailed>(Rules, In, rBelow, rTop, bHandled);
                if (bHandled) {
                    if (Rules.Stopped()) return 0;
                    if constexpr (!bFailed)
                        if (Rules.Failed()) [[unlikely]]
                            return RunFrom<true>(Rules, iRow, p + 1, pBelow, rTop);
                }
                continue;
            }
        }
        if (bHandled && (bFailed || Rules.FailedOrStopped())) [[unlikely]] {
            if (Rules.Stopped()) return 0;
            if constexpr (!bFailed) {
                if (Rules.Failed()) {
                    if (In.Use == TValueUse::RightOperand) *pBelow++ = rTop;
                    return RunFrom<true>(Rules, iRow, p + 1, pBelow, rValue);
                }
            }
        }
        if (UseOf(In) == TValueUse::Pushed) {
            rTop = rValue;
            continue;
        }
        // The operator after it takes the value at once, in the same step, and runs as
        // it would alone, its checks included. A whole power of a name's answer reads it
        // where the handler wrote it, as the power routine would read its copy.
        ++p;
        if (p->bWholeExponent && bHandled && (In.Opcode == TOpcode::Read || In.Opcode == TOpcode::CallLeaf)) {
            rTop = Signed(WholePowerOfAnswer(rAnswer, In.bNegate, p->iWholeExponent), p->bNegate);
            continue;
        }
        rTop = Operator<false>(Rules, *p, rTop, rValue, bHandled);
        if (bHandled) {
            if (Rules.Stopped()) return 0;
            if (Rules.Failed()) [[unlikely]]
                return RunFrom<true>(Rules, iRow, p + 1, pBelow, rTop);
        }
    }
    return rTop;
}

}  // namespace quorix::core
