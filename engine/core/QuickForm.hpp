// A program of only constants, bound names, operators and calls resolved to pure
// routines (ResolvedCall.hpp), compiled again into a tree of small nodes whose
// functions return their value: each node reads its operands itself (a bound value, a
// constant, or a subtree's call) and keeps them in registers, so a run neither
// dispatches per step nor goes through a stack in memory. Nothing is tested per step
// but a built-in call's domain and the value of a caller's bound routine: the bound values are tested once
// before the run, and a result that is not finite is found from the floating-point status after it; any doubt
// leaves the row to the checked interpreter, which reports and raises. A node of
// constants alone is evaluated once, when the form is built.
#pragma once

#include <cfenv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>
#include <vector>

#include "engine/core/Program.hpp"
#include "engine/core/ResolvedCall.hpp"
#include "framework/base/Types.hpp"

namespace quorix::core {

struct TQuickNode;
using TQuickEval = rtl::Extended (*)(const TQuickNode& Node, std::size_t iRow);
// The values of two rows at once: a call serves both rows, and their independent chains
// of operations overlap.
using TQuickPair = rtl::TExtendedTwo;
using TQuickEvalPair = TQuickPair (*)(const TQuickNode& Node, std::size_t iRow);

// An operand as its node reads it: one of a subtree, a bound column, a constant.
struct TQuickOperand {
    const TQuickNode* pNode = nullptr;
    const rtl::Extended* pBound = nullptr;
    rtl::Extended rValue = 0;
    double dValue = 0;  // a constant that a double holds exactly, read quicker
};

struct TQuickNode {
    TQuickEval Eval = nullptr;
    TQuickEvalPair EvalPair = nullptr;  // rows iRow and iRow + 1
    TQuickOperand Left{}, Right{};      // a leaf keeps its value or column in Left; a call its arguments
    int iExponent = 0;                  // a whole power's constant exponent
    const TPureCall* pCall = nullptr;
};

class TQuickForm {
public:
    // Compiles a program's code; a form that is not Ready when the code has other
    // instructions, or nests too deep for the machine stack.
    explicit TQuickForm(std::span<const TInstruction> Code);

    bool Ready() const { return FRoot != nullptr; }
    // The value at iRow of the bound columns, for a Ready form; a NaN, which no run
    // that succeeds gives, when the row needs the checked evaluation. Returned in a
    // register: an 80-bit value stored and loaded back at once stalls.
    rtl::Extended Run(std::size_t iRow) const {
        constexpr rtl::Extended kNeedsCheckedRun = std::numeric_limits<rtl::Extended>::quiet_NaN();
        if (!InputsFinite(iRow)) return kNeedsCheckedRun;
        rtl::Extended rValue;
        try {
            rValue = FRoot->Eval(*FRoot, iRow);
        } catch (...) {
            return kNeedsCheckedRun;  // met again, where it would be, by the checked run
        }
        return NotFiniteRaised() ? kNeedsCheckedRun : rValue;
    }
    // Rows iFirst to iFirst + nRows - 1 into pResults, for a Ready form; false, with
    // pResults in any state, when one of them needs the checked evaluation.
    bool RunRows(std::size_t iFirst, std::size_t nRows, rtl::Extended* pResults) const;

private:
    // Whether every instruction is of a kind the form runs, tested before any node is
    // built.
    static bool Takes(std::span<const TInstruction> Code);
    // Whether a value in memory is finite, from its exponent field: no 80-bit load.
    static bool IsFiniteInPlace(const rtl::Extended& rValue) {
        std::uint16_t iSignAndExponent = 0;
        std::memcpy(&iSignAndExponent, reinterpret_cast<const char*>(&rValue) + 8, sizeof iSignAndExponent);
        return (iSignAndExponent & 0x7FFF) != 0x7FFF;
    }
    bool InputsFinite(std::size_t iRow) const {
        for (const rtl::Extended* pColumn : FInputs)
            if (!IsFiniteInPlace(pColumn[iRow])) return false;
        return true;
    }
    // Whether an operation with finite operands gave a result that is not finite (an
    // overflow, an invalid operation, a division by zero) since the flags were last
    // cleared, clearing them if so. The x87's status word is read directly:
    // fetestexcept also reads the SSE unit's, and clearing rewrites the whole
    // environment, which is left to the rare run that needs it.
    static bool NotFiniteRaised() {
#if defined(__x86_64__) || defined(__i386__)
        constexpr std::uint16_t kInvalid = 0x01, kZeroDivide = 0x04, kOverflow = 0x08;
        std::uint16_t iStatus = 0;
        asm volatile("fnstsw %0" : "=am"(iStatus)::"memory");
        if ((iStatus & (kInvalid | kZeroDivide | kOverflow)) == 0) [[likely]]
            return false;
#else
        if (!std::fetestexcept(FE_OVERFLOW | FE_INVALID | FE_DIVBYZERO)) return false;
#endif
        ClearNotFinite();
        return true;
    }
    static void ClearNotFinite();

    std::vector<TQuickNode> FNodes;
    std::vector<const rtl::Extended*> FInputs;  // the distinct bound columns
    const TQuickNode* FRoot = nullptr;
};

}  // namespace quorix::core
