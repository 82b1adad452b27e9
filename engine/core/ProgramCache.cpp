#include "engine/core/ProgramCache.hpp"

#include <utility>

#include "engine/core/Program.hpp"

namespace quorix::core {

TProgramCache::TProgramCache(TBareName BareName) : FBareName(BareName) {}
TProgramCache::~TProgramCache() = default;

TProgram& TProgramCache::Compile(TTie* pRoot) {
    FProgram = std::make_unique<TProgram>(pRoot, FBareName);
    FCompiledRoot = pRoot;
    return *FProgram;
}

void TProgramCache::Forget() { FProgram.reset(); }

void TProgramCache::Discard(TTie*& pRoot) {
    FProgram.reset();
    ClearBST(pRoot);
}

void TProgramCache::Retire(TTie*& pRoot, TRetired& Retired) {
    // The program goes first, then the nodes it reads.
    std::shared_ptr<TProgram> pProgram(std::move(FProgram));
    std::shared_ptr<void> pTree(std::exchange(pRoot, nullptr), [pProgram](TTie* p) mutable {
        pProgram.reset();
        ClearBST(p);
    });
    Retired.push_back(std::move(pTree));
}

}  // namespace quorix::core
