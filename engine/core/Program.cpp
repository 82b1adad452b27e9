#include "engine/core/Program.hpp"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstddef>
#include <functional>

#include "framework/base/Exceptions.hpp"

namespace quorix::core {

namespace {

static_assert(int(TOpcode::AddConstant) - int(TOpcode::Add) == 5 &&
                  int(TOpcode::PowerOfConstant) - 5 == int(TOpcode::Power) &&
                  int(TOpcode::ConstantPlus) - int(TOpcode::Add) == 10 &&
                  int(TOpcode::ConstantToThePower) - 10 == int(TOpcode::Power),
              "the interpreter finds an operator from its constant forms by these distances");
static_assert(OperatorOf(TOpcode::Add) == '+' && OperatorOf(TOpcode::Divide) == '/' &&
                  OperatorOf(TOpcode::Power) == '^',
              "the operator opcodes follow sCharOperator");

bool IsConstant(const TTie* p) { return !p || p->bNumber || p->bConst; }
rtl::Extended ConstantOf(const TTie* p) { return p ? p->iSign * p->rValue : 0; }

// Which operand of an operator node, if any, is a constant that goes into the
// operator's own instruction.
enum class TForm { BothOnStack, ConstantRight, ConstantLeft };

TForm FormOf(const TTie& Tie) {
    if (IsConstant(Tie.pRight)) return TForm::ConstantRight;
    if (IsConstant(Tie.pLeft)) return TForm::ConstantLeft;
    return TForm::BothOnStack;
}

TOpcode OperatorOpcode(char cOperator, TForm Form) {
    const auto iOperator = int(TOpcode::Add) + static_cast<int>(sCharOperator.find(cOperator));
    return static_cast<TOpcode>(iOperator + (Form == TForm::ConstantRight  ? 5
                                             : Form == TForm::ConstantLeft ? 10
                                                                           : 0));
}

// One node on the compiler's stack: an operator waiting for its right operand or its
// own instruction, or a call waiting for its next argument (iNext counts down).
struct TCompileStep {
    TTie* pTie;
    uint32_t iStart;  // where the node's code begins
    int iNext;        // operator: operands still to compile; call: arguments still to compile
};

}  // namespace

// Emits the tree in the order the walkers visit it, with an explicit stack, so a
// tree as deep as its text is long compiles without recursion.
TProgram::TProgram(TTie* pRoot, TBareName BareName)
    : FRoot(pRoot), FNameOpcode(BareName == TBareName::Variable ? TOpcode::Read : TOpcode::CallLeaf) {
    std::vector<TCompileStep> Stack;
    std::size_t iDepth = 0, iMaxDepth = 1;
    const auto Emit = [&](TOpcode Opcode, TTie* pTie) -> TInstruction& {
        TInstruction& In = FCode.emplace_back();
        In.Opcode = Opcode;
        In.pTie = pTie;
        In.bNegate = pTie && pTie->iSign == -1;
        return In;
    };
    const auto Push = [&] { iMaxDepth = std::max(iMaxDepth, ++iDepth); };
    // A subtree ends: the instruction that started it (and every subtree around it that
    // started there too) skips to here.
    const auto Finish = [&](uint32_t iStart) { FCode[iStart].iSkip = static_cast<uint32_t>(FCode.size()); };

    // Begins the subtree at pNode; a leaf is emitted whole, anything else is stacked.
    const auto Begin = [&](TTie* pNode) {
        const auto iStart = static_cast<uint32_t>(FCode.size());
        if (IsConstant(pNode)) {
            Emit(TOpcode::Constant, pNode).rValue = ConstantOf(pNode);
            Push();
            Finish(iStart);
        } else if (IsOperatorNode(*pNode)) {
            Stack.push_back({pNode, iStart, FormOf(*pNode) == TForm::BothOnStack ? 2 : 1});
        } else if (pNode->iParCount == 0) {
            FNames.push_back(iStart);
            Emit(FNameOpcode, pNode);
            Push();
            Finish(iStart);
        } else {
            FHasCalls = true;
            Emit(TOpcode::CallStart, pNode);
            Stack.push_back({pNode, iStart, pNode->iParCount});
        }
    };

    Begin(pRoot);
    while (!Stack.empty()) {
        TCompileStep& Step = Stack.back();
        TTie* p = Step.pTie;
        if (IsOperatorNode(*p)) {
            const TForm Form = FormOf(*p);
            if (Step.iNext > 0) {
                const bool bLeft =
                    Form == TForm::ConstantRight || (Form == TForm::BothOnStack && Step.iNext == 2);
                --Step.iNext;
                Begin(bLeft ? p->pLeft : p->pRight);  // may invalidate Step
                continue;
            }
            TInstruction& In = Emit(OperatorOpcode(p->sName[0], Form), p);
            if (Form == TForm::BothOnStack) --iDepth;
            else In.rValue = ConstantOf(Form == TForm::ConstantRight ? p->pRight : p->pLeft);
        } else {
            // Arguments from the last to the first; strings take no code.
            int iArg = Step.iNext - 1;
            while (iArg >= 0 && p->arrParams[static_cast<std::size_t>(iArg)].bIsString) --iArg;
            if (iArg >= 0) {
                Step.iNext = iArg;
                Begin(p->arrParams[static_cast<std::size_t>(iArg)].pTie);
                continue;
            }
            Emit(TOpcode::Call, p);
            for (const rParam& Arg : p->arrParams) iDepth -= Arg.bIsString ? 0 : 1;
            Push();
            FCode[Step.iStart].iEnd = static_cast<uint32_t>(FCode.size());
        }
        const uint32_t iStart = Step.iStart;
        Stack.pop_back();
        Finish(iStart);
    }
    FStack.resize(iMaxDepth);
}

void TProgram::Link(const TBindings& Bindings) {
    if (FLinked == Bindings.Version()) return;
    FLinked = Bindings.Version();
    FColumnar = !FHasCalls;
    for (const uint32_t iName : FNames) {
        TInstruction& In = FCode[iName];
        In.pBound = Bindings.Find(In.pTie->sName);
        In.Opcode = In.pBound ? TOpcode::Bound : FNameOpcode;
        FColumnar = FColumnar && In.pBound;
    }
}

namespace {

using rtl::Extended;

// Out[i] = Left[i] op Right[i] for i below nRows, negated when bNegate; an operand
// that is no column is one value for every row (a constant), kept in a register.
// False for a division by zero, which the checked evaluation reports.
template <class TOperation>
bool OperateColumn(TOperation Operation, const Extended* pLeft, bool bLeftColumn, const Extended* pRight,
                   bool bRightColumn, Extended* pOut, std::size_t nRows, bool bNegate) {
    if (!bLeftColumn) {
        const Extended rLeft = *pLeft;
        for (std::size_t i = 0; i < nRows; ++i) pOut[i] = Operation(rLeft, pRight[i]);
    } else if (!bRightColumn) {
        const Extended rRight = *pRight;
        for (std::size_t i = 0; i < nRows; ++i) pOut[i] = Operation(pLeft[i], rRight);
    } else {
        for (std::size_t i = 0; i < nRows; ++i) pOut[i] = Operation(pLeft[i], pRight[i]);
    }
    if (bNegate)
        for (std::size_t i = 0; i < nRows; ++i) pOut[i] = -pOut[i];
    return true;
}

bool OperateColumn(char cOperator, const Extended* pLeft, bool bLeftColumn, const Extended* pRight,
                   bool bRightColumn, Extended* pOut, std::size_t nRows, bool bNegate) {
    switch (cOperator) {
        case '+':
            return OperateColumn(std::plus<Extended>(), pLeft, bLeftColumn, pRight, bRightColumn, pOut, nRows,
                                 bNegate);
        case '-':
            return OperateColumn(std::minus<Extended>(), pLeft, bLeftColumn, pRight, bRightColumn, pOut,
                                 nRows, bNegate);
        case '*':
            return OperateColumn(std::multiplies<Extended>(), pLeft, bLeftColumn, pRight, bRightColumn, pOut,
                                 nRows, bNegate);
        case '/':
            for (std::size_t i = 0; i < (bRightColumn ? nRows : 1); ++i)
                if (pRight[i] == 0) return false;
            return OperateColumn(std::divides<Extended>(), pLeft, bLeftColumn, pRight, bRightColumn, pOut,
                                 nRows, bNegate);
        default:
            return OperateColumn([](Extended a, Extended b) { return rtl::Power(a, b); }, pLeft, bLeftColumn,
                                 pRight, bRightColumn, pOut, nRows, bNegate);
    }
}

// The operator character of an operator opcode of any form.
char OperatorOfForm(TOpcode Opcode) {
    return sCharOperator[static_cast<std::size_t>(static_cast<int>(Opcode) - static_cast<int>(TOpcode::Add)) %
                         5];
}

// The flags an operator raises when its finite operands give a result that is not
// finite. Division by zero never gets that far.
constexpr int kNotFinite = FE_OVERFLOW | FE_INVALID | FE_DIVBYZERO;

}  // namespace

bool TProgram::RunQuick(std::size_t iRow, Extended& rResult) {
    if (!FColumnar) return false;
    Extended* pBelow = FStack.data();  // the values under rTop; the first is a dummy
    Extended rTop = 0;
    const auto Push = [&](Extended rValue) {
        *pBelow++ = rTop;
        rTop = rValue;
    };
    try {
        for (const TInstruction& In : FCode) {
            switch (In.Opcode) {
                case TOpcode::Constant: Push(In.rValue); break;
                case TOpcode::Bound: {
                    const Extended rValue = In.pBound[iRow];
                    if (!std::isfinite(rValue)) return false;
                    Push(Signed(rValue, In.bNegate));
                    break;
                }
                case TOpcode::Add: rTop = Signed(*--pBelow + rTop, In.bNegate); break;
                case TOpcode::Subtract: rTop = Signed(*--pBelow - rTop, In.bNegate); break;
                case TOpcode::Multiply: rTop = Signed(*--pBelow * rTop, In.bNegate); break;
                case TOpcode::Divide:
                    if (rTop == 0) return false;
                    rTop = Signed(*--pBelow / rTop, In.bNegate);
                    break;
                case TOpcode::Power: rTop = Signed(rtl::Power(*--pBelow, rTop), In.bNegate); break;
                case TOpcode::AddConstant: rTop = Signed(rTop + In.rValue, In.bNegate); break;
                case TOpcode::SubtractConstant: rTop = Signed(rTop - In.rValue, In.bNegate); break;
                case TOpcode::MultiplyByConstant: rTop = Signed(rTop * In.rValue, In.bNegate); break;
                case TOpcode::DivideByConstant:
                    if (In.rValue == 0) return false;
                    rTop = Signed(rTop / In.rValue, In.bNegate);
                    break;
                case TOpcode::PowerOfConstant: rTop = Signed(rtl::Power(rTop, In.rValue), In.bNegate); break;
                case TOpcode::ConstantPlus: rTop = Signed(In.rValue + rTop, In.bNegate); break;
                case TOpcode::ConstantMinus: rTop = Signed(In.rValue - rTop, In.bNegate); break;
                case TOpcode::ConstantTimes: rTop = Signed(In.rValue * rTop, In.bNegate); break;
                case TOpcode::ConstantDividedBy:
                    if (rTop == 0) return false;
                    rTop = Signed(In.rValue / rTop, In.bNegate);
                    break;
                case TOpcode::ConstantToThePower:
                    rTop = Signed(rtl::Power(In.rValue, rTop), In.bNegate);
                    break;
                case TOpcode::Read:
                case TOpcode::CallLeaf:
                case TOpcode::CallStart:
                case TOpcode::Call: return false;  // not columnar
            }
        }
    } catch (const rtl::EMathError&) {
        return false;
    }
    // Flags left by earlier work send one evaluation to Run, which is always right,
    // and are cleared for the next.
    if (std::fetestexcept(kNotFinite)) [[unlikely]] {
        std::feclearexcept(kNotFinite);
        return false;
    }
    rResult = rTop;
    return true;
}

// The stack holds columns of kBlockRows values; pTop is the start of the column just
// above the top one. Operators with finite operands are tested once, by the
// floating-point status flags after the whole block.
bool TProgram::RunColumns(std::size_t iFirst, std::size_t nRows, Extended* pResults) {
    FColumns.resize(FStack.size() * kBlockRows);
    Extended* pTop = FColumns.data();
    std::feclearexcept(kNotFinite);
    try {
        for (const TInstruction& In : FCode) {
            const char cOperator = In.Opcode >= TOpcode::Add ? OperatorOfForm(In.Opcode) : 0;
            bool bDone = true;
            switch (In.Opcode) {
                case TOpcode::Constant:
                    std::fill_n(pTop, nRows, In.rValue);
                    pTop += kBlockRows;
                    break;
                case TOpcode::Bound: {
                    const Extended* pColumn = In.pBound + iFirst;
                    for (std::size_t i = 0; i < nRows; ++i) {
                        if (!std::isfinite(pColumn[i])) return false;
                        pTop[i] = Signed(pColumn[i], In.bNegate);
                    }
                    pTop += kBlockRows;
                    break;
                }
                case TOpcode::Add:
                case TOpcode::Subtract:
                case TOpcode::Multiply:
                case TOpcode::Divide:
                case TOpcode::Power:
                    pTop -= kBlockRows;
                    bDone = OperateColumn(cOperator, pTop - kBlockRows, true, pTop, true, pTop - kBlockRows,
                                          nRows, In.bNegate);
                    break;
                case TOpcode::AddConstant:
                case TOpcode::SubtractConstant:
                case TOpcode::MultiplyByConstant:
                case TOpcode::DivideByConstant:
                case TOpcode::PowerOfConstant:
                    bDone = OperateColumn(cOperator, pTop - kBlockRows, true, &In.rValue, false,
                                          pTop - kBlockRows, nRows, In.bNegate);
                    break;
                case TOpcode::ConstantPlus:
                case TOpcode::ConstantMinus:
                case TOpcode::ConstantTimes:
                case TOpcode::ConstantDividedBy:
                case TOpcode::ConstantToThePower:
                    bDone = OperateColumn(cOperator, &In.rValue, false, pTop - kBlockRows, true,
                                          pTop - kBlockRows, nRows, In.bNegate);
                    break;
                case TOpcode::Read:
                case TOpcode::CallLeaf:
                case TOpcode::CallStart:
                case TOpcode::Call: return false;  // not columnar
            }
            if (!bDone) return false;
        }
    } catch (const rtl::EMathError&) {
        return false;
    }
    if (std::fetestexcept(kNotFinite)) return false;
    std::copy_n(FColumns.data(), nRows, pResults);
    return true;
}

}  // namespace quorix::core
