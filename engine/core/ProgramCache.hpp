// The compiled program of a component's present tree, and the way that tree goes: a
// tree is discarded or retired only through the cache, so no program outlives its
// nodes. Only the flavour's evaluation needs the interpreter; the component's header
// holds the cache without it.
#pragma once

#include <memory>

#include "engine/core/Retired.hpp"
#include "engine/core/Tie.hpp"

namespace quorix::core {

class TProgram;
enum class TBareName;

class TProgramCache {
public:
    // BareName: how the flavour takes a name without arguments.
    explicit TProgramCache(TBareName BareName);
    ~TProgramCache();

    // The program of pRoot's tree, compiled at the first demand.
    TProgram& Of(TTie* pRoot) { return FProgram && FCompiledRoot == pRoot ? *FProgram : Compile(pRoot); }
    // Drops the program, so that a tree whose nodes changed is compiled afresh.
    void Forget();
    // Releases pRoot's tree and its program now and sets pRoot to nil.
    void Discard(TTie*& pRoot);
    // Hands pRoot's tree and its program to Retired and sets pRoot to nil.
    void Retire(TTie*& pRoot, TRetired& Retired);

private:
    TProgram& Compile(TTie* pRoot);

    std::unique_ptr<TProgram> FProgram;
    TTie* FCompiledRoot = nullptr;  // FProgram's tree
    TBareName FBareName;
};

}  // namespace quorix::core
