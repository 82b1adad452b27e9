#include "engine/core/TreeWalks.hpp"

#include <cstddef>
#include <vector>

namespace quorix::core {

namespace {

// One node on the printer's stack and how far its printing has got: for an operator
// 0 = not started, 1 = left done, 2 = right done; for a call, the index of the next
// argument to print.
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
            std::size_t iArg = Step.iStage;
            if (iArg == 0) {
                if (bNegated) sOut += '-';
                sOut += p->sName;
                sOut += '(';
            } else {
                sOut += iArg < p->arrParams.size() ? cSeparator : ')';
                if (iArg == p->arrParams.size()) continue;
            }
            // String arguments print at once; a tree argument is printed before the
            // step comes back for the next one.
            for (; iArg < p->arrParams.size(); ++iArg) {
                const rParam& Arg = p->arrParams[iArg];
                if (!Arg.bIsString) {
                    Stack.push_back({p, iArg + 1});
                    Stack.push_back({Arg.pTie, 0});
                    break;
                }
                sOut += cDelimiter;
                sOut += Arg.sValue;
                sOut += cDelimiter;
                sOut += iArg + 1 < p->arrParams.size() ? cSeparator : ')';
            }
            continue;
        }

        if (bNegated) {
            sOut += "(-";
            sOut += p->sName;
            sOut += ')';
        } else {
            sOut += p->sName;
        }
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
