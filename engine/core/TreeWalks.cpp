#include "engine/core/TreeWalks.hpp"

#include <cstddef>
#include <vector>

namespace quorix::core {

namespace {

// One node on the printer's stack and how far its printing has got: for an operator
// 0 = not started, 1 = left done, 2 = right done; for a call, how many of its
// arguments are done.
struct TPrintStep {
    const TTie* pTie;
    std::size_t iStage;
};

}  // namespace

std::string PrintTree(const TTie* pNode, const TTie* pRoot, char cDelimiter, char cSeparator) {
    std::string sOut;
    std::vector<TPrintStep> Stack{{pNode, 0}};
    while (!Stack.empty()) {
        const TPrintStep Step = Stack.back();
        Stack.pop_back();
        const TTie* p = Step.pTie;
        if (!p) continue;
        const bool bNegated = p->iSign == -1;

        if (p->pLeft || p->pRight) {
            const bool bBracketed = p != pRoot || bNegated;
            switch (Step.iStage) {
                case 0:
                    if (bNegated) sOut += '-';
                    if (bBracketed) sOut += '(';
                    Stack.push_back({p, 1});
                    Stack.push_back({p->pLeft, 0});
                    break;
                case 1:
                    sOut += p->sName;
                    Stack.push_back({p, 2});
                    Stack.push_back({p->pRight, 0});
                    break;
                default:
                    if (bBracketed) sOut += ')';
                    break;
            }
            continue;
        }

        if (!p->arrParams.empty()) {
            const std::size_t iArg = Step.iStage;
            if (iArg == p->arrParams.size()) {
                sOut += ')';
                continue;
            }
            if (iArg > 0) {
                sOut += cSeparator;
            } else {
                if (bNegated) sOut += '-';
                sOut += p->sName;
                sOut += '(';
            }
            // The step comes back for the next argument once this one is printed.
            Stack.push_back({p, iArg + 1});
            const rParam& Arg = p->arrParams[iArg];
            if (Arg.bIsString) sOut.append(1, cDelimiter).append(Arg.sValue).append(1, cDelimiter);
            else Stack.push_back({Arg.pTie, 0});
            continue;
        }

        if (bNegated) sOut += "(-";
        sOut += p->sName;
        if (bNegated) sOut += ')';
    }
    return sOut;
}

void WalkPreOrder(const TTie* pNode, const std::function<bool(const TTie&)>& Visit) {
    std::vector<const TTie*> Stack{pNode};
    while (!Stack.empty()) {
        const TTie* p = Stack.back();
        Stack.pop_back();
        if (!p) continue;
        const bool bIntoArguments = Visit(*p);
        Stack.push_back(p->pRight);
        Stack.push_back(p->pLeft);
        if (bIntoArguments)
            for (auto Arg = p->arrParams.rbegin(); Arg != p->arrParams.rend(); ++Arg)
                Stack.push_back(Arg->pTie);
    }
}

}  // namespace quorix::core
