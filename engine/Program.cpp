#include "engine/Program.hpp"

#include <algorithm>
#include <cstddef>

namespace quorix::core {

namespace {

TOpcode OperatorOpcode(char cOperator) {
    switch (cOperator) {
        case '+': return TOpcode::Add;
        case '-': return TOpcode::Subtract;
        case '*': return TOpcode::Multiply;
        case '/': return TOpcode::Divide;
        default: return TOpcode::Power;
    }
}

// One node on the compiler's stack: an operator waiting for its right operand or its
// own instruction, or a call waiting for its next argument (iNext counts down).
struct TCompileStep {
    TTie* pTie;
    uint32_t iStart;  // where the node's code begins
    int iNext;        // operator: 1 right pending, 0 done; call: arguments still to compile
};

}  // namespace

// Emits the tree in the order the walkers visit it, with an explicit stack, so a
// tree as deep as its text is long compiles without recursion.
TProgram::TProgram(TTie* pRoot, TBareName BareName) : FRoot(pRoot) {
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
        if (!pNode || pNode->bNumber || pNode->bConst) {
            Emit(TOpcode::Constant, pNode).rValue = pNode ? pNode->iSign * pNode->rValue : 0;
            Push();
            Finish(iStart);
        } else if (IsOperatorNode(*pNode)) {
            Stack.push_back({pNode, iStart, 2});
        } else if (pNode->iParCount == 0) {
            Emit(BareName == TBareName::Variable ? TOpcode::Read : TOpcode::CallLeaf, pNode);
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
            if (Step.iNext > 0) {
                TTie* pOperand = --Step.iNext == 1 ? p->pLeft : p->pRight;
                Begin(pOperand);  // may invalidate Step
                continue;
            }
            Emit(OperatorOpcode(p->sName[0]), p);
            --iDepth;
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

}  // namespace quorix::core
