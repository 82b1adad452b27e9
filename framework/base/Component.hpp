// TComponent: the base of every component. An owner frees what it owns; removal
// notices (FreeNotification / Notification) are mutual, so nothing ever dangles.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/base/Exceptions.hpp"

namespace rtl {

// Misuse of the component model: a name that is not an identifier or not unique,
// an ownership cycle, a class registered twice.
class EComponentError : public Exception {
public:
    using Exception::Exception;
};

// A letter or underscore, then letters, digits and underscores (ASCII): the form of
// component, property and class names, so that stored text can name them plainly.
bool IsValidIdent(const std::string& S);

struct TClassInfo;
class TReader;

enum TOperation { opInsert, opRemove };

// Bits of TComponent::ComponentState().
enum TComponentStateFlag : unsigned {
    csLoading = 1u << 0,     // being read by the component reader
    csDestroying = 1u << 1,  // its destructor has started
    csDesigning = 1u << 2,   // owned by a design host
};

class TComponent {
public:
    explicit TComponent(TComponent* AOwner);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return FOwner; }
    const std::string& Name() const { return FName; }
    // An identifier (or empty), unique among the owner's components; raises
    // EComponentError otherwise.
    void SetName(const std::string& sName);
    int32_t Tag() const { return FTag; }
    void SetTag(int32_t iTag) { FTag = iTag; }
    unsigned ComponentState() const { return FComponentState; }

    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int Index) const;
    TComponent* FindComponent(const std::string& sName) const;  // case-insensitive

    // Takes ownership (from a previous owner too); the name must be unique here.
    // Then announces the component (opInsert) to this component and, through the base
    // Notification, to everything it owns, the newcomer included; except while this
    // component is being loaded (csLoading): what the reader inserts then is not
    // announced, so reading N components takes time in proportion to N.
    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);  // gives ownership up

    // Asks for a removal notice when AComponent is freed (and vice versa).
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // Runtime class information: name, published properties, factory.
    static const TClassInfo& StaticClassInfo();
    virtual const TClassInfo& ClassInfo() const { return StaticClassInfo(); }
    const std::string& ClassName() const;

protected:
    // Removal notice: AComponent is going away (opRemove) or was inserted into
    // this component's owner (opInsert; not while the owner is loading, see
    // InsertComponent). The base forwards it to owned components.
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    // Called once every component of a stored file has been read.
    virtual void Loaded();

    void SetComponentState(unsigned Flags) { FComponentState |= Flags; }
    void ClearComponentState(unsigned Flags) { FComponentState &= ~Flags; }

private:
    friend class TReader;
    void Insert(TComponent* AComponent);
    void Remove(TComponent* AComponent);
    void Unindex(TComponent* AComponent) noexcept;  // takes an owned component's name out of the index
    void RemoveNotification(TComponent* AComponent);

    TComponent* FOwner = nullptr;
    std::string FName;
    std::string FNameKey;  // FName upper-cased: the key of the owner's index
    int32_t FTag = 0;
    unsigned FComponentState = 0;
    std::vector<TComponent*> FComponents;  // owned, in insertion order
    // The named ones among them by their upper-cased names, so that finding one by
    // name (and with it naming and inserting one) does not grow with their number.
    std::unordered_map<std::string, TComponent*> FComponentsByName;
    std::vector<TComponent*> FFreeNotifies;  // components that want a removal notice
};

}  // namespace rtl
