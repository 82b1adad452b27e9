// What a component keeps alive while a handler runs: a handler may replace itself or
// assign a new text from inside, and the call in progress (or the evaluation walking
// the old tree) must not lose what it is running. Both flavours retire such things
// here and release them once nothing of theirs runs any more.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "engine/Program.hpp"
#include "engine/Tie.hpp"

namespace quorix::core {

using TRetired = std::vector<std::shared_ptr<void>>;

// An event handler kept on the heap, so that its address stays fixed and replacing it
// while it runs can hand the running one to the retired list instead of destroying it.
// Calling it costs no copy.
template <class TEvent>
class THandler {
public:
    explicit operator bool() const { return FEvent != nullptr; }
    // The handler in place; only when there is one.
    const TEvent& operator*() const { return *FEvent; }
    // The handler, or an empty one.
    const TEvent& Get() const {
        static const TEvent Unassigned;
        return FEvent ? *FEvent : Unassigned;
    }
    // bBusy: a handler may be running, so the replaced one goes to Retired.
    void Set(TEvent Event, bool bBusy, TRetired& Retired) {
        if (FEvent && bBusy) Retired.push_back(std::move(FEvent));
        FEvent = Event ? std::make_shared<TEvent>(std::move(Event)) : nullptr;
    }

private:
    std::shared_ptr<TEvent> FEvent;
};

// The program of a component's present tree, compiled at the first demand. A tree is
// discarded or retired through here, so its program goes with it: a program never
// outlives its nodes.
class TProgramCache {
public:
    TProgram& Of(TTie* pRoot, TBareName BareName) {
        if (!FProgram || FProgram->Root() != pRoot) FProgram = std::make_unique<TProgram>(pRoot, BareName);
        return *FProgram;
    }
    // Releases pRoot's tree and its program now and sets pRoot to nil.
    void Discard(TTie*& pRoot) {
        FProgram.reset();
        ClearBST(pRoot);
    }
    // Hands pRoot's tree and its program to Retired and sets pRoot to nil.
    void Retire(TTie*& pRoot, TRetired& Retired) {
        Retired.push_back(std::make_shared<TRetiredTree>(std::exchange(pRoot, nullptr), std::move(FProgram)));
    }

private:
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

    std::unique_ptr<TProgram> FProgram;
};

}  // namespace quorix::core
