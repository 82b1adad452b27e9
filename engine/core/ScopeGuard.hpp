// Runs an action on every way out of a scope, exceptions included.
#pragma once

#include <utility>

namespace quorix::core {

template <class F>
class TScopeExit {
public:
    explicit TScopeExit(F Undo) : FUndo(std::move(Undo)) {}
    ~TScopeExit() { FUndo(); }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    F FUndo;
};

}  // namespace quorix::core
