// TQuorix, variables flavour: Calc and the evaluator. There is no error flag: an
// error is reported and the evaluation goes on with 0 for the failed operation.
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "engine_vars/Quorix.hpp"
#include "engine/core/Arithmetic.hpp"
#include "engine/core/Program.hpp"
#include "framework/Math.hpp"

namespace quorix {
inline namespace gen5 {

bool TQuorix::Calc() {
    if (FInCalc) return false;
    FInCalc = true;
    struct TEnd {
        TQuorix& Self;
        ~TEnd() {
            Self.FInCalc = false;
            Self.ReleaseRetiredWhenIdle();
        }
    } End{*this};

    Parse();
    if (!FRoot) {
        FValue = 0;
        return false;
    }
    const unsigned iVersion = FTextVersion;
    const rtl::Extended rValue = EvaluateTree();
    // A handler that assigned a new text has reset Value; this result is of the old one.
    if (FTextVersion != iVersion) return false;
    FValue = rValue;
    return true;
}

// The walker's evaluation as a program: the same values, calls and reports.
rtl::Extended TQuorix::EvaluateTree() {
    struct TRules {
        TQuorix& Self;
        static bool Failed() { return false; }
        static bool Stopped() { return false; }
        rtl::Extended Read(const TTie& Tie) { return Self.ReadVariable(Tie); }
        bool CanCall(const TTie&) const { return static_cast<bool>(Self.FOnGetFunction); }
        rtl::Extended Call(TTie& Tie) { return Self.CallFunction(Tie); }
        rtl::Extended DivideByZero(const TTie& Tie) { return Self.DivideByZero(Tie); }
    } Rules{*this};
    return FProgram.Of(FRoot, core::TBareName::Variable).Run(Rules);
}

rtl::Extended TQuorix::DivideByZero(const TTie& Tie) {
    ReportError(Tie.iPos, qeDivisionByZero);
    return 0;
}

rtl::Extended TQuorix::Combine(const TTie& Tie, rtl::Extended l, rtl::Extended r) {
    if (Tie.sName[0] == '/' && r == 0) return DivideByZero(Tie);
    return core::ApplyOperator(Tie.sName[0], l, r) * Tie.iSign;
}

rtl::Extended TQuorix::ReadVariable(const TTie& Tie) {
    rtl::Extended v = 0;
    if (FOnGetVariable) (*FOnGetVariable)(Tie.sUpperName, v);
    return core::Signed(core::Finite(v), Tie.iSign == -1);
}

rtl::Extended TQuorix::CallFunction(TTie& Tie) {
    rtl::Extended v = 0;
    // An argument's handler may have removed this one meanwhile: then the call gives 0.
    if (FOnGetFunction) (*FOnGetFunction)(Tie.sUpperName, std::span<const rParam>(Tie.arrParams), Tie.iParCount, v);
    return core::Signed(core::Finite(v), Tie.iSign == -1);
}

// The walk keeps its own stack, so a long chain of operators cannot exhaust the
// call stack. The order of handler calls is that of the recursive description:
// left operand before right, arguments from the last to the first.
rtl::Extended TQuorix::CalcOnBST(TTie* pTie) {
    struct TFrame {
        TTie* pTie;
        int iStep;  // operator: 0 left pending, 1 right pending; call: next argument + 1
        rtl::Extended rLeft;
    };
    std::vector<TFrame> Stack;
    rtl::Extended rResult = 0;  // value of the subtree finished last

    // Starts a subtree: either its value is known at once (into rResult, returning
    // false), or a frame is pushed to finish it.
    const auto Enter = [&](TTie* pNode) {
        if (!pNode) {
            rResult = 0;
            return false;
        }
        if (pNode->bNumber || pNode->bConst) {
            rResult = pNode->rValue * pNode->iSign;
            return false;
        }
        if (core::IsOperatorNode(*pNode)) {
            Stack.push_back({pNode, 0, 0});
            return true;
        }
        if (pNode->iParCount == 0) {
            rResult = ReadVariable(*pNode);
            return false;
        }
        if (!FOnGetFunction) {
            rResult = 0;  // the arguments are not even evaluated
            return false;
        }
        Stack.push_back({pNode, pNode->iParCount, 0});
        return true;
    };

    if (!Enter(pTie)) return rResult;
    bool bReturning = false;  // rResult holds the value of the child just finished
    while (!Stack.empty()) {
        TFrame& Frame = Stack.back();
        TTie& Node = *Frame.pTie;
        if (core::IsOperatorNode(Node)) {
            if (Frame.iStep == 0 && !bReturning) {
                bReturning = !Enter(Node.pLeft);
                continue;
            }
            if (Frame.iStep == 0) {
                Frame.rLeft = rResult;
                Frame.iStep = 1;
                bReturning = !Enter(Node.pRight);
                continue;
            }
            const rtl::Extended l = Frame.rLeft;
            Stack.pop_back();
            rResult = Combine(Node, l, rResult);
            bReturning = true;
            continue;
        }
        // A call: Frame.iStep - 1 is the argument evaluated last.
        if (bReturning) Node.arrParams[Frame.iStep].rValue = rResult;
        bReturning = false;
        while (Frame.iStep > 0 && Node.arrParams[Frame.iStep - 1].bIsString) --Frame.iStep;
        if (Frame.iStep > 0) {
            --Frame.iStep;
            bReturning = !Enter(Node.arrParams[Frame.iStep].pTie);
            continue;
        }
        Stack.pop_back();
        rResult = CallFunction(Node);
        bReturning = true;
    }
    return rResult;
}

}  // namespace gen5
}  // namespace quorix
