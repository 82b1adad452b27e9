// What a component keeps alive while a handler runs: a handler may replace itself or
// assign a new text from inside, and the call in progress (or the evaluation walking
// the old tree) must not lose what it is running. Both flavours retire such things
// here and release them once nothing of theirs runs any more.
#pragma once

#include <memory>
#include <utility>
#include <vector>

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

}  // namespace quorix::core
