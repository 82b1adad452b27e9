#include "engine/core/QuickForm.hpp"

#include <algorithm>
#include <cfenv>
#include <cfloat>
#include <cmath>
#include <optional>

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

enum class TKind { Node, Bound, Constant };

template <TKind Kind>
Extended Operand(const TQuickOperand& Operand, std::size_t iRow) {
    if constexpr (Kind == TKind::Node) return Operand.pNode->Eval(*Operand.pNode, iRow);
    else if constexpr (Kind == TKind::Bound) return Operand.pBound[iRow];
    else return Operand.rValue;
}

// Both operands of a node. A subtree on the right is evaluated first when the left
// operand is a leaf, so that no value waits in memory across its call. The order is
// free: nothing observable happens in a run, and a run that raises is redone by the
// checked interpreter.
template <TKind Left, TKind Right>
void Operands(const TQuickNode& Node, std::size_t iRow, Extended& rLeft, Extended& rRight) {
    if constexpr (Left != TKind::Node && Right == TKind::Node) {
        rRight = Operand<Right>(Node.Right, iRow);
        rLeft = Operand<Left>(Node.Left, iRow);
    } else {
        rLeft = Operand<Left>(Node.Left, iRow);
        rRight = Operand<Right>(Node.Right, iRow);
    }
}

template <char cOperator>
Extended Apply(Extended rLeft, Extended rRight) {
    if constexpr (cOperator == '+') return rLeft + rRight;
    else if constexpr (cOperator == '-') return rLeft - rRight;
    else if constexpr (cOperator == '*') return rLeft * rRight;
    else if constexpr (cOperator == '/') return rLeft / rRight;
    else return rtl::Power(rLeft, rRight);
}

template <char cOperator, TKind Left, TKind Right, bool bNegate>
Extended OperatorNode(const TQuickNode& Node, std::size_t iRow) {
    Extended rLeft, rRight;
    Operands<Left, Right>(Node, iRow, rLeft, rRight);
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
    else if constexpr (Left == TKind::Constant) return rtl::IntPowerAt(Node.Left.rValue, Node.iExponent);
    else return rtl::IntPower(Operand<Left>(Node.Left, iRow), Node.iExponent);
}

template <TWholePower Power, TKind Left, bool bNegate>
Extended WholePowerNode(const TQuickNode& Node, std::size_t iRow) {
    return Signed(WholePower<Power, Left>(Node, iRow), bNegate);
}

// What a call node gives when its row needs the checked evaluation: a NaN made by an
// invalid operation, whose flag the run finds afterwards even where the value itself
// is dropped (a power 0 discards its base).
[[gnu::cold, gnu::noinline]] Extended NeedsCheckedRun() {
    volatile Extended rZero = 0;
    return rZero / rZero;
}

// Whether a call's arguments fail one of its domain tests.
bool OutOfDomain(const TPureCall& Call, Extended rFirst, Extended rSecond) {
    const Extended Arguments[] = {0, rFirst, rSecond};  // by position; 0 where none
    for (const TDomainTest& Test : Call.Tests)
        if (Test.Fails(Arguments[Test.iPosition], Arguments[Test.iOther])) return true;
    return false;
}

// Whether an argument may not be handed to a routine, which takes finite numbers
// only. A bound value was tested before the run, and constants are finite (the parser
// makes no others); a subtree gives a value that is not finite only where a flag is
// up already.
template <TKind Kind>
bool NotFinite(Extended rValue) {
    if constexpr (Kind == TKind::Node) return !std::isfinite(rValue);
    else return false;
}

// A call of a pure routine with iArity arguments, First and Second; bTested: it has
// domain tests.
template <int iArity, TKind First, TKind Second, bool bTested, bool bNegate>
Extended CallNode(const TQuickNode& Node, std::size_t iRow) {
    const TPureCall& Call = *Node.pCall;
    if constexpr (iArity == 0) {
        return Signed(Call.Nullary(), bNegate);
    } else if constexpr (iArity == 1) {
        const Extended x = Operand<First>(Node.Left, iRow);
        if (NotFinite<First>(x) || (bTested && OutOfDomain(Call, x, 0))) [[unlikely]]
            return NeedsCheckedRun();
        return Signed(Call.Unary(x), bNegate);
    } else {
        Extended x, y;
        Operands<First, Second>(Node, iRow, x, y);
        if (NotFinite<First>(x) || NotFinite<Second>(y) || (bTested && OutOfDomain(Call, x, y))) [[unlikely]]
            return NeedsCheckedRun();
        return Signed(Call.Binary(x, y), bNegate);
    }
}

