// Names tied to values in the caller's memory ("bound"), which an evaluation reads
// directly instead of asking a handler, and function names tied to the caller's
// routines, which answer their calls in the handler's place. Names match in any
// letter case.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/core/ResolvedCall.hpp"
#include "engine/core/Tie.hpp"
#include "framework/base/Types.hpp"

namespace quorix::core {

class TBindings {
public:
    // Ties sName to *pValue, or unties it for nil. While bDefer (a parse or an
    // evaluation is running) the change waits for ApplyPending, so that nothing read
    // during a run changes under it.
    void Set(const std::string& sName, const rtl::Extended* pValue, bool bDefer);
    // Ties the function sName to Routine (one of the caller's: its results are
    // tested), or unties it for a routine that does not Exist; deferred as Set.
    void SetRoutine(const std::string& sName, const TPureCall& Routine, bool bDefer);
    void ApplyPending();
    bool HasPending() const { return !FPending.empty(); }

    // The value bound to sName, or nil.
    const rtl::Extended* Find(const std::string& sName) const;
    // The routine bound to the function sName, or nil.
    const TPureCall* FindRoutine(const std::string& sName) const;
    // The routine that answers the call at Tie: one bound to its name, taking exactly
    // its arguments, all numbers written out; none for a built-in's call.
    const TPureCall* RoutineFor(const TTie& Tie) const;
    // Counts every change, and the changes of which names are bound.
    uint64_t Version() const { return FVersion; }
    uint64_t NamesVersion() const { return FNamesVersion; }

private:
    struct TChange {
        std::string sUpperName;
        const rtl::Extended* pValue;
        TPureCall Routine;
        bool bRoutine;
    };
    void Apply(const TChange& Change);
    template <class T>
    void Apply(std::unordered_map<std::string, T>& Map, const std::string& sUpperName, const T& Value,
               bool bTies);

    std::unordered_map<std::string, const rtl::Extended*> FValues;  // by upper-cased name
    std::unordered_map<std::string, TPureCall> FRoutines;           // by upper-cased name
    std::vector<TChange> FPending;
    uint64_t FVersion = 1;
    uint64_t FNamesVersion = 1;
};

}  // namespace quorix::core
