#include "engine/core/QuickForm.hpp"

#include <algorithm>
#include <cfenv>
#include <cfloat>
#include <cmath>
#include <type_traits>

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

// The kinds of operand, the constants last.
enum class TKind { Node, Bound, Constant, Double };

// A node's function is written once over its lane type V: one row (Extended) or two
// (TQuickPair), whose every operation acts on each row alone.
template <class V>
constexpr bool kPair = std::is_same_v<V, TQuickPair>;

TQuickPair MakePair(Extended rFirst, Extended rSecond) {
    TQuickPair Pair;
    __real__ Pair = rFirst;
    __imag__ Pair = rSecond;
    return Pair;
}

template <class V>
V Splat(Extended rValue) {
    if constexpr (kPair<V>) return MakePair(rValue, rValue);
    else return rValue;
}

template <class V, class F>
V EachRow(F&& Apply, V Value) {
    if constexpr (kPair<V>) return MakePair(Apply(__real__ Value), Apply(__imag__ Value));
    else return Apply(Value);
}

template <class V, class F>
V EachRow(F&& Apply, V Left, V Right) {
    if constexpr (kPair<V>)
        return MakePair(Apply(__real__ Left, __real__ Right), Apply(__imag__ Left, __imag__ Right));
    else return Apply(Left, Right);
}

template <class V>
V EvalOf(const TQuickNode& Node, std::size_t iRow) {
    if constexpr (kPair<V>) return Node.EvalPair(Node, iRow);
    else return Node.Eval(Node, iRow);
}

template <class V, TKind Kind>
V Operand(const TQuickOperand& Operand, std::size_t iRow) {
    if constexpr (Kind == TKind::Node) return EvalOf<V>(*Operand.pNode, iRow);
    else if constexpr (Kind == TKind::Bound) {
        if constexpr (kPair<V>) return MakePair(Operand.pBound[iRow], Operand.pBound[iRow + 1]);
        else return Operand.pBound[iRow];
    } else if constexpr (Kind == TKind::Double) return Splat<V>(Operand.dValue);
    else return Splat<V>(Operand.rValue);
}