template <TKind Kind, bool bNegate>
Extended LeafNode(const TQuickNode& Node, std::size_t iRow) {
    return Signed(Operand<Kind>(Node.Left, iRow), bNegate);
}

// The node functions are picked by turning each run-time choice into a compile-time
// one: Pick is a lambda templated on the kind, or on the flag.
template <class F>
TQuickEval ByKind(TKind Kind, F Pick) {
    switch (Kind) {
        case TKind::Node: return Pick.template operator()<TKind::Node>();
        case TKind::Bound: return Pick.template operator()<TKind::Bound>();
        case TKind::Constant: return Pick.template operator()<TKind::Constant>();
    }
    return nullptr;
}

template <class F>
TQuickEval ByFlag(bool bFlag, F Pick) {
    return bFlag ? Pick.template operator()<true>() : Pick.template operator()<false>();
}

template <char cOperator>
TQuickEval PickOperatorFor(TKind Left, TKind Right, bool bNegate) {
    return ByKind(Left, [=]<TKind L>() {
        return ByKind(Right, [=]<TKind R>() {
            return ByFlag(bNegate, []<bool N>() { return &OperatorNode<cOperator, L, R, N>; });
        });
    });
}

TQuickEval PickOperator(char cOperator, TKind Left, TKind Right, bool bNegate) {
    switch (cOperator) {
        case '+': return PickOperatorFor<'+'>(Left, Right, bNegate);
        case '-': return PickOperatorFor<'-'>(Left, Right, bNegate);
        case '*': return PickOperatorFor<'*'>(Left, Right, bNegate);
        case '/': return PickOperatorFor<'/'>(Left, Right, bNegate);
        default: return PickOperatorFor<'^'>(Left, Right, bNegate);
    }
}

template <TWholePower Power>
TQuickEval PickWholePowerFor(TKind Left, bool bNegate) {
    return ByKind(Left, [=]<TKind L>() {
        return ByFlag(bNegate, []<bool N>() { return &WholePowerNode<Power, L, N>; });
    });
}

TQuickEval PickWholePower(int iExponent, TKind Left, bool bNegate) {
    switch (iExponent) {
        case 0: return PickWholePowerFor<TWholePower::Zero>(Left, bNegate);
        case 1: return PickWholePowerFor<TWholePower::One>(Left, bNegate);
        case 2: return PickWholePowerFor<TWholePower::Square>(Left, bNegate);
        default: return PickWholePowerFor<TWholePower::Other>(Left, bNegate);
    }
}

// Kinds past a call's arguments are taken as constants, which it never reads.
template <int iArity>
TQuickEval PickCallFor(TKind First, TKind Second, bool bTested, bool bNegate) {
    if (iArity < 2) Second = TKind::Constant;
    if (iArity < 1) First = TKind::Constant;
    return ByKind(First, [=]<TKind A>() {
        return ByKind(Second, [=]<TKind B>() {
            return ByFlag(bTested, [=]<bool T>() {
                return ByFlag(bNegate, []<bool N>() { return &CallNode<iArity, A, B, T, N>; });
            });
        });
    });
}

TQuickEval PickCall(const TPureCall& Call, TKind First, TKind Second, bool bNegate) {
    const bool bTested = !Call.Tests.empty();
    switch (Call.Arity()) {
        case 0: return PickCallFor<0>(First, Second, bTested, bNegate);
        case 1: return PickCallFor<1>(First, Second, bTested, bNegate);
        default: return PickCallFor<2>(First, Second, bTested, bNegate);
    }
}

// An operand while the form is built, with the depth of its subtree.
struct TPending {
    TQuickOperand Operand;
    TKind Kind = TKind::Constant;
    int iDepth = 0;
};

TPending ConstantOperand(Extended rValue) { return {{nullptr, nullptr, rValue}, TKind::Constant, 0}; }

// Which operands of an operator opcode come from its own instruction.
bool HasConstantRight(TOpcode Opcode) {
    return Opcode >= TOpcode::AddConstant && Opcode <= TOpcode::PowerOfConstant;
}
bool HasConstantLeft(TOpcode Opcode) { return Opcode >= TOpcode::ConstantPlus; }

// Whether a pure call's node can stand for the call In: it has exactly the routine's
// count of arguments, all of them numbers written out (no string, none left empty),
// and its domain tests read only those.
bool IsQuickCall(const TInstruction& In) {
    if (!In.pPure) return false;
    const int iArity = In.pPure->Arity();
    if (In.pTie->iParCount != iArity) return false;
    for (const rParam& Arg : In.pTie->arrParams)
        if (Arg.bIsString || !Arg.pTie) return false;
    for (const TDomainTest& Test : In.pPure->Tests)
        if (Test.iPosition < 1 || Test.iPosition > iArity || Test.iOther < 0 || Test.iOther > iArity)
            return false;
    return true;
}

}  // namespace

