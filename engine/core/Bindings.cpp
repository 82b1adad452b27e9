#include "engine/core/Bindings.hpp"

#include <utility>

#include "framework/base/TextCase.hpp"

namespace quorix::core {

namespace {

bool Same(const rtl::Extended* pLeft, const rtl::Extended* pRight) { return pLeft == pRight; }
bool Same(const TPureCall& Left, const TPureCall& Right) {
    return Left.Unary == Right.Unary && Left.Binary == Right.Binary;
}

}  // namespace

void TBindings::Set(const std::string& sName, const rtl::Extended* pValue, bool bDefer) {
    TChange Change{rtl::AnsiUpperCase(sName), pValue, {}, false};
    if (bDefer) FPending.push_back(std::move(Change));
    else Apply(Change);
}

void TBindings::SetRoutine(const std::string& sName, const TPureCall& Routine, bool bDefer) {
    TChange Change{rtl::AnsiUpperCase(sName), nullptr, Routine, true};
    if (bDefer) FPending.push_back(std::move(Change));
    else Apply(Change);
}

void TBindings::ApplyPending() {
    // Apply may not add to the list, but take it first all the same.
    const auto Pending = std::exchange(FPending, {});
    for (const TChange& Change : Pending) Apply(Change);
}

const rtl::Extended* TBindings::Find(const std::string& sName) const {
    if (FValues.empty()) return nullptr;
    const auto It = FValues.find(rtl::AnsiUpperCase(sName));
    return It == FValues.end() ? nullptr : It->second;
}

const TPureCall* TBindings::FindRoutine(const std::string& sName) const {
    if (FRoutines.empty()) return nullptr;
    const auto It = FRoutines.find(rtl::AnsiUpperCase(sName));
    return It == FRoutines.end() ? nullptr : &It->second;
}

const TPureCall* TBindings::RoutineFor(const TTie& Tie) const {
    if (FRoutines.empty() || Tie.iParCount == 0 || Tie.bBuildIn) return nullptr;
    const TPureCall* pRoutine = FindRoutine(Tie.sName);
    return pRoutine && TakesNumbers(*pRoutine, Tie) ? pRoutine : nullptr;
}

void TBindings::Apply(const TChange& Change) {
    if (Change.bRoutine) Apply(FRoutines, Change.sUpperName, Change.Routine, Change.Routine.Exists());
    else Apply(FValues, Change.sUpperName, Change.pValue, Change.pValue != nullptr);
}

template <class T>
void TBindings::Apply(std::unordered_map<std::string, T>& Map, const std::string& sUpperName, const T& Value,
                      bool bTies) {
    const auto It = Map.find(sUpperName);
    if (!bTies) {
        if (It == Map.end()) return;
        Map.erase(It);
        ++FNamesVersion;
    } else if (It == Map.end()) {
        Map.emplace(sUpperName, Value);
        ++FNamesVersion;
    } else if (!Same(It->second, Value)) {
        It->second = Value;
    } else {
        return;
    }
    ++FVersion;
}

}  // namespace quorix::core
