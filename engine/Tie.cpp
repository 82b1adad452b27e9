#include "engine/Tie.hpp"

#include <memory>

namespace quorix::core {

TTie* AddTie(TTieList& Tokens) {
    auto pTie = std::make_unique<TTie>();
    Tokens.push_back(pTie.get());
    return pTie.release();
}

// Right rotations flatten the tree into its right spine, and argument trees are hung
// into the free left slot of their call, so one loop releases everything in O(n)
// with no stack at all.
void ClearBST(TTie*& pRoot) {
    TTie* pNode = pRoot;
    pRoot = nullptr;
    while (pNode) {
        if (!pNode->pLeft) {
            while (!pNode->pLeft && !pNode->arrParams.empty()) {
                pNode->pLeft = pNode->arrParams.back().pTie;
                pNode->arrParams.pop_back();
            }
        }
        if (TTie* pLeft = pNode->pLeft) {
            pNode->pLeft = pLeft->pRight;
            pLeft->pRight = pNode;
            pNode = pLeft;
            continue;
        }
        TTie* pNext = pNode->pRight;
        delete pNode;
        pNode = pNext;
    }
}

void ClearTokens(TTieList& Tokens) {
    // From the last to the first, as tokens were made; the order is not observable.
    while (!Tokens.empty()) {
        TTie* pTie = Tokens.back();
        Tokens.pop_back();
        ClearBST(pTie);
    }
}

}  // namespace quorix::core
