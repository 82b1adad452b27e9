// The node pool and the release walk: room is reused only once nothing lives, kept
// room is trimmed, a pool outlives its handle while its nodes live, and trees of
// every shape are released completely (the sanitizer build checks for leaks).
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "engine/core/Tie.hpp"
#include "engine/core/TiePool.hpp"

namespace quorix::testing {
namespace {

using core::TTie;
using core::TTiePool;

std::vector<TTie*> Take(TTiePool& Pool, std::size_t n) {
    std::vector<TTie*> Nodes;
    for (std::size_t i = 0; i < n; ++i) Nodes.push_back(Pool.New());
    return Nodes;
}

void ReleaseAll(std::vector<TTie*>& Nodes) {
    for (TTie* pTie : Nodes) TTiePool::Release(pTie);
    Nodes.clear();
}

TEST(TiePool, CutsNodesInOrderAndStartsAgainOnlyWhenNothingLives) {
    const TTiePool::THandle Pool = TTiePool::Create();
    std::vector<TTie*> First = Take(*Pool, 3000);
    for (TTie* pTie : First) EXPECT_EQ(reinterpret_cast<std::uintptr_t>(pTie) % 64, 0u);
    EXPECT_EQ(First[1], First[0] + 1);
    const std::size_t iCapacity = Pool->Capacity();

    // One node still lives: new nodes must not take any room in use.
    TTie* pSurvivor = First.back();
    First.pop_back();
    ReleaseAll(First);
    pSurvivor->sName = "kept";
    std::vector<TTie*> Second = Take(*Pool, 10);
    EXPECT_EQ(std::set<TTie*>(Second.begin(), Second.end()).count(pSurvivor), 0u);
    EXPECT_EQ(pSurvivor->sName, "kept");

    TTiePool::Release(pSurvivor);
    ReleaseAll(Second);
    EXPECT_EQ(Pool->LiveCount(), 0u);
    std::vector<TTie*> Third = Take(*Pool, 1);
    EXPECT_EQ(Third[0]->sName, "");
    EXPECT_EQ(Pool->Capacity(), iCapacity);
    ReleaseAll(Third);
}

TEST(TiePool, TrimKeepsOnlyTheRoomUpToTheNodesInUse) {
    const TTiePool::THandle Pool = TTiePool::Create();
    std::vector<TTie*> Many = Take(*Pool, 100000);
    ReleaseAll(Many);
    std::vector<TTie*> Few = Take(*Pool, 5);
    const std::size_t iBefore = Pool->Capacity();
    Pool->Trim();
    EXPECT_LT(Pool->Capacity(), iBefore / 100);
    EXPECT_GE(Pool->Capacity(), 5u);
    for (TTie* pTie : Few) pTie->iPos = 7;  // still in room the pool holds
    ReleaseAll(Few);
}

TEST(TiePool, TrimFreesTheParsingArraysOfAHugeTextOnly) {
    const TTiePool::THandle Pool = TTiePool::Create();
    Pool->BuildScratch().Next.reserve(1000);
    Pool->SpareTokens().reserve(1000);
    Pool->Trim();
    EXPECT_EQ(Pool->BuildScratch().Next.capacity(), 1000u);
    EXPECT_EQ(Pool->SpareTokens().capacity(), 1000u);

    Pool->BuildScratch().Next.reserve(10000000);
    Pool->BuildScratch().Group.reserve(10000000);
    Pool->SpareTokens().reserve(10000000);
    Pool->Trim();
    EXPECT_EQ(Pool->BuildScratch().Next.capacity(), 0u);
    EXPECT_EQ(Pool->BuildScratch().Group.capacity(), 0u);
    EXPECT_EQ(Pool->SpareTokens().capacity(), 0u);
}

TEST(TiePool, LivesOnWithoutHandlesWhileANodeLivesAndSharesInternedNames) {
    TTie* pOrphan = nullptr;
    {
        const TTiePool::THandle Pool = TTiePool::Create();
        const TTiePool::THandle Copy = Pool;
        pOrphan = Pool->New();
        pOrphan->sUpperName = Pool->Intern("SIN");
        TTie* pOther = Pool->New();
        pOther->sUpperName = Pool->Intern("SIN");
        EXPECT_EQ(&pOrphan->sUpperName.str(), &pOther->sUpperName.str());
        TTiePool::Release(pOther);
    }
    EXPECT_EQ(pOrphan->sUpperName, "SIN");
    EXPECT_EQ(pOrphan->pPool->LiveCount(), 1u);
    TTiePool::Release(pOrphan);  // the last node takes the pool with it
}

// Tree shapes built from pool nodes, each released by ClearBST.
struct TShapeCase {
    const char* sName;
    std::function<TTie*(TTiePool&)> Build;
};

TTie* Leaf(TTiePool& Pool) { return Pool.New(); }

TTie* Join(TTiePool& Pool, TTie* pLeft, TTie* pRight) {
    TTie* pTie = Pool.New();
    pTie->sName = "+";
    pTie->pLeft = pLeft;
    pTie->pRight = pRight;
    return pTie;
}

TTie* Call(TTiePool& Pool, std::vector<TTie*> Arguments) {
    TTie* pTie = Pool.New();
    pTie->sName = "f";
    for (TTie* pArgument : Arguments) pTie->arrParams.push_back({false, "", 0, pArgument});
    pTie->iParCount = static_cast<int32_t>(pTie->arrParams.size());
    return pTie;
}

// A subtree of about 2^iDepth nodes with a call at every other level.
TTie* Bushy(TTiePool& Pool, int iDepth) {
    if (iDepth == 0) return Leaf(Pool);
    if (iDepth % 2) return Join(Pool, Bushy(Pool, iDepth - 1), Bushy(Pool, iDepth - 1));
    return Call(Pool, {Bushy(Pool, iDepth - 1), nullptr, Bushy(Pool, iDepth - 1)});
}

constexpr int kLong = 100000;

const TShapeCase ShapeCases[] = {
    {"a single leaf", [](TTiePool& Pool) { return Leaf(Pool); }},
    {"a chain leaning left",
     [](TTiePool& Pool) {
         TTie* pRoot = Leaf(Pool);
         for (int i = 0; i < kLong; ++i) pRoot = Join(Pool, pRoot, Leaf(Pool));
         return pRoot;
     }},
    {"a chain leaning right",
     [](TTiePool& Pool) {
         TTie* pRoot = Leaf(Pool);
         for (int i = 0; i < kLong; ++i) pRoot = Join(Pool, Leaf(Pool), pRoot);
         return pRoot;
     }},
    {"a left chain of large operands",
     [](TTiePool& Pool) {
         TTie* pRoot = Bushy(Pool, 6);
         for (int i = 0; i < kLong / 100; ++i) pRoot = Join(Pool, pRoot, Bushy(Pool, 6));
         return pRoot;
     }},
    {"a zigzag",
     [](TTiePool& Pool) {
         TTie* pRoot = Leaf(Pool);
         for (int i = 0; i < kLong; ++i)
             pRoot = i % 2 ? Join(Pool, pRoot, Leaf(Pool)) : Join(Pool, Leaf(Pool), pRoot);
         return pRoot;
     }},
    {"calls nested in their last argument",
     [](TTiePool& Pool) {
         TTie* pRoot = Leaf(Pool);
         for (int i = 0; i < kLong; ++i) pRoot = Call(Pool, {Leaf(Pool), nullptr, pRoot});
         return pRoot;
     }},
    {"calls nested in their first argument under operators",
     [](TTiePool& Pool) {
         TTie* pRoot = Leaf(Pool);
         for (int i = 0; i < kLong; ++i) pRoot = Join(Pool, Call(Pool, {pRoot, Leaf(Pool)}), Bushy(Pool, 2));
         return pRoot;
     }},
    {"a balanced tree with calls", [](TTiePool& Pool) { return Bushy(Pool, 16); }},
};

TEST(ClearBST, ReleasesEveryNodeOfTreesOfEveryShape) {
    for (const TShapeCase& Case : ShapeCases) {
        SCOPED_TRACE(Case.sName);
        const TTiePool::THandle Pool = TTiePool::Create();
        TTie* pRoot = Case.Build(*Pool);
        EXPECT_GT(Pool->LiveCount(), 0u);
        core::ClearBST(pRoot);
        EXPECT_EQ(pRoot, nullptr);
        EXPECT_EQ(Pool->LiveCount(), 0u);
    }
}

}  // namespace
}  // namespace quorix::testing
