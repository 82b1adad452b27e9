#include "framework/base/Properties.hpp"

#include <map>
#include <mutex>

#include "framework/base/TextCase.hpp"

namespace rtl {

namespace detail {

void RaisePropertyError(const std::string& sProp, const std::string& sWhat) {
    throw EConvertError("Property " + sProp + ": " + sWhat);
}

}  // namespace detail

bool TPropInfo::IsStoredValue(const TComponent& Instance) const {
    if (!Stored) return false;
    const TPropValue Value = Read(Instance);
    if (Default) return !(Value == *Default);
    if (const auto* Text = std::get_if<std::string>(&Value)) return !Text->empty();
    if (const auto* Number = std::get_if<Extended>(&Value)) return *Number != 0;
    return true;
}

// A class that declares a property of the same name as an inherited one redeclares
// it (a new default, say): it keeps the inherited position.
std::vector<const TPropInfo*> TClassInfo::AllProperties() const {
    std::vector<const TPropInfo*> Result = Parent ? Parent->AllProperties() : std::vector<const TPropInfo*>{};
    for (const TPropInfo& Own : Properties) {
        bool Redeclared = false;
        for (const TPropInfo*& Inherited : Result)
            if (AnsiSameText(Inherited->Name, Own.Name)) {
                Inherited = &Own;
                Redeclared = true;
                break;
            }
        if (!Redeclared) Result.push_back(&Own);
    }
    return Result;
}

const TPropInfo* TClassInfo::FindProperty(const std::string& sName) const {
    for (const TClassInfo* Class = this; Class; Class = Class->Parent)
        for (const TPropInfo& Prop : Class->Properties)
            if (AnsiSameText(Prop.Name, sName)) return &Prop;
    return nullptr;
}

bool TClassInfo::InheritsFrom(const TClassInfo& Other) const {
    for (const TClassInfo* Class = this; Class; Class = Class->Parent)
        if (Class == &Other) return true;
    return false;
}

namespace {

struct TRegistry {
    TRegistry() {
        const TClassInfo& Base = TComponent::StaticClassInfo();
        Classes.emplace(AnsiUpperCase(Base.ClassName), &Base);
    }
    std::mutex Lock;
    std::map<std::string, const TClassInfo*> Classes;  // by upper-cased name
};

TRegistry& Registry() {
    static TRegistry Instance;
    return Instance;
}

}  // namespace

void RegisterClass(const TClassInfo& Info) {
    TRegistry& R = Registry();
    const std::lock_guard Guard(R.Lock);
    const auto [It, Inserted] = R.Classes.emplace(AnsiUpperCase(Info.ClassName), &Info);
    if (!Inserted && It->second != &Info)
        throw EComponentError("A class named " + Info.ClassName + " is already registered");
}

void UnRegisterClass(const TClassInfo& Info) {
    TRegistry& R = Registry();
    const std::lock_guard Guard(R.Lock);
    const auto It = R.Classes.find(AnsiUpperCase(Info.ClassName));
    if (It != R.Classes.end() && It->second == &Info) R.Classes.erase(It);
}

const TClassInfo* FindClass(const std::string& sClassName) {
    TRegistry& R = Registry();
    const std::lock_guard Guard(R.Lock);
    const auto It = R.Classes.find(AnsiUpperCase(sClassName));
    return It == R.Classes.end() ? nullptr : It->second;
}

TClassRegistration::TClassRegistration(const TClassInfo& Info)
    : FRegistered(FindClass(Info.ClassName) ? nullptr : &Info) {
    if (FRegistered) RegisterClass(Info);
}

TClassRegistration::~TClassRegistration() {
    if (FRegistered) UnRegisterClass(*FRegistered);
}

}  // namespace rtl
