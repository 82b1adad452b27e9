#include "framework/base/Component.hpp"

#include <algorithm>
#include <iterator>

#include "framework/base/List.hpp"
#include "framework/base/Properties.hpp"
#include "framework/base/TextCase.hpp"

namespace rtl {

namespace {

bool IsIdentStart(char C) { return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_'; }
bool IsIdentChar(char C) { return IsIdentStart(C) || (C >= '0' && C <= '9'); }

// Erases an item that occurs at most once; returns whether it was there. Searches
// from the end: owners free their components last first.
bool EraseItem(std::vector<TComponent*>& List, TComponent* Item) {
    const auto It = std::find(List.rbegin(), List.rend(), Item);
    if (It == List.rend()) return false;
    List.erase(std::next(It).base());
    return true;
}

}  // namespace

bool IsValidIdent(const std::string& S) {
    return !S.empty() && IsIdentStart(S[0]) && std::all_of(S.begin() + 1, S.end(), IsIdentChar);
}

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) AOwner->InsertComponent(this);
}

// Order matters: first tell everyone holding a notice (they may still look at this
// component's name), then free the owned components last first, then leave the owner.
TComponent::~TComponent() {
    SetComponentState(csDestroying);
    while (!FFreeNotifies.empty()) {
        TComponent* Other = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        // Taken off both lists before the call, so a handler that frees Other or
        // this component's remaining partners never meets a stale entry.
        Other->RemoveNotification(this);
        Other->Notification(this, opRemove);
    }
    while (!FComponents.empty()) {
        TComponent* Child = FComponents.back();
        RemoveComponent(Child);
        delete Child;
    }
    if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::SetName(const std::string& sName) {
    if (sName == FName) return;
    if (!sName.empty() && !IsValidIdent(sName))
        throw EComponentError("Component name \"" + sName + "\" is not a valid identifier");
    if (FOwner && !sName.empty()) {
        const TComponent* Same = FOwner->FindComponent(sName);
        if (Same && Same != this) throw EComponentError("A component named " + sName + " already exists");
    }
    // What can fail comes first, so that a failure changes nothing.
    std::string sNewName = sName;
    std::string sNewKey = AnsiUpperCase(sName);
    if (FOwner && sNewKey != FNameKey) {
        if (!sNewKey.empty()) FOwner->FComponentsByName.emplace(sNewKey, this);
        FOwner->Unindex(this);
    }
    FName.swap(sNewName);
    FNameKey.swap(sNewKey);
}

TComponent* TComponent::Components(int Index) const {
    CheckListIndex(Index, ComponentCount());
    return FComponents[Index];
}

TComponent* TComponent::FindComponent(const std::string& sName) const {
    if (sName.empty()) return nullptr;
    const auto It = FComponentsByName.find(AnsiUpperCase(sName));
    return It == FComponentsByName.end() ? nullptr : It->second;
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (!AComponent) throw EComponentError("Cannot insert a nil component");
    if (AComponent->FOwner == this) return;
    for (const TComponent* Up = this; Up; Up = Up->FOwner)
        if (Up == AComponent) throw EComponentError("A component cannot own itself or its own owner");
    if (FindComponent(AComponent->FName))
        throw EComponentError("A component named " + AComponent->FName + " already exists");
    if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
    Insert(AComponent);
    // The reader makes a loading owner's components one after another; announcing
    // each to those made before it would cost N^2/2 notices for N of them.
    if (!(FComponentState & csLoading)) Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->FOwner != this) return;
    Notification(AComponent, opRemove);
    Remove(AComponent);
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this) return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end())
        FFreeNotifies.push_back(AComponent);
    if (std::find(AComponent->FFreeNotifies.begin(), AComponent->FFreeNotifies.end(), this) ==
        AComponent->FFreeNotifies.end())
        AComponent->FFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    if (!AComponent) return;
    RemoveNotification(AComponent);
    AComponent->RemoveNotification(this);
}

const std::string& TComponent::ClassName() const { return ClassInfo().ClassName; }

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove) RemoveFreeNotification(AComponent);
    // By index, from the end: a handler may free owned components on the way.
    for (std::size_t i = FComponents.size(); i-- > 0;)
        if (i < FComponents.size()) FComponents[i]->Notification(AComponent, Operation);
}

void TComponent::Loaded() { ClearComponentState(csLoading); }

void TComponent::Insert(TComponent* AComponent) {
    FComponents.push_back(AComponent);
    if (!AComponent->FNameKey.empty()) {
        try {
            FComponentsByName.emplace(AComponent->FNameKey, AComponent);
        } catch (...) {
            FComponents.pop_back();
            throw;
        }
    }
    AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent) {
    if (!EraseItem(FComponents, AComponent)) return;
    Unindex(AComponent);
    AComponent->FOwner = nullptr;
}

void TComponent::Unindex(TComponent* AComponent) noexcept {
    const auto It = FComponentsByName.find(AComponent->FNameKey);
    if (It != FComponentsByName.end() && It->second == AComponent) FComponentsByName.erase(It);
}

void TComponent::RemoveNotification(TComponent* AComponent) { EraseItem(FFreeNotifies, AComponent); }

const TClassInfo& TComponent::StaticClassInfo() {
    static const TClassInfo Info{
        "TComponent",
        nullptr,
        [](TComponent* AOwner) -> TComponent* { return new TComponent(AOwner); },
        {MakeProperty("Name", &TComponent::Name, &TComponent::SetName),
         MakeProperty("Tag", &TComponent::Tag, &TComponent::SetTag, 0)},
    };
    return Info;
}

}  // namespace rtl
