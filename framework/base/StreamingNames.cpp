#include "framework/base/StreamingNames.hpp"

#include "framework/base/Component.hpp"
#include "framework/base/TextCase.hpp"

namespace rtl::streaming {

TReferenceNames::TReferenceNames(const std::vector<TComponent*>& Tree, const TComponent* Outer)
    : FOuter(Outer) {
    for (TComponent* Candidate : Tree) {
        if (Candidate->Name().empty()) continue;
        const auto [It, bNew] = FByName.emplace(AnsiUpperCase(Candidate->Name()), Candidate);
        if (!bNew) It->second = nullptr;  // more than one: ambiguous
    }
}

TComponent* TReferenceNames::Find(const std::string& sName, bool& Ambiguous) const {
    const auto It = FByName.find(AnsiUpperCase(sName));
    Ambiguous = It != FByName.end() && It->second == nullptr;
    if (It != FByName.end()) return It->second;
    return FOuter ? FOuter->FindComponent(sName) : nullptr;
}

}  // namespace rtl::streaming
