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
#include "engine/core/Rows.hpp"
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

struct TInstruction {
    rtl::Extended rValue = 0;               // a constant, or an operator's constant operand
    TTie* pTie = nullptr;                   // the node, for names, calls and operators
    const rtl::Extended* pBound = nullptr;  // Bound: the value, or the start of its column
    // For an instruction that starts a subtree (Constant, Read, Bound, CallLeaf,
    // CallStart):
    // the index just past the outermost subtree that starts here, where an evaluation
    // that has already failed resumes. For CallStart, iEnd is just past its own Call.
    uint32_t iSkip = 0;
    uint32_t iEnd = 0;
    TOpcode Opcode = TOpcode::Constant;
    bool bNegate = false;  // the node's sign is -1
};

class TQuickForm;

class TProgram {
public:
    // Compiles the tree at pRoot (nil evaluates to 0). The tree must stay unchanged
    // and alive as long as the program; only its arguments' values are written.
    TProgram(TTie* pRoot, TBareName BareName);
    ~TProgram();

    const TTie* Root() const { return FRoot; }

    // Points the names without arguments at their bound values, the others back at
    // their handlers. Does nothing while the bindings stay as last linked.
    void Link(const TBindings& Bindings) {
        if (FLinked != Bindings.Version()) Relink(Bindings);
    }

    // Runs the program with the flavour's rules, which evaluate as WalkTree does with
    // them; bound values are read at iRow of their columns. Not reentrant: a program
    // runs once at a time (Calc refuses to nest).
    template <EvaluationRules TRules>
    rtl::Extended Run(TRules& Rules, std::size_t iRow = 0);

    // Whether the linked program has a quick form (QuickForm.hpp): only constants,
    // bound names and operators, not nested too deep. No handler is then called.
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
    void Relink(const TBindings& Bindings);

    TTie* FRoot;
    std::vector<TInstruction> FCode;
    std::vector<rtl::Extended> FStack;   // sized for the deepest point, so a run allocates nothing
    std::unique_ptr<TQuickForm> FQuick;  // of the linked program, when it has one
    std::vector<uint32_t> FNames;        // where the names without arguments are
    TOpcode FNameOpcode;                 // how they are read when not bound
    bool FHasCalls = false;
    uint64_t FLinked = 0;  // the bindings' version last linked
};

// A bound value as the engine takes it: a value that is not finite raises as a
// handler's would, and the node's sign applies.
inline rtl::Extended ReadBound(rtl::Extended rValue, bool bNegate) { return Signed(Finite(rValue), bNegate); }

// The operator character of an operator opcode of any form, in the order of
// sCharOperator.
constexpr char OperatorOf(TOpcode Operator) {
    return sCharOperator[(static_cast<std::size_t>(Operator) - static_cast<std::size_t>(TOpcode::Add)) % 5];
}

// Stopped is asked after every call and every division by zero, where handlers run.
// An operator with a constant operand takes it from its own instruction. A constant
// right operand is started after the left one ends, with nothing run in between, so
// the operator tests Failed for it; a constant left operand starts with the operator's
// whole subtree, whose first instruction tests Failed for both.
template <EvaluationRules TRules>
rtl::Extended TProgram::Run(TRules& Rules, std::size_t iRow) {
    using rtl::Extended;
    const TInstruction* const pCode = FCode.data();
    const TInstruction* const pEnd = pCode + FCode.size();
    Extended* pTop = FStack.data();  // one past the top value
    for (const TInstruction* p = pCode; p != pEnd;) {
        const TInstruction& In = *p;
        // Only an instruction that starts a subtree has iSkip; after an error the
        // subtree gives 0.
        if (In.iSkip != 0 && Rules.Failed()) [[unlikely]] {
            *pTop++ = 0;
            p = pCode + In.iSkip;
            continue;
        }
        switch (In.Opcode) {
            case TOpcode::Constant: *pTop++ = In.rValue; break;
            case TOpcode::Read: *pTop++ = Rules.Read(*In.pTie); break;
            case TOpcode::Bound: *pTop++ = ReadBound(In.pBound[iRow], In.bNegate); break;
            case TOpcode::CallLeaf:
                if (!Rules.CanCall(*In.pTie)) {
                    *pTop++ = 0;
                    break;
                }
                *pTop++ = Rules.Call(*In.pTie);
                if (Rules.Stopped()) return 0;
                break;
            case TOpcode::CallStart:
                if (!Rules.CanCall(*In.pTie)) {
                    // Nobody answers: 0, and the arguments are not evaluated.
                    *pTop++ = 0;
                    p = pCode + In.iEnd;
                    continue;
                }
                break;
            case TOpcode::Call: {
                // Arguments were evaluated from the last to the first, so the first is on top.
                for (rParam& Arg : In.pTie->arrParams)
                    if (!Arg.bIsString) Arg.rValue = *--pTop;
                *pTop++ = Rules.Call(*In.pTie);
                if (Rules.Stopped()) return 0;
                break;
            }
            case TOpcode::Add:
            case TOpcode::Subtract:
            case TOpcode::Multiply:
            case TOpcode::Divide:
            case TOpcode::Power:
                --pTop;
                pTop[-1] = Operate(OperatorOf(In.Opcode), pTop[-1], pTop[0], *In.pTie, In.bNegate, Rules);
                if (In.Opcode == TOpcode::Divide && pTop[0] == 0 && Rules.Stopped()) return 0;
                break;
            case TOpcode::AddConstant:
            case TOpcode::SubtractConstant:
            case TOpcode::MultiplyByConstant:
            case TOpcode::DivideByConstant:
            case TOpcode::PowerOfConstant: {
                const auto Operator = static_cast<TOpcode>(static_cast<int>(In.Opcode) - 5);
                const Extended rRight = Rules.Failed() ? 0 : In.rValue;
                pTop[-1] = Operate(OperatorOf(Operator), pTop[-1], rRight, *In.pTie, In.bNegate, Rules);
                if (Operator == TOpcode::Divide && rRight == 0 && Rules.Stopped()) return 0;
                break;
            }
            case TOpcode::ConstantPlus:
            case TOpcode::ConstantMinus:
            case TOpcode::ConstantTimes:
            case TOpcode::ConstantDividedBy:
            case TOpcode::ConstantToThePower: {
                const auto Operator = static_cast<TOpcode>(static_cast<int>(In.Opcode) - 10);
                const Extended rRight = pTop[-1];
                pTop[-1] = Operate(OperatorOf(Operator), In.rValue, rRight, *In.pTie, In.bNegate, Rules);
                if (Operator == TOpcode::Divide && rRight == 0 && Rules.Stopped()) return 0;
                break;
            }
        }
        ++p;
    }
    return pTop[-1];
}

}  // namespace quorix::core