template <class V>
V SignedRows(V Value, bool bNegate) {
    return EachRow([bNegate](Extended r) { return Signed(r, bNegate); }, Value);
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
template <class V, char cOperator, TKind Left, TKind Right, bool bNegate>
V OperatorNode(const TQuickNode& Node, std::size_t iRow) {
    V Lhs, Rhs;
    if constexpr (Left != TKind::Node && Right == TKind::Node) {
        Rhs = Operand<V, Right>(Node.Right, iRow);
        Lhs = Operand<V, Left>(Node.Left, iRow);
    } else {
        Lhs = Operand<V, Left>(Node.Left, iRow);
        Rhs = Operand<V, Right>(Node.Right, iRow);
    }
    return SignedRows(EachRow([](Extended l, Extended r) { return Apply<cOperator>(l, r); }, Lhs, Rhs),
                      bNegate);
}

// How a power with a whole constant exponent is taken: 0 and 1 need no work, a square
// is one multiplication, others go to the whole-power routine, which reads a bound or
// constant base where it lies.
enum class TWholePower { Zero, One, Square, Other };

// A power of a bound or constant base, read where it lies.
template <TKind Left>
Extended WholePowerAt(const TQuickNode& Node, std::size_t iRow) {
    if constexpr (Left == TKind::Bound) return rtl::IntPowerAt(Node.Left.pBound[iRow], Node.iExponent);
    else return rtl::IntPowerAt(Node.Left.rValue, Node.iExponent);
}

template <class V, TWholePower Power, TKind Left>
V WholePower(const TQuickNode& Node, std::size_t iRow) {
    if constexpr (Power == TWholePower::Zero) {
        // A subtree runs all the same: where it fails, so does the checked evaluation.
        if constexpr (Left == TKind::Node) Operand<V, Left>(Node.Left, iRow);
        return Splat<V>(1);
    } else if constexpr (Power == TWholePower::One) return Operand<V, Left>(Node.Left, iRow);
    else if constexpr (Power == TWholePower::Square)
        return EachRow(Squared, Operand<V, Left>(Node.Left, iRow));
    else if constexpr (Left == TKind::Node)
        return EachRow([&Node](Extended r) { return rtl::IntPower(r, Node.iExponent); },
                       Operand<V, Left>(Node.Left, iRow));
    else if constexpr (kPair<V>)
        return MakePair(WholePowerAt<Left>(Node, iRow), WholePowerAt<Left>(Node, iRow + 1));
    else return WholePowerAt<Left>(Node, iRow);
}

template <class V, TWholePower Power, TKind Left, bool bNegate>
V WholePowerNode(const TQuickNode& Node, std::size_t iRow) {
    return SignedRows(WholePower<V, Power, Left>(Node, iRow), bNegate);
}

template <class V, TKind Kind, bool bNegate>
V LeafNode(const TQuickNode& Node, std::size_t iRow) {
    return SignedRows(Operand<V, Kind>(Node.Left, iRow), bNegate);
}

// A node's functions for one row and for two.
struct TEvals {
    TQuickEval Eval = nullptr;
    TQuickEvalPair EvalPair = nullptr;
};

template <TWholePower Power, TKind Left, bool bNegate>
TEvals WholePowerEvals() {
    return {&WholePowerNode<Extended, Power, Left, bNegate>,
            &WholePowerNode<TQuickPair, Power, Left, bNegate>};
}

template <TWholePower Power, TKind Left>
TEvals PickWholePowerSign(bool bNegate) {
    return bNegate ? WholePowerEvals<Power, Left, true>() : WholePowerEvals<Power, Left, false>();
}

template <TWholePower Power>
TEvals PickWholePowerBase(TKind Left, bool bNegate) {
    switch (Left) {
        case TKind::Node: return PickWholePowerSign<Power, TKind::Node>(bNegate);
        case TKind::Bound: return PickWholePowerSign<Power, TKind::Bound>(bNegate);
        case TKind::Constant:
        case TKind::Double: return PickWholePowerSign<Power, TKind::Constant>(bNegate);
    }
    return {};
}

TEvals PickWholePower(int iExponent, TKind Left, bool bNegate) {
    switch (iExponent) {
        case 0: return PickWholePowerBase<TWholePower::Zero>(Left, bNegate);
        case 1: return PickWholePowerBase<TWholePower::One>(Left, bNegate);
        case 2: return PickWholePowerBase<TWholePower::Square>(Left, bNegate);
        default: return PickWholePowerBase<TWholePower::Other>(Left, bNegate);
    }
}

template <TKind Kind, bool bNegate>
TEvals LeafEvals() {
    return {&LeafNode<Extended, Kind, bNegate>, &LeafNode<TQuickPair, Kind, bNegate>};
}

template <char cOperator, TKind Left, TKind Right, bool bNegate>
TEvals OperatorEvals() {
    return {&OperatorNode<Extended, cOperator, Left, Right, bNegate>,
            &OperatorNode<TQuickPair, cOperator, Left, Right, bNegate>};
}

template <char cOperator, TKind Left, TKind Right>
TEvals PickSign(bool bNegate) {
    return bNegate ? OperatorEvals<cOperator, Left, Right, true>()
                   : OperatorEvals<cOperator, Left, Right, false>();
}

template <char cOperator, TKind Left>
TEvals PickRight(TKind Right, bool bNegate) {
    switch (Right) {
        case TKind::Node: return PickSign<cOperator, Left, TKind::Node>(bNegate);
        case TKind::Bound: return PickSign<cOperator, Left, TKind::Bound>(bNegate);
        case TKind::Constant: return PickSign<cOperator, Left, TKind::Constant>(bNegate);
        case TKind::Double: return PickSign<cOperator, Left, TKind::Double>(bNegate);
    }
    return {};
}

template <char cOperator>
TEvals PickLeft(TKind Left, TKind Right, bool bNegate) {
    switch (Left) {
        case TKind::Node: return PickRight<cOperator, TKind::Node>(Right, bNegate);
        case TKind::Bound: return PickRight<cOperator, TKind::Bound>(Right, bNegate);
        case TKind::Constant: return PickRight<cOperator, TKind::Constant>(Right, bNegate);
        case TKind::Double: return PickRight<cOperator, TKind::Double>(Right, bNegate);
    }
    return {};
}

TEvals PickOperator(char cOperator, TKind Left, TKind Right, bool bNegate) {
    switch (cOperator) {
        case '+': return PickLeft<'+'>(Left, Right, bNegate);
        case '-': return PickLeft<'-'>(Left, Right, bNegate);
        case '*': return PickLeft<'*'>(Left, Right, bNegate);
        case '/': return PickLeft<'/'>(Left, Right, bNegate);
        default: return PickLeft<'^'>(Left, Right, bNegate);
    }
}

TQuickNode NodeOf(TEvals Evals, const TQuickOperand& Left, const TQuickOperand& Right = {},
                  int iExponent = 0) {
    return {Evals.Eval, Evals.EvalPair, Left, Right, iExponent};
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
            if (In.bNegate) bShallow = AddNode(NodeOf(LeafEvals<TKind::Bound, true>(), Column), 1);
            else Stack.push_back({Column, TKind::Bound, 0});
        } else if (In.Opcode >= TOpcode::Add) {
            const TPending Right = HasConstantRight(In.Opcode) ? ConstantOperand(In.rValue) : Pop();
            const TPending Left = HasConstantLeft(In.Opcode) ? ConstantOperand(In.rValue) : Pop();
            const char cOperator = OperatorOf(In.Opcode);
            int iExponent = 0;
            const TEvals Evals = cOperator == '^' && Right.Kind >= TKind::Constant &&
                                         rtl::IsWholeExponent(Right.Operand.rValue, iExponent)
                                     ? PickWholePower(iExponent, Left.Kind, In.bNegate)
                                     : PickOperator(cOperator, Left.Kind, Right.Kind, In.bNegate);
            bShallow = AddNode(NodeOf(Evals, Left.Operand, Right.Operand, iExponent),
                               std::max(Left.iDepth, Right.iDepth) + 1);
        } else {
            return;  // a variable or a call: not for this form
        }
        if (!bShallow) return;
    }
    if (Stack.size() != 1) return;
    const TPending& Root = Stack.back();
    if (Root.Kind == TKind::Node) FRoot = Root.Operand.pNode;
    else
        FRoot = &FNodes.emplace_back(NodeOf(Root.Kind == TKind::Bound ? LeafEvals<TKind::Bound, false>()
                                                                      : LeafEvals<TKind::Constant, false>(),
                                            Root.Operand));
}

void TQuickForm::ClearNotFinite() { std::feclearexcept(FE_OVERFLOW | FE_INVALID | FE_DIVBYZERO); }

bool TQuickForm::RunRows(std::size_t iFirst, std::size_t nRows, Extended* pResults) const {
    try {
        std::size_t i = 0;
        for (; i + 1 < nRows; i += 2) {
            if (!InputsFinite(iFirst + i) || !InputsFinite(iFirst + i + 1)) return false;
            const TQuickPair Pair = FRoot->EvalPair(*FRoot, iFirst + i);
            pResults[i] = __real__ Pair;
            pResults[i + 1] = __imag__ Pair;
        }
        if (i < nRows) {
            if (!InputsFinite(iFirst + i)) return false;
            pResults[i] = FRoot->Eval(*FRoot, iFirst + i);
        }
    } catch (const rtl::EMathError&) {
        return false;
    }
    return !NotFiniteRaised();
}

}  // namespace quorix::core
