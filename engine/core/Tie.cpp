#include "engine/core/Tie.hpp"

#include <array>
#include <cstddef>

#include "engine/core/TiePool.hpp"

namespace quorix::core {

TTie* AddTie(TTieList& Tokens, TTiePool& Pool) {
    TTie* pTie = Pool.New();
    try {
        Tokens.push_back(pTie);
    } catch (...) {
        TTiePool::Release(pTie);
        throw;
    }
    return pTie;
}

namespace {

// Subtrees of at most this many nodes are released at once, without rotations.
constexpr std::size_t kSmallTree = 8;

// Releases the subtree in pSlot and empties the slot if it has at most kSmallTree
// nodes; leaves it alone otherwise. Looks at no more than kSmallTree nodes.
bool ReleaseIfSmall(TTie*& pSlot) {
    if (!pSlot) return false;
    std::array<TTie*, kSmallTree> Nodes;
    std::size_t iCount = 0;
    Nodes[iCount++] = pSlot;
    const auto Take = [&](TTie* pTie) {
        if (!pTie) return true;
        if (iCount == kSmallTree) return false;
        Nodes[iCount++] = pTie;
        return true;
    };
    for (std::size_t i = 0; i < iCount; ++i) {
        const TTie& Node = *Nodes[i];
        if (!Take(Node.pLeft) || !Take(Node.pRight)) return false;
        for (const rParam& Arg : Node.arrParams)
            if (!Take(Arg.pTie)) return false;
    }
    for (std::size_t i = 0; i < iCount; ++i) TTiePool::Release(Nodes[i]);
    pSlot = nullptr;
    return true;
}

}  // namespace

// Every node is released as soon as nothing but one subtree is left below it, and a
// small subtree at once; argument trees are hung into the free left slot of their
// call, and a node with more below it is rotated to the right until it is down to
// one subtree. So one loop releases everything in O(n) with no stack at all, and a
// long chain of operators with small operands, leaning either way, goes from its
// root down, each node touched once while it is in the cache.
void ClearBST(TTie*& pRoot) {
    TTie* pNode = pRoot;
    pRoot = nullptr;
    while (pNode) {
        if (!ReleaseIfSmall(pNode->pRight)) ReleaseIfSmall(pNode->pLeft);
        if (!pNode->pLeft && !pNode->arrParams.empty()) {
            pNode->pLeft = pNode->arrParams.back().pTie;
            pNode->arrParams.pop_back();
            continue;
        }
        TTie* pLeft = pNode->pLeft;
        if (pLeft && (pNode->pRight || !pNode->arrParams.empty())) {
            pNode->pLeft = pLeft->pRight;
            pLeft->pRight = pNode;
            pNode = pLeft;
            continue;
        }
        TTie* pNext = pLeft ? pLeft : pNode->pRight;
        TTiePool::Release(pNode);
        pNode = pNext;
    }
}

void ClearTokens(TTieList& Tokens) {
    for (TTie*& pTie : Tokens) ClearBST(pTie);
    Tokens.clear();
}

}  // namespace quorix::core
