#include "engine/core/Program.hpp"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <optional>
#include <utility>

#include "engine/core/QuickForm.hpp"

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
    // An operator node over constants alone, its operands' code from iStart on, becomes
    // one constant where it evaluates cleanly, so that no evaluation repeats it. One that
    // fails stays, to be reported by every evaluation, as does a division by 0.
    const auto Folds = [&](const TTie& Node, TForm Form, uint32_t iStart) {
        const std::size_t nOnStack = Form == TForm::BothOnStack ? 2 : 1;
        if (FCode.size() != iStart + nOnStack ||
            !std::all_of(FCode.begin() + iStart, FCode.end(),
                         [](const TInstruction& In) { return In.Opcode == TOpcode::Constant; }))
            return false;
        const rtl::Extended rLeft =
            Form == TForm::ConstantLeft ? ConstantOf(Node.pLeft) : FCode[iStart].rValue;
        const rtl::Extended rRight =
            Form == TForm::ConstantRight ? ConstantOf(Node.pRight) : FCode.back().rValue;
        const char cOperator = Node.sName[0];
        if (cOperator == '/' && rRight == 0) return false;
        const std::optional<rtl::Extended> rValue =
            CleanValue([&] { return Signed(ApplyOperator(cOperator, rLeft, rRight), Node.iSign == -1); });
        if (!rValue) return false;
        FCode.resize(iStart + 1);
        FCode[iStart].rValue = *rValue;
        FCode[iStart].bNegate = false;
        return true;
    };

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
            if (Form == TForm::BothOnStack) --iDepth;
            if (!Folds(*p, Form, Step.iStart)) {
                TInstruction& In = Emit(OperatorOpcode(p->sName[0], Form), p);
                if (Form != TForm::BothOnStack)
                    In.rValue = ConstantOf(Form == TForm::ConstantRight ? p->pRight : p->pLeft);
                if (In.Opcode == TOpcode::PowerOfConstant)
                    In.bWholeExponent = rtl::IsWholeExponent(In.rValue, In.iWholeExponent);
            }
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
    // A leaf or a call that an operator takes at once.
    for (std::size_t i = 0; i + 1 < FCode.size(); ++i) {
        const TOpcode Opcode = FCode[i].Opcode, Next = FCode[i + 1].Opcode;
        if (Opcode >= TOpcode::Add || Opcode == TOpcode::CallStart || Next < TOpcode::Add) continue;
        FCode[i].Use = TakesTwo(Next) ? TValueUse::RightOperand : TValueUse::Operand;
    }
    FStack.resize(iMaxDepth);
}

void TProgram::Relink(const TBindings& Bindings) {
    // Nothing of the last link stays in use should this one be left by an exception.
    FQuick.reset();
    FLinked = 0;
    for (const uint32_t iName : FNames) {
        TInstruction& In = FCode[iName];
        In.pBound = Bindings.Find(In.pTie->sName);
        In.Opcode = In.pBound ? TOpcode::Bound : FNameOpcode;
    }
    // Every call with arguments starts with a CallStart, whose iEnd is just past its Call.
    for (TInstruction& In : FCode)
        if (In.Opcode == TOpcode::CallStart)
            In.pRoutine = FCode[In.iEnd - 1].pRoutine = Bindings.RoutineFor(*In.pTie);
    auto pQuick = std::make_unique<TQuickForm>(FCode);
    if (pQuick->Ready()) FQuick = std::move(pQuick);
    FLinked = Bindings.Version();
}

TProgram::~TProgram() = default;

rtl::Extended TProgram::RunQuick(std::size_t iRow) const {
    return FQuick ? FQuick->Run(iRow) : std::numeric_limits<rtl::Extended>::quiet_NaN();
}

bool TProgram::RunQuickRows(std::size_t iFirst, std::size_t nRows, rtl::Extended* pResults) const {
    return FQuick && FQuick->RunRows(iFirst, nRows, pResults);
}

}  // namespace quorix::core
