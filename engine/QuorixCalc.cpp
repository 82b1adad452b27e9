// TQuorix: Calc, the compiled evaluation and the tree walker, with this flavour's
// rules: an error stops the evaluation, which then gives 0.
#include <cmath>
#include <span>

#include "engine/Quorix.hpp"
#include "engine/core/Evaluation.hpp"
#include "engine/core/Program.hpp"
#include "engine/core/ScopeGuard.hpp"

namespace quorix {
inline namespace gen4 {

// Inline: the compiled program calls these once per name it reads.
inline rtl::Extended TQuorix::CallFunction(TTie& Tie, const void* pBuildIn, rtl::Extended& rResult) {
    // An argument's handler may have removed this one meanwhile: then the call gives 0.
    if (!pBuildIn && !Tie.bBuildIn && !FOnGetFunction) return core::Signed(0, Tie.iSign == -1);
    int iErrCode = 0;
    core::ZeroInPlace(rResult);
    const std::span<const rParam> arrPar(Tie.arrParams);
    if (pBuildIn) CallBuildIn(pBuildIn, arrPar, Tie.iParCount, iErrCode, rResult);
    else if (Tie.bBuildIn) GetFunBuildIn(Tie.sUpperName, arrPar, Tie.iParCount, iErrCode, rResult);
    // Held by FOnGetFunction: one replaced while it runs is retired, not released.
    else (*FOnGetFunction)(Tie.sUpperName, arrPar, Tie.iParCount, iErrCode, rResult);
    return AnsweredValue(Tie, iErrCode, rResult);
}

// The handler's part is a path of its own, with as few tests as the handler's call
// allows: the processor predicts the handler's own branches on the name better the
// fewer of ours lie between two of its calls (in the benchmark, a text of sixteen
// reads went from 275 to 207 ns).
inline rtl::Extended TQuorix::CallName(TTie& Tie, const void* pBuildIn, bool& bAnswered,
                                       rtl::Extended& rResult) {
    if (pBuildIn || Tie.bBuildIn) [[unlikely]] {
        bAnswered = Tie.bBuildIn || FOnGetFunction;
        return bAnswered ? CallFunction(Tie, pBuildIn, rResult) : 0;
    }
    bAnswered = static_cast<bool>(FOnGetFunction);
    if (!bAnswered) [[unlikely]]
        return 0;
    int iErrCode = 0;
    core::ZeroInPlace(rResult);
    // No arguments: arrParams is empty.
    (*FOnGetFunction)(Tie.sUpperName, std::span<const rParam>(), 0, iErrCode, rResult);
    return AnsweredValue(Tie, iErrCode, rResult);
}

// A call's value from what its answerer gave: an error code reports and fails the
// evaluation, which then gives 0; a handler's infinity or NaN raises as the
// operators' would, never a success.
inline rtl::Extended TQuorix::AnsweredValue(const TTie& Tie, int iErrCode, const rtl::Extended& rResult) {
    if (iErrCode != 0) [[unlikely]] {
        FCalcError = true;
        ReportError(Tie.iPos, iErrCode);
        return 0;
    }
    return core::Signed(core::FiniteStored(rResult), Tie.iSign == -1);
}

// An error stops the evaluation; the rules count it in progress while they live.
class TQuorix::TEvalRules {
public:
    static constexpr core::TBareName BareName = core::TBareName::Call;

    explicit TEvalRules(TQuorix& Self) : FSelf(Self), FGeneration(Self.FGeneration), FEvaluating(Self) {}

    bool Failed() const { return FSelf.FCalcError; }
    bool Stopped() const { return FSelf.FGeneration != FGeneration; }
    bool FailedOrStopped() const { return FSelf.FCalcError | (FSelf.FGeneration != FGeneration); }
    const rtl::Extended* Bound(const TTie& Tie) const { return FSelf.FindBound(Tie); }
    const core::TPureCall* Routine(const TTie& Tie) const { return FSelf.FindRoutine(Tie); }
    rtl::Extended Read(TTie& Tie, rtl::Extended& rAnswer) {  // not asked: BareName
        return FSelf.CallFunction(Tie, nullptr, rAnswer);
    }
    bool CanCall(const TTie& Tie) const { return FSelf.FOnGetFunction || Tie.bBuildIn; }
    rtl::Extended Call(TTie& Tie, const void* pBuildIn) {
        rtl::Extended rResult;
        return FSelf.CallFunction(Tie, pBuildIn, rResult);
    }
    rtl::Extended CallName(TTie& Tie, const void* pBuildIn, bool& bAnswered, rtl::Extended& rAnswer) {
        return FSelf.CallName(Tie, pBuildIn, bAnswered, rAnswer);
    }
    rtl::Extended DivideByZero(const TTie& Tie) {
        FSelf.FCalcError = true;
        FSelf.ReportError(Tie.iPos, qeDivisionByZero);
        return 0;
    }

private:
    TQuorix& FSelf;
    const uint64_t FGeneration;  // of the text being evaluated
    const TEvaluating FEvaluating;
};

bool TQuorix::Calc() {
    if (FInCalc) return false;
    FInCalc = true;
    FCalcError = false;
    FCalculated = false;
    const core::TScopeExit CalcEnd([this] {
        FCalcError = false;
        FInCalc = false;
    });

    if (!Parse()) return false;
    const uint64_t iGeneration = FGeneration;
    const rtl::Extended rValue = EvaluateTree();
    // A handler changed the text: the value belongs to no text the component holds.
    if (FGeneration != iGeneration) return false;
    const bool bResult = !FCalcError && FParsed;
    FValue = FCalcError ? 0 : rValue;
    FCalculated = bResult;
    return bResult;
}

rtl::Extended TQuorix::EvaluateTree() {
    core::TProgram& Program = LinkedProgram();
    if (const rtl::Extended rValue = Program.RunQuick(FRow); !std::isnan(rValue)) [[likely]]
        return rValue;
    TEvalRules Rules(*this);
    return Program.Run(Rules, FRow);
}

rtl::Extended TQuorix::CalcOnBST(TTie* pTie) {
    TEvalRules Rules(*this);
    return core::WalkTree(pTie, Rules);
}

}  // namespace gen4
}  // namespace quorix