bool TQuickForm::Takes(std::span<const TInstruction> Code) {
    return std::all_of(Code.begin(), Code.end(), [](const TInstruction& In) {
        switch (In.Opcode) {
            case TOpcode::Read: return false;
            case TOpcode::CallLeaf:
            case TOpcode::Call: return In.pPure != nullptr;
            default: return true;
        }
    });
}

TQuickForm::TQuickForm(std::span<const TInstruction> Code) {
    if (!Takes(Code)) return;
    // At most one node per instruction, so that nodes never move while pointed at.
    FNodes.reserve(Code.size() + 1);
    std::vector<TPending> Stack;
    // Adds Node over operands whose deepest subtree is iDepth deep; a node of constants
    // alone becomes a constant where it evaluates cleanly.
    const auto AddNode = [&](const TQuickNode& Node, int iDepth, bool bConstants) {
        if (const std::optional<Extended> rValue = bConstants ? Folded(Node) : std::nullopt) {
            Stack.push_back(ConstantOperand(*rValue));
            return true;
        }
        Stack.push_back({{&FNodes.emplace_back(Node), nullptr, 0}, TKind::Node, iDepth + 1});
        return iDepth < kMaxDepth;
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
            if (In.bNegate) bShallow = AddNode({&LeafNode<TKind::Bound, true>, Column, {}}, 0, false);
            else Stack.push_back({Column, TKind::Bound, 0});
        } else if (In.Opcode >= TOpcode::Add) {
            const TPending Right = HasConstantRight(In.Opcode) ? ConstantOperand(In.rValue) : Pop();
            const TPending Left = HasConstantLeft(In.Opcode) ? ConstantOperand(In.rValue) : Pop();
            TQuickNode Node{nullptr, Left.Operand, Right.Operand};
            const char cOperator = OperatorOf(In.Opcode);
            if (cOperator == '^' && Right.Kind == TKind::Constant &&
                rtl::IsWholeExponent(Right.Operand.rValue, Node.iExponent))
                Node.Eval = PickWholePower(Node.iExponent, Left.Kind, In.bNegate);
            else Node.Eval = PickOperator(cOperator, Left.Kind, Right.Kind, In.bNegate);
            bShallow = AddNode(Node, std::max(Left.iDepth, Right.iDepth),
                               Left.Kind == TKind::Constant && Right.Kind == TKind::Constant);
        } else if (In.Opcode == TOpcode::CallStart) {
            continue;  // a pure call is always answered: its node comes with its Call
        } else {
            if (!IsQuickCall(In)) return;
            // The first argument is on top; past the arguments, constants never read.
            TPending Arguments[2] = {ConstantOperand(0), ConstantOperand(0)};
            for (int i = 0; i < In.pPure->Arity(); ++i) Arguments[i] = Pop();
            const TPending &First = Arguments[0], &Second = Arguments[1];
            TQuickNode Node{PickCall(*In.pPure, First.Kind, Second.Kind, In.bNegate), First.Operand,
                            Second.Operand};
            Node.pCall = In.pPure;
            bShallow = AddNode(Node, std::max(First.iDepth, Second.iDepth),
                               First.Kind == TKind::Constant && Second.Kind == TKind::Constant);
        }
        if (!bShallow) return;
    }
    if (Stack.size() != 1) return;
    const TPending& Root = Stack.back();
    if (Root.Kind == TKind::Node) FRoot = Root.Operand.pNode;
    else
        FRoot = &FNodes.emplace_back(TQuickNode{
            Root.Kind == TKind::Bound ? &LeafNode<TKind::Bound, false> : &LeafNode<TKind::Constant, false>,
            Root.Operand});
}

std::optional<Extended> TQuickForm::Folded(const TQuickNode& Node) {
    // The status flags are left as they were found: only this evaluation's are read.
    std::fexcept_t Before;
    std::fegetexceptflag(&Before, FE_ALL_EXCEPT);
    ClearNotFinite();
    std::optional<Extended> rFolded;
    try {
        const Extended rValue = Node.Eval(Node, 0);
        if (!NotFiniteRaised() && std::isfinite(rValue)) rFolded = rValue;
    } catch (const rtl::EMathError&) {}
    std::fesetexceptflag(&Before, FE_ALL_EXCEPT);
    return rFolded;
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
