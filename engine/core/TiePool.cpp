#include "engine/core/TiePool.hpp"

#include <algorithm>
#include <new>
#include <utility>

#include "engine/core/Tie.hpp"

namespace quorix::core {

namespace {

// A new chunk holds a quarter of what the pool already holds, within these bounds:
// small texts stay small, and no text wastes more than a quarter of its room.
constexpr std::size_t kFirstChunkNodes = 32;
constexpr std::size_t kLargestChunkNodes = 4096;
constexpr std::size_t kWriteAhead = 8;
// The parsing arrays keep room for texts up to this many tokens from one parse to the
// next. A larger text's arrays are freed when its parse ends: they take about 30 bytes
// a token, which a component parsing small texts afterwards would hold for nothing.
constexpr std::size_t kKeptTokens = std::size_t{1} << 20;

}  // namespace

TTiePool::THandle TTiePool::Create() {
    return THandle(new TTiePool, [](TTiePool* pPool) { pPool->Abandon(); });
}

void TTiePool::Abandon() noexcept {
    FAbandoned = true;
    if (FLive == 0) delete this;
}

TTie* TTiePool::New() {
    if (FChunk < FChunks.size() && FUsed == FChunks[FChunk].iNodes) {
        ++FChunk;
        FUsed = 0;
    }
    if (FChunk == FChunks.size()) {
        const std::size_t iNodes = std::clamp(FHeld / 4, kFirstChunkNodes, kLargestChunkNodes);
        // Room for one alignment step more, so that every node starts a cache line.
        std::size_t iSpace = iNodes * sizeof(TTie) + alignof(TTie) - 1;
        TChunk Chunk{std::make_unique_for_overwrite<std::byte[]>(iSpace), nullptr, iNodes};
        void* pFirst = Chunk.pRoom.get();
        Chunk.pNodes =
            static_cast<std::byte*>(std::align(alignof(TTie), iNodes * sizeof(TTie), pFirst, iSpace));
        FChunks.push_back(std::move(Chunk));
        FHeld += iNodes;
    }
    TChunk& Chunk = FChunks[FChunk];
    // The nodes after this one are written next: ask for their lines early.
    if (FUsed + kWriteAhead < Chunk.iNodes) {
        const std::byte* pAhead = Chunk.pNodes + (FUsed + kWriteAhead) * sizeof(TTie);
        for (std::size_t iLine = 0; iLine < sizeof(TTie); iLine += 64) __builtin_prefetch(pAhead + iLine, 1);
    }
    TTie* pTie = ::new (Chunk.pNodes + FUsed * sizeof(TTie)) TTie;
    pTie->pPool = this;
    ++FUsed;
    ++FLive;
    return pTie;
}

void TTiePool::Release(TTie* pTie) noexcept {
    TTiePool* pPool = pTie->pPool;
    pTie->~TTie();
    if (--pPool->FLive > 0) return;
    if (pPool->FAbandoned) {
        delete pPool;
        return;
    }
    // Nothing lives in any chunk now: start again at the first, and no node needs a
    // kept name any more.
    pPool->FChunk = 0;
    pPool->FUsed = 0;
    pPool->FNames.clear();
}

TPooledName TTiePool::Intern(std::string sName) {
    return TPooledName(*FNames.insert(std::move(sName)).first);
}

void TTiePool::Trim() noexcept {
    while (FChunks.size() > FChunk + 1) {
        FHeld -= FChunks.back().iNodes;
        FChunks.pop_back();
    }
    if (FBuildScratch.Next.capacity() > kKeptTokens) FBuildScratch = TBuildScratch();
    if (FSpareTokens.capacity() > kKeptTokens) TTieList().swap(FSpareTokens);
}

}  // namespace quorix::core
