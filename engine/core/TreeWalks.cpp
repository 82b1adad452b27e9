#include "engine/core/TreeWalks.hpp"

#include <string_view>
#include <vector>

namespace quorix::core {

namespace {

// What is left to print: a subtree, or, when pTie is nil, a piece of text.
struct TPrintStep {
    const TTie* pTie;
    std::string_view sText;
};

}  // namespace

std::string PrintTree(const TTie* pNode, const TTie* pRoot, char cDelimiter, char cSeparator) {
    const std::string_view sDelimiter(&cDelimiter, 1), sSeparator(&cSeparator, 1);
    std::string sOut;
    std::vector<TPrintStep> Stack{{pNode, {}}};
    while (!Stack.empty()) {
        const TPrintStep Step = Stack.back();
        Stack.pop_back();
        const TTie* p = Step.pTie;
        if (!p) {
            sOut += Step.sText;
            continue;
        }
        const bool bNegated = p->iSign == -1;
        if (p->pLeft || p->pRight) {
            const bool bBracketed = p != pRoot || bNegated;
            if (bNegated) sOut += '-';
            if (bBracketed) sOut += '(';
            Stack.insert(
                Stack.end(),
                {{nullptr, bBracketed ? ")" : ""}, {p->pRight, {}}, {nullptr, p->sName}, {p->pLeft, {}}});
        } else if (!p->arrParams.empty()) {
            if (bNegated) sOut += '-';
            sOut.append(p->sName).append(1, '(');
            // Pushed from the last argument to the first, so that the first is printed first.
            Stack.push_back({nullptr, ")"});
            for (auto Arg = p->arrParams.rbegin(); Arg != p->arrParams.rend(); ++Arg) {
                if (Arg->bIsString)
                    Stack.insert(Stack.end(),
                                 {{nullptr, sDelimiter}, {nullptr, Arg->sValue}, {nullptr, sDelimiter}});
                else Stack.push_back({Arg->pTie, {}});
                if (Arg + 1 != p->arrParams.rend()) Stack.push_back({nullptr, sSeparator});
            }
        } else if (bNegated) {
            sOut.append("(-").append(p->sName).append(1, ')');
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
