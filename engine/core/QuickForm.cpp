#include "engine/core/QuickForm.hpp"

#include <algorithm>
#include <cfenv>
#include <cfloat>
#include <cmath>
#include <optional>
#include <type_traits>

#include "engine/core/Arithmetic.hpp"
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

constexpr bool IsConstant(TKind Kind) { return Kind >= TKind::Constant; }

// A node's function is written once over its lane type V: one row (Extended) or two
// (TQuickPair), whose every operation acts on each row alone.
template <class V>
constexpr bool kPair = std::is_same_v<V, TQuickPair>;

template <class V>
V Splat(Extended rValue) {
    if constexpr (kPair<V>) return rtl::ExtendedTwo(rValue, rValue);
    else return rValue;
}

template <class V, class F>
V EachRow(F&& Apply, V Value) {
    if constexpr (kPair<V>) return rtl::ExtendedTwo(Apply(__real__ Value), Apply(__imag__ Value));
    else return Apply(Value);
}

template <class V, class F>
V EachRow(F&& Apply, V Left, V Right) {
    if constexpr (kPair<V>)
        return rtl::ExtendedTwo(Apply(__real__ Left, __real__ Right), Apply(__imag__ Left, __imag__ Right));
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
        if constexpr (kPair<V>) return rtl::ExtendedTwo(Operand.pBound[iRow], Operand.pBound[iRow + 1]);
        else return Operand.pBound[iRow];
    } else if constexpr (Kind == TKind::Double) return Splat<V>(Operand.dValue);
    else return Splat<V>(Operand.rValue);
}

template <class V>
V SignedRows(V Value, bool bNegate) {
    return EachRow([bNegate](Extended r) { return Signed(r, bNegate); }, Value);
}

