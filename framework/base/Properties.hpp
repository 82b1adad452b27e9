// Published properties and the registry of component classes. Each component class
// describes its published properties in published order with their declared
// defaults; the component writer and reader work from these tables only.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "framework/base/Component.hpp"
#include "framework/base/Types.hpp"

namespace rtl {

class TStrings;

enum class TTypeKind { Boolean, Char, Integer, Float, String, StringList, Component };

// A property value as the writer and reader see it. A string list travels as its
// lines; a component reference as the pointer (written by the referenced name).
using TPropValue =
    std::variant<bool, char, int64_t, Extended, std::string, std::vector<std::string>, TComponent*>;

struct TPropInfo {
    std::string Name;
    TTypeKind Kind;
    std::function<TPropValue(const TComponent&)> Read;
    std::function<void(TComponent&, const TPropValue&)> Write;
    // The declared default: a value equal to it is not stored. Without one, strings
    // are stored when not empty, floats when not 0, every other kind always.
    std::optional<TPropValue> Default;
    bool Stored = true;  // false: never written (the value lives elsewhere)
    bool IsStoredValue(const TComponent& Instance) const;
};

struct TClassInfo {
    std::string ClassName;
    const TClassInfo* Parent = nullptr;
    // Creates an instance owned by AOwner; empty for classes that cannot be created.
    std::function<TComponent*(TComponent* AOwner)> Create;
    std::vector<TPropInfo> Properties;  // this class's own, in published order

    // Inherited properties first, then this class's own.
    std::vector<const TPropInfo*> AllProperties() const;
    const TPropInfo* FindProperty(const std::string& sName) const;
    bool InheritsFrom(const TClassInfo& Other) const;
};

// The class registry used by the component reader.
void RegisterClass(const TClassInfo& Info);
void UnRegisterClass(const TClassInfo& Info);
const TClassInfo* FindClass(const std::string& sClassName);

// A unit's registration of its class, held as a static object of the unit: the class
// leaves the registry with it, so a package unloaded from the process leaves no entry
// behind that points into it. A name already registered keeps its first class.
class TClassRegistration {
public:
    explicit TClassRegistration(const TClassInfo& Info);
    ~TClassRegistration();
    TClassRegistration(const TClassRegistration&) = delete;
    TClassRegistration& operator=(const TClassRegistration&) = delete;

private:
    const TClassInfo* FRegistered;  // null when the name was already taken
};

// Builds a TPropInfo from a getter and a setter of class C. The kind follows the
// value type: bool, char, integers, Extended/double, std::string, TStrings*,
// pointers to components.
//   MakeProperty(&TQuorix::Optimize, &TQuorix::SetOptimize, "Optimize", true)
template <class C, class G, class S>
TPropInfo MakeProperty(const std::string& sName, G (C::*Getter)() const, void (C::*Setter)(S));
template <class C, class G, class S, class D>
TPropInfo MakeProperty(const std::string& sName, G (C::*Getter)() const, void (C::*Setter)(S), D Default);

}  // namespace rtl

#include "framework/base/PropertiesImpl.hpp"
