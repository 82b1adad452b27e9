// The memory a component parses in: its nodes, the upper-case names they share and
// the arrays the tokenizer and the tree builder work in. Nodes are cut one after the
// other out of large chunks, so the tokens of a text lie in memory in text order and
// the builder and the release walk read them front to back instead of hopping over
// the heap. A released node's room is not reused on its own: once every node of the
// pool has been released, the pool starts again at its first chunk and keeps the
// chunks (and the arrays their capacity), so parsing a text again touches memory
// that is already mapped. A parse ends with Trim, so what is kept never exceeds what
// the last text needed.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/core/BuildScratch.hpp"
#include "engine/core/Tie.hpp"
#include "engine/core/TieText.hpp"

namespace quorix::core {

class TTiePool {
public:
    // Keeps a pool alive. The pool itself lives on while a handle or any of its
    // nodes does, so a tree may outlive the component that parsed it.
    using THandle = std::shared_ptr<TTiePool>;
    static THandle Create();

    TTiePool(const TTiePool&) = delete;
    TTiePool& operator=(const TTiePool&) = delete;

    // A node with the initial field values, taken from the pool.
    TTie* New();
    // Destroys a node taken from any pool; never allocates nor throws.
    static void Release(TTie* pTie) noexcept;
    // sName as kept for the nodes of this pool; the text lives while any node does.
    TPooledName Intern(std::string sName);
    // Arrays parsing needs, kept here for their capacity (empty when not in use).
    TBuildScratch& BuildScratch() { return FBuildScratch; }
    TTieList& SpareTokens() { return FSpareTokens; }

    // Frees the chunks beyond the one in use, and the parsing arrays of a huge text.
    // Called when a parse ends, so that a pool holds no more than its last text needed.
    void Trim() noexcept;

    // Nodes taken and not yet released.
    std::size_t LiveCount() const { return FLive; }
    // Nodes the pool has room for.
    std::size_t Capacity() const { return FHeld; }

private:
    TTiePool() = default;
    ~TTiePool() = default;
    // The last handle went: the pool goes now, or with its last node.
    void Abandon() noexcept;

    struct TChunk {
        std::unique_ptr<std::byte[]> pRoom;
        std::byte* pNodes;   // the first node's place in pRoom
        std::size_t iNodes;  // how many nodes fit
    };

    std::vector<TChunk> FChunks;
    std::size_t FChunk = 0;  // the chunk new nodes are cut from
    std::size_t FUsed = 0;   // nodes cut from it so far
    std::size_t FHeld = 0;   // nodes the chunks have room for
    std::size_t FLive = 0;
    bool FAbandoned = false;
    std::unordered_set<std::string> FNames;  // see Intern
    TBuildScratch FBuildScratch;
    TTieList FSpareTokens;
};

}  // namespace quorix::core
