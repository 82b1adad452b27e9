// TQuorix, variables flavour: Calc, the compiled evaluation and the tree walker, with
// this flavour's rules. There is no error flag: an error is reported and the
// evaluation goes on with 0 for the failed operation.
#include <cmath>
#include <span>

#include "engine/core/Arithmetic.hpp"
#include "engine/core/Evaluation.hpp"
#include "engine/core/Program.hpp"
#include "engine/core/ScopeGuard.hpp"
#include "engine_vars/Quorix.hpp"

namespace quorix {
inline namespace gen5 {

// Inline: the compiled program calls these once per name it reads.
inline rtl::Extended TQuorix::ReadVariable(const TTie& Tie, rtl::Extended& v) {
    core::ZeroInPlace(v);
    if (FOnGetVariable) (*FOnGetVariable)(Tie.sUpperName, v);
    return core::Signed(core::FiniteStored(v), Tie.iSign == -1);
}

inline rtl::Extended TQuorix::CallFunction(TTie& Tie) {
    rtl::Extended v;
    core::ZeroInPlace(v);
    // An argument's handler may have removed this one meanwhile: then the call gives 0.
    if (FOnGetFunction)
        (*FOnGetFunction)(Tie.sUpperName, std::span<const rParam>(Tie.arrParams), Tie.iParCount, v);
    return core::Signed(core::FiniteStored(v), Tie.iSign == -1);
}

struct TQuorix::TEvalRules {
    static constexpr core::TBareName BareName = core::TBareName::Variable;

    TQuorix& Self;
    const TEvaluating Evaluating{Self};

    static bool Failed() { return false; }
    static bool Stopped() { return false; }
    static bool FailedOrStopped() { return false; }
    const rtl::Extended* Bound(const TTie& Tie) const { return Self.FindBound(Tie); }
    const core::TPureCall* Routine(const TTie& Tie) const { return Self.FindRoutine(Tie); }
    rtl::Extended Read(TTie& Tie, rtl::Extended& rAnswer) { return Self.ReadVariable(Tie, rAnswer); }
    bool CanCall(const TTie&) const { return static_cast<bool>(Self.FOnGetFunction); }
    rtl::Extended Call(TTie& Tie, const void*) { return Self.CallFunction(Tie); }
    rtl::Extended DivideByZero(const TTie& Tie) {
        Self.ReportError(Tie.iPos, qeDivisionByZero);
        return 0;
    }
};

bool TQuorix::Calc() {
    if (FInCalc) return false;
    FInCalc = true;
    const core::TScopeExit CalcEnd([this] { FInCalc = false; });

    Parse();
    if (!FRoot) {
        FValue = 0;
        return false;
    }
    const uint64_t iGeneration = FGeneration;
    const rtl::Extended rValue = EvaluateTree();
    // A handler that assigned a new text has reset Value; this result is of the old one.
    if (FGeneration != iGeneration) return false;
    FValue = rValue;
    return true;
}

rtl::Extended TQuorix::EvaluateTree() {
    core::TProgram& Program = LinkedProgram();
    if (const rtl::Extended rValue = Program.RunQuick(FRow); !std::isnan(rValue)) [[likely]]
        return rValue;
    TEvalRules Rules{*this};
    return Program.Run(Rules, FRow);
}

rtl::Extended TQuorix::CalcOnBST(TTie* pTie) {
    TEvalRules Rules{*this};
    return core::WalkTree(pTie, Rules);
}

}  // namespace gen5
}  // namespace quorix
