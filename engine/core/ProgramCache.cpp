#include "engine/core/ProgramCache.hpp"

#include <utility>

#include "engine/core/Program.hpp"

namespace quorix::core {

namespace {

// A tree retired with its program: the program goes first, then the nodes it reads.
struct TRetiredTree {
    TRetiredTree(TTie* pRootIn, std::unique_ptr<TProgram> pProgramIn)
        : pRoot(pRootIn), pProgram(std::move(pProgramIn)) {}
    ~TRetiredTree() {
        pProgram.reset();
        ClearBST(pRoot);
    }
    TRetiredTree(const TRetiredTree&) = delete;
    TRetiredTree& operator=(const TRetiredTree&) = delete;
    TTie* pRoot;
    std::unique_ptr<TProgram> pProgram;
};

}  // namespace

TProgramCache::TProgramCache() = default;
TProgramCache::~TProgramCache() = default;

TProgram& TProgramCache::Of(TTie* pRoot, TBareName BareName) {
    if (!FProgram || FProgram->Root() != pRoot) FProgram = std::make_unique<TProgram>(pRoot, BareName);
    return *FProgram;
}

void TProgramCache::Discard(TTie*& pRoot) {
    FProgram.reset();
    ClearBST(pRoot);
}

void TProgramCache::Retire(TTie*& pRoot, TRetired& Retired) {
    Retired.push_back(std::make_shared<TRetiredTree>(std::exchange(pRoot, nullptr), std::move(FProgram)));
}

}  // namespace quorix::core
