#include "engine/core/Bindings.hpp"

#include "framework/base/TextCase.hpp"

namespace quorix::core {

void TBindings::Set(const std::string& sName, const rtl::Extended* pValue, bool bDefer) {
    std::string sUpper = rtl::AnsiUpperCase(sName);
    if (bDefer) FPending.emplace_back(std::move(sUpper), pValue);
    else Apply(sUpper, pValue);
}

void TBindings::ApplyPending() {
    // Apply may not add to the list, but take it first all the same.
    const auto Pending = std::exchange(FPending, {});
    for (const auto& [sUpper, pValue] : Pending) Apply(sUpper, pValue);
}

const rtl::Extended* TBindings::Find(const std::string& sName) const {
    if (FValues.empty()) return nullptr;
    const auto It = FValues.find(rtl::AnsiUpperCase(sName));
    return It == FValues.end() ? nullptr : It->second;
}

void TBindings::Apply(const std::string& sUpperName, const rtl::Extended* pValue) {
    const auto It = FValues.find(sUpperName);
    if (!pValue) {
        if (It == FValues.end()) return;
        FValues.erase(It);
        ++FNamesVersion;
    } else if (It == FValues.end()) {
        FValues.emplace(sUpperName, pValue);
        ++FNamesVersion;
    } else if (It->second != pValue) {
        It->second = pValue;
    } else {
        return;
    }
    ++FVersion;
}

}  // namespace quorix::core
