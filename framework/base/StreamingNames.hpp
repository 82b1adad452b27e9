// Internal to the component writer and reader: how a stored reference names the
// component it refers to, and the words both sides treat specially.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rtl {

class TComponent;

namespace streaming {

inline constexpr std::string_view NilWord = "nil";
inline constexpr std::string_view NameProperty = "Name";  // carried by the object line instead

// A stored reference names its target: among the components of the stored tree,
// where the name must be unique, then among the outer owner's components. Looked up
// by name once per reference, so the components are indexed by upper-cased name.
class TReferenceNames {
public:
    TReferenceNames(const std::vector<TComponent*>& Tree, const TComponent* Outer);

    // The component named sName; nullptr with Ambiguous set when the tree holds more
    // than one of that name.
    TComponent* Find(const std::string& sName, bool& Ambiguous) const;

private:
    const TComponent* FOuter;
    std::unordered_map<std::string, TComponent*> FByName;
};

}  // namespace streaming

}  // namespace rtl
