// Names tied to values in the caller's memory ("bound"), which an evaluation reads
// directly instead of asking a handler. Names match in any letter case.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "framework/base/Types.hpp"

namespace quorix::core {

class TBindings {
public:
    // Ties sName to *pValue, or unties it for nil. While bDefer (a parse or an
    // evaluation is running) the change waits for ApplyPending, so that nothing read
    // during a run changes under it.
    void Set(const std::string& sName, const rtl::Extended* pValue, bool bDefer);
    void ApplyPending();
    bool HasPending() const { return !FPending.empty(); }

    // The value bound to sName, or nil.
    const rtl::Extended* Find(const std::string& sName) const;
    bool Empty() const { return FValues.empty(); }
    // Counts every change, and the changes of which names are bound.
    uint64_t Version() const { return FVersion; }
    uint64_t NamesVersion() const { return FNamesVersion; }

private:
    void Apply(const std::string& sUpperName, const rtl::Extended* pValue);

    std::unordered_map<std::string, const rtl::Extended*> FValues;  // by upper-cased name
    std::vector<std::pair<std::string, const rtl::Extended*>> FPending;
    uint64_t FVersion = 1;
    uint64_t FNamesVersion = 1;
};

}  // namespace quorix::core