// Both operands of a node. A subtree on the right is evaluated first when the left
// operand is a leaf, so that no value waits in memory across its call. The order is
// free: nothing observable happens in a run, and a run that raises is redone by the
// checked interpreter.
template <class V, TKind Left, TKind Right>
void Operands(const TQuickNode& Node, std::size_t iRow, V& Lhs, V& Rhs) {
    if constexpr (Left != TKind::Node && Right == TKind::Node) {
        Rhs = Operand<V, Right>(Node.Right, iRow);
        Lhs = Operand<V, Left>(Node.Left, iRow);
    } else {
        Lhs = Operand<V, Left>(Node.Left, iRow);
        Rhs = Operand<V, Right>(Node.Right, iRow);
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

template <class V, char cOperator, TKind Left, TKind Right, bool bNegate>
V OperatorNode(const TQuickNode& Node, std::size_t iRow) {
    V Lhs, Rhs;
    Operands<V, Left, Right>(Node, iRow, Lhs, Rhs);
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
    else if constexpr (kPair<V> && Left == TKind::Bound)
        return rtl::IntPowersAt(Node.Left.pBound[iRow], Node.Left.pBound[iRow + 1], Node.iExponent);
    else if constexpr (kPair<V>) return Splat<V>(WholePowerAt<Left>(Node, iRow));
    else return WholePowerAt<Left>(Node, iRow);
}

template <class V, TWholePower Power, TKind Left, bool bNegate>
V WholePowerNode(const TQuickNode& Node, std::size_t iRow) {
    return SignedRows(WholePower<V, Power, Left>(Node, iRow), bNegate);
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

// What a call node tests beside its arguments' finiteness: nothing, the built-in's
// domain before the call, or the value of a caller's routine after it.
enum class TCallTest { None, Domain, Result };

TCallTest TestOf(const TPureCall& Call) {
    return !Call.Tests.empty() ? TCallTest::Domain : Call.bResultTested ? TCallTest::Result : TCallTest::None;
}

// A value of a caller's routine that is not finite is taken in the checked run.
template <TCallTest Test>
Extended Tested(Extended rValue) {
    if (Test == TCallTest::Result && !std::isfinite(rValue)) [[unlikely]]
        return NeedsCheckedRun();
    return rValue;
}

// One row's call of a pure routine with iArity arguments, x and y.
template <int iArity, TKind First, TKind Second, TCallTest Test>
Extended CallRow(const TPureCall& Call, Extended x, Extended y) {
    constexpr bool bDomain = Test == TCallTest::Domain;
    if constexpr (iArity == 0) return Call.Nullary();
    else if constexpr (iArity == 1) {
        if (NotFinite<First>(x) || (bDomain && OutOfDomain(Call, x, 0))) [[unlikely]]
            return NeedsCheckedRun();
        return Tested<Test>(Call.Unary(x));
    } else {
        if (NotFinite<First>(x) || NotFinite<Second>(y) || (bDomain && OutOfDomain(Call, x, y))) [[unlikely]]
            return NeedsCheckedRun();
        return Tested<Test>(Call.Binary(x, y));
    }
}

template <class V, int iArity, TKind First, TKind Second, TCallTest Test, bool bNegate>
V CallNode(const TQuickNode& Node, std::size_t iRow) {
    const TPureCall& Call = *Node.pCall;
    V x = Splat<V>(0), y = Splat<V>(0);
    if constexpr (iArity == 1) x = Operand<V, First>(Node.Left, iRow);
    else if constexpr (iArity == 2) Operands<V, First, Second>(Node, iRow, x, y);
    const auto Row = [&Call](Extended rFirst, Extended rSecond) {
        return CallRow<iArity, First, Second, Test>(Call, rFirst, rSecond);
    };
    return SignedRows(EachRow(Row, x, y), bNegate);
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

// The node functions are picked by turning each run-time choice into a compile-time
// one: Pick is a lambda templated on the choice, called with the one of First and Rest
// that Value is.
template <auto First, auto... Rest, class F>
TEvals ByValue(decltype(First) Value, F Pick) {
    TEvals Evals;
    const auto Try = [&]<auto Candidate>() {
        if (Value != Candidate) return false;
        Evals = Pick.template operator()<Candidate>();
        return true;
    };
    (Try.template operator()<First>() || ... || Try.template operator()<Rest>());
    return Evals;
}

template <class F>
TEvals ByKind(TKind Kind, F Pick) {
    return ByValue<TKind::Node, TKind::Bound, TKind::Constant, TKind::Double>(Kind, Pick);
}

template <class F>
TEvals ByFlag(bool bFlag, F Pick) {
    return ByValue<true, false>(bFlag, Pick);
}

template <class F>
TEvals ByTest(TCallTest Test, F Pick) {
    return ByValue<TCallTest::None, TCallTest::Domain, TCallTest::Result>(Test, Pick);
}

template <char cOperator>
TEvals PickOperatorFor(TKind Left, TKind Right, bool bNegate) {
    return ByKind(Left, [=]<TKind L>() {
        return ByKind(Right, [=]<TKind R>() {
            return ByFlag(bNegate, []<bool N>() {
                return TEvals{&OperatorNode<Extended, cOperator, L, R, N>,
                              &OperatorNode<TQuickPair, cOperator, L, R, N>};
            });
        });
    });
}

TEvals PickOperator(char cOperator, TKind Left, TKind Right, bool bNegate) {
    switch (cOperator) {
        case '+': return PickOperatorFor<'+'>(Left, Right, bNegate);
        case '-': return PickOperatorFor<'-'>(Left, Right, bNegate);
        case '*': return PickOperatorFor<'*'>(Left, Right, bNegate);
        case '/': return PickOperatorFor<'/'>(Left, Right, bNegate);
        default: return PickOperatorFor<'^'>(Left, Right, bNegate);
    }
}

template <TWholePower Power>
TEvals PickWholePowerFor(TKind Left, bool bNegate) {
    // A constant base is read where it lies, as an Extended.
    if (IsConstant(Left)) Left = TKind::Constant;
    return ByKind(Left, [=]<TKind L>() {
        return ByFlag(bNegate, []<bool N>() {
            return TEvals{&WholePowerNode<Extended, Power, L, N>, &WholePowerNode<TQuickPair, Power, L, N>};
        });
    });
}

TEvals PickWholePower(int iExponent, TKind Left, bool bNegate) {
    switch (iExponent) {
        case 0: return PickWholePowerFor<TWholePower::Zero>(Left, bNegate);
        case 1: return PickWholePowerFor<TWholePower::One>(Left, bNegate);
        case 2: return PickWholePowerFor<TWholePower::Square>(Left, bNegate);
        default: return PickWholePowerFor<TWholePower::Other>(Left, bNegate);
    }
}

// Kinds past a call's arguments are taken as constants, which it never reads.
template <int iArity>
TEvals PickCallFor(TKind First, TKind Second, TCallTest Test, bool bNegate) {
    if (iArity < 2) Second = TKind::Constant;
    if (iArity < 1) First = TKind::Constant;
    return ByKind(First, [=]<TKind A>() {
        return ByKind(Second, [=]<TKind B>() {
            return ByTest(Test, [=]<TCallTest T>() {
                return ByFlag(bNegate, []<bool N>() {
                    return TEvals{&CallNode<Extended, iArity, A, B, T, N>,
                                  &CallNode<TQuickPair, iArity, A, B, T, N>};
                });
            });
        });
    });
}

TEvals PickCall(const TPureCall& Call, TKind First, TKind Second, bool bNegate) {
    const TCallTest Test = TestOf(Call);
    switch (Call.Arity()) {
        case 0: return PickCallFor<0>(First, Second, Test, bNegate);
        case 1: return PickCallFor<1>(First, Second, Test, bNegate);
        default: return PickCallFor<2>(First, Second, Test, bNegate);
    }
}

template <TKind Kind, bool bNegate>
TEvals LeafEvals() {
    return {&LeafNode<Extended, Kind, bNegate>, &LeafNode<TQuickPair, Kind, bNegate>};
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

TQuickNode NodeOf(TEvals Evals, const TQuickOperand& Left, const TQuickOperand& Right = {}, int iExponent = 0,
                  const TPureCall* pCall = nullptr) {
    return {Evals.Eval, Evals.EvalPair, Left, Right, iExponent, pCall};
}

// Which operands of an operator opcode come from its own instruction.
bool HasConstantRight(TOpcode Opcode) {
    return Opcode >= TOpcode::AddConstant && Opcode <= TOpcode::PowerOfConstant;
}
bool HasConstantLeft(TOpcode Opcode) { return Opcode >= TOpcode::ConstantPlus; }

// Whether a pure call's node can stand for the call In: it has exactly the routine's
// count of arguments, all of them numbers written out, and its domain tests read only
// those.
bool IsQuickCall(const TInstruction& In) {
    const TPureCall* pCall = In.QuickCall();
    if (!pCall || !TakesNumbers(*pCall, *In.pTie)) return false;
    const int iArity = pCall->Arity();
    for (const TDomainTest& Test : pCall->Tests)
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
            case TOpcode::Call: return In.QuickCall() != nullptr;
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
        const auto Evaluated = [&Node] { return Node.Eval(Node, 0); };
        if (const std::optional<Extended> rValue = bConstants ? CleanValue(Evaluated) : std::nullopt) {
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
            if (In.bNegate) bShallow = AddNode(NodeOf(LeafEvals<TKind::Bound, true>(), Column), 0, false);
            else Stack.push_back({Column, TKind::Bound, 0});
        } else if (In.Opcode >= TOpcode::Add) {
            const TPending Right = HasConstantRight(In.Opcode) ? ConstantOperand(In.rValue) : Pop();
            const TPending Left = HasConstantLeft(In.Opcode) ? ConstantOperand(In.rValue) : Pop();
            const char cOperator = OperatorOf(In.Opcode);
            int iExponent = 0;
            const TEvals Evals = cOperator == '^' && IsConstant(Right.Kind) &&
                                         rtl::IsWholeExponent(Right.Operand.rValue, iExponent)
                                     ? PickWholePower(iExponent, Left.Kind, In.bNegate)
                                     : PickOperator(cOperator, Left.Kind, Right.Kind, In.bNegate);
            bShallow =
                AddNode(NodeOf(Evals, Left.Operand, Right.Operand, iExponent),
                        std::max(Left.iDepth, Right.iDepth), IsConstant(Left.Kind) && IsConstant(Right.Kind));
        } else if (In.Opcode == TOpcode::CallStart) {
            continue;  // a pure call is always answered: its node comes with its Call
        } else {
            if (!IsQuickCall(In)) return;
            const TPureCall& Call = *In.QuickCall();
            // The first argument is on top; past the arguments, constants never read.
            TPending Arguments[2] = {ConstantOperand(0), ConstantOperand(0)};
            for (int i = 0; i < Call.Arity(); ++i) Arguments[i] = Pop();
            const TPending &First = Arguments[0], &Second = Arguments[1];
            const TEvals Evals = PickCall(Call, First.Kind, Second.Kind, In.bNegate);
            bShallow = AddNode(NodeOf(Evals, First.Operand, Second.Operand, 0, &Call),
                               std::max(First.iDepth, Second.iDepth),
                               IsConstant(First.Kind) && IsConstant(Second.Kind));
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
    } catch (...) {
        return false;  // the rows are run again, checked, where it is met as it would be
    }
    return !NotFiniteRaised();
}

}  // namespace quorix::core
