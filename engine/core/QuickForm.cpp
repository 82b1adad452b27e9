#include "engine/core/QuickForm.hpp"

#include <algorithm>
#include <cfenv>
#include <cfloat>
#include <cmath>

#include "engine/core/Arithmetic.hpp"
#include "framework/base/Exceptions.hpp"
#include "framework/math/Math.hpp"

namespace quorix::core {

namespace {

using rtl::Extended;

// Deeper subtrees would recurse too far on a small thread stack; the checked
// interpreter, which keeps its own stack, takes them.
constexpr int kMaxDepth = 200;

// x * x is the square rounded once, as rtl::Power gives it, wherever it is a normal
// number; an overflow is left to the status flags, a result near or below the least
// normal number to the whole-power routine.
Extended Squared(Extended x) {
    const Extended rSquare = x * x;
    if (std::fabs(rSquare) < LDBL_MIN) [[unlikely]]
        return rtl::IntPower(x, 2);
    return rSquare;
}

enum class TKind { Node, Bound, Constant, Double };

template <TKind Kind>
Extended Operand(const TQuickOperand& Operand, std::size_t iRow) {
    if constexpr (Kind == TKind::Node) return Operand.pNode->Eval(*Operand.pNode, iRow);
    else if constexpr (Kind == TKind::Bound) return Operand.pBound[iRow];
    else if constexpr (Kind == TKind::Double) return Operand.dValue;
    else return Operand.rValue;
}

template <char cOperator>
Extended Apply(Extended rLeft, Extended rRight) {
    if constexpr (cOperator == '+') return rLeft + rRight;
    else if constexpr (cOperator == '-') return rLeft - rRight;
    else if constexpr (cOperator == '*') return rLeft * rRight;
    else if constexpr (cOperator == '/') return rLeft / rRight;
    else return rtl::Power(rLeft, rRight);
}

// A subtree on the right is evaluated first when the left operand is a leaf, so that
// no value waits in memory across its call. The order is free: nothing observable
// happens in a run, and a run that raises is redone by the checked interpreter.
template <char cOperator, TKind Left, TKind Right, bool bNegate>
Extended OperatorNode(const TQuickNode& Node, std::size_t iRow) {
    Extended rLeft, rRight;
    if constexpr (Left != TKind::Node && Right == TKind::Node) {
        rRight = Operand<Right>(Node.Right, iRow);
        rLeft = Operand<Left>(Node.Left, iRow);
    } else {
        rLeft = Operand<Left>(Node.Left, iRow);
        rRight = Operand<Right>(Node.Right, iRow);
    }
    return Signed(Apply<cOperator>(rLeft, rRight), bNegate);
}

// How a power with a whole constant exponent is taken: 0 and 1 need no work, a square
// is one multiplication, others go to the whole-power routine, which reads a bound or
// constant base where it lies.
enum class TWholePower { Zero, One, Square, Other };

template <TWholePower Power, TKind Left>
Extended WholePower(const TQuickNode& Node, std::size_t iRow) {
    if constexpr (Power == TWholePower::Zero) {
        // A subtree runs all the same: where it fails, so does the checked evaluation.
        if constexpr (Left == TKind::Node) Operand<Left>(Node.Left, iRow);
        return 1;
    } else if constexpr (Power == TWholePower::One) return Operand<Left>(Node.Left, iRow);
    else if constexpr (Power == TWholePower::Square) return Squared(Operand<Left>(Node.Left, iRow));
    else if constexpr (Left == TKind::Bound) return rtl::IntPowerAt(Node.Left.pBound[iRow], Node.iExponent);
    else if constexpr (Left == TKind::Constant || Left == TKind::Double)
        return rtl::IntPowerAt(Node.Left.rValue, Node.iExponent);
    else return rtl::IntPower(Operand<Left>(Node.Left, iRow), Node.iExponent);
}

template <TWholePower Power, TKind Left, bool bNegate>
Extended WholePowerNode(const TQuickNode& Node, std::size_t iRow) {
    return Signed(WholePower<Power, Left>(Node, iRow), bNegate);
}

template <TWholePower Power, TKind Left>
TQuickEval PickWholePowerSign(bool bNegate) {
    return bNegate ? &WholePowerNode<Power, Left, true> : &WholePowerNode<Power, Left, false>;
}

template <TWholePower Power>
TQuickEval PickWholePowerBase(TKind Left, bool bNegate) {
    switch (Left) {
        case TKind::Node: return PickWholePowerSign<Power, TKind::Node>(bNegate);
        case TKind::Bound: return PickWholePowerSign<Power, TKind::Bound>(bNegate);
        case TKind::Constant:
        case TKind::Double: return PickWholePowerSign<Power, TKind::Constant>(bNegate);
    }
    return nullptr;
}

TQuickEval PickWholePower(int iExponent, TKind Left, bool bNegate) {
    switch (iExponent) {
        case 0: return PickWholePowerBase<TWholePower::Zero>(Left, bNegate);
        case 1: return PickWholePowerBase<TWholePower::One>(Left, bNegate);
        case 2: return PickWholePowerBase<TWholePower::Square>(Left, bNegate);
        default: return PickWholePowerBase<TWholePower::Other>(Left, bNegate);
    }
}

template <TKind Kind, bool bNegate>
Extended LeafNode(const TQuickNode& Node, std::size_t iRow) {
    return Signed(Operand<Kind>(Node.Left, iRow), bNegate);
}

template <char cOperator, TKind Left, TKind Right>
TQuickEval PickSign(bool bNegate) {
    return bNegate ? &OperatorNode<cOperator, Left, Right, true>
                   : &OperatorNode<cOperator, Left, Right, false>;
}

template <char cOperator, TKind Left>
TQuickEval PickRight(TKind Right, bool bNegate) {
    switch (Right) {
        case TKind::Node: return PickSign<cOperator, Left, TKind::Node>(bNegate);
        case TKind::Bound: return PickSign<cOperator, Left, TKind::Bound>(bNegate);
        case TKind::Constant: return PickSign<cOperator, Left, TKind::Constant>(bNegate);
        case TKind::Double: return PickSign<cOperator, Left, TKind::Double>(bNegate);
    }
    return nullptr;
}

template <char cOperator>
TQuickEval PickLeft(TKind Left, TKind Right, bool bNegate) {
    switch (Left) {
        case TKind::Node: return PickRight<cOperator, TKind::Node>(Right, bNegate);
        case TKind::Bound: return PickRight<cOperator, TKind::Bound>(Right, bNegate);
        case TKind::Constant: return PickRight<cOperator, TKind::Constant>(Right, bNegate);
        case TKind::Double: return PickRight<cOperator, TKind::Double>(Right, bNegate);
    }
    return nullptr;
}

TQuickEval PickOperator(char cOperator, TKind Left, TKind Right, bool bNegate) {
    switch (cOperator) {
        case '+': return PickLeft<'+'>(Left, Right, bNegate);
        case '-': return PickLeft<'-'>(Left, Right, bNegate);
        case '*': return PickLeft<'*'>(Left, Right, bNegate);
        case '/': return PickLeft<'/'>(Left, Right, bNegate);
        default: return PickLeft<'^'>(Left, Right, bNegate);
    }
}

// An operand while the form is built, with the depth of its subtree.
struct TPending {
    TQuickOperand Operand;
    TKind Kind = TKind::Constant;
    int iDepth = 0;
};

TPending ConstantOperand(Extended rValue) {
    const double dValue = static_cast<double>(rValue);
    const TKind Kind = static_cast<Extended>(dValue) == rValue ? TKind::Double : TKind::Constant;
    return {{nullptr, nullptr, rValue, dValue}, Kind, 0};
}

// Which operands of an operator opcode come from its own instruction.
bool HasConstantRight(TOpcode Opcode) {
    return Opcode >= TOpcode::AddConstant && Opcode <= TOpcode::PowerOfConstant;
}
bool HasConstantLeft(TOpcode Opcode) { return Opcode >= TOpcode::ConstantPlus; }

}  // namespace

TQuickForm::TQuickForm(std::span<const TInstruction> Code) {
    // At most one node per instruction, so that nodes never move while pointed at.
    FNodes.reserve(Code.size() + 1);
    std::vector<TPending> Stack;
    const auto AddNode = [&](const TQuickNode& Node, int iDepth) {
        Stack.push_back({{&FNodes.emplace_back(Node), nullptr, 0}, TKind::Node, iDepth});
        return iDepth <= kMaxDepth;
    };
    const auto Pop = [&] {
        const TPending Top = Stack.back();
        Stack.pop_back();
        return Top;
    };
    for (const TInstruction& In : Code) {
        bool bShallow = true;
        if (In.Opcode == TOpcode::Constant) {
            Stack.push_back(ConstantOperand(In.rValue));
        } else if (In.Opcode == TOpcode::Bound) {
            if (std::find(FInputs.begin(), FInputs.end(), In.pBound) == FInputs.end())
                FInputs.push_back(In.pBound);
            const TQuickOperand Column{nullptr, In.pBound, 0};
            if (In.bNegate) bShallow = AddNode({&LeafNode<TKind::Bound, true>, Column, {}, 0}, 1);
            else Stack.push_back({Column, TKind::Bound, 0});
        } else if (In.Opcode >= TOpcode::Add) {
            const TPending Right = HasConstantRight(In.Opcode) ? ConstantOperand(In.rValue) : Pop();
            const TPending Left = HasConstantLeft(In.Opcode) ? ConstantOperand(In.rValue) : Pop();
            TQuickNode Node{nullptr, Left.Operand, Right.Operand, 0};
            const char cOperator = OperatorOf(In.Opcode);
            if (cOperator == '^' && (Right.Kind == TKind::Constant || Right.Kind == TKind::Double) &&
                rtl::IsWholeExponent(Right.Operand.rValue, Node.iExponent))
                Node.Eval = PickWholePower(Node.iExponent, Left.Kind, In.bNegate);
            else Node.Eval = PickOperator(cOperator, Left.Kind, Right.Kind, In.bNegate);
            bShallow = AddNode(Node, std::max(Left.iDepth, Right.iDepth) + 1);
        } else {
            return;  // a variable or a call: not for this form
        }
        if (!bShallow) return;
    }
    if (Stack.size() != 1) return;
    const TPending& Root = Stack.back();
    if (Root.Kind == TKind::Node) FRoot = Root.Operand.pNode;
    else
        FRoot = &FNodes.emplace_back(TQuickNode{
            Root.Kind == TKind::Bound ? &LeafNode<TKind::Bound, false> : &LeafNode<TKind::Constant, false>,
            Root.Operand,
            {},
            0});
}

void TQuickForm::ClearNotFinite() { std::feclearexcept(FE_OVERFLOW | FE_INVALID | FE_DIVBYZERO); }

bool TQuickForm::RunRows(std::size_t iFirst, std::size_t nRows, Extended* pResults) const {
    try {
        for (std::size_t i = 0; i < nRows; ++i) {
            if (!InputsFinite(iFirst + i)) return false;
            pResults[i] = FRoot->Eval(*FRoot, iFirst + i);
        }
    } catch (const rtl::EMathError&) {
        return false;
    }
    return !NotFiniteRaised();
}

}  // namespace quorix::core
