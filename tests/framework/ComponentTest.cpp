#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "framework/base/Component.hpp"
#include "framework/base/Exceptions.hpp"

namespace {

using rtl::TComponent;

// Logs its notices and its end; keeps a reference that a removal notice clears.
class TProbe : public TComponent {
public:
    TProbe(TComponent* AOwner, std::string sName, std::vector<std::string>& Log)
        : TComponent(AOwner), FLog(Log) {
        SetName(sName);
    }
    ~TProbe() override { FLog.push_back("free " + Name()); }

    TComponent* Ref() const { return FRef; }
    void SetRef(TComponent* Value) {
        if (FRef) RemoveFreeNotification(FRef);
        FRef = Value;
        if (FRef) FreeNotification(FRef);
    }
    // Freed when the referenced component goes: a handler that frees on the way.
    std::unique_ptr<TComponent> FreedWithRef;

protected:
    void Notification(TComponent* AComponent, rtl::TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        const bool Destroying = AComponent->ComponentState() & rtl::csDestroying;
        FLog.push_back(Name() + (Operation == rtl::opInsert ? " insert " : " remove ") + AComponent->Name() +
                       (Destroying ? " (destroying)" : ""));
        if (Operation == rtl::opRemove && AComponent == FRef) {
            FRef = nullptr;
            FreedWithRef.reset();
        }
    }

private:
    std::vector<std::string>& FLog;
    TComponent* FRef = nullptr;
};

TEST(Component, OwnerFreesOwnedComponentsLastFirst) {
    std::vector<std::string> Log;
    auto Owner = std::make_unique<TComponent>(nullptr);
    new TProbe(Owner.get(), "A", Log);
    new TProbe(Owner.get(), "B", Log);
    new TProbe(Owner.get(), "C", Log);
    ASSERT_EQ(Owner->ComponentCount(), 3);
    EXPECT_EQ(Owner->Components(1)->Name(), "B");
    EXPECT_THROW(Owner->Components(3), rtl::EListError);
    Log.clear();
    Owner.reset();
    // Each one going is told to the ones still there, itself included.
    EXPECT_EQ(Log, (std::vector<std::string>{"C remove C", "B remove C", "A remove C", "free C", "B remove B",
                                             "A remove B", "free B", "A remove A", "free A"}));
}

TEST(Component, ForwardsInsertNoticesToOwnedComponents) {
    std::vector<std::string> Log;
    TComponent Owner(nullptr);
    new TProbe(&Owner, "A", Log);
    new TProbe(&Owner, "B", Log);
    auto* X = new TComponent(nullptr);
    X->SetName("X");
    Log.clear();
    Owner.InsertComponent(X);
    EXPECT_EQ(Log, (std::vector<std::string>{"B insert X", "A insert X"}));
}

TEST(Component, NamesAreIdentifiersUniqueAmongSiblingsWhateverTheirCase) {
    TComponent Owner(nullptr), Other(nullptr);
    auto* A = new TComponent(&Owner);
    auto* B = new TComponent(&Owner);
    A->SetName("Edit1");
    EXPECT_THROW(B->SetName("EDIT1"), rtl::EComponentError);
    EXPECT_EQ(B->Name(), "");
    A->SetName("edit1");  // itself is no clash
    EXPECT_EQ(Owner.FindComponent("EDIT1"), A);
    EXPECT_EQ(Owner.FindComponent(""), nullptr);
    EXPECT_EQ(Owner.FindComponent("Nothing"), nullptr);
    for (const char* Bad : {"1abc", "a b", "a-b", "é", " a"})
        EXPECT_THROW(B->SetName(Bad), rtl::EComponentError) << Bad;
    B->SetName("_b2");
    // The same name under another owner is fine.
    auto* C = new TComponent(&Other);
    C->SetName("Edit1");
    EXPECT_THROW(Owner.InsertComponent(C), rtl::EComponentError);
    EXPECT_EQ(C->Owner(), &Other);
    // A name goes with its component when it is renamed, moved or freed.
    A->SetName("Grid");
    EXPECT_EQ(Owner.FindComponent("edit1"), nullptr);
    EXPECT_EQ(Owner.FindComponent("GRID"), A);
    Other.InsertComponent(A);
    EXPECT_EQ(Owner.FindComponent("Grid"), nullptr);
    EXPECT_EQ(Other.FindComponent("grid"), A);
    EXPECT_THROW(C->SetName("gRID"), rtl::EComponentError);
    delete A;
    EXPECT_EQ(Other.FindComponent("Grid"), nullptr);
    C->SetName("Grid");
    EXPECT_EQ(Other.FindComponent("GRID"), C);
    EXPECT_EQ(Other.FindComponent("Edit1"), nullptr);
    B->SetTag(-7);
    EXPECT_EQ(B->Tag(), -7);
    EXPECT_EQ(B->ClassName(), "TComponent");
}

TEST(Component, InsertComponentMovesOwnershipAndRefusesCycles) {
    std::vector<std::string> Log;
    TComponent First(nullptr), Second(nullptr);
    auto* Child = new TProbe(&First, "Child", Log);
    auto* GrandChild = new TComponent(Child);
    Second.InsertComponent(Child);
    EXPECT_EQ(Child->Owner(), &Second);
    EXPECT_EQ(First.ComponentCount(), 0);
    EXPECT_EQ(Second.ComponentCount(), 1);
    EXPECT_THROW(GrandChild->InsertComponent(Child), rtl::EComponentError);
    EXPECT_THROW(Child->InsertComponent(Child), rtl::EComponentError);
    EXPECT_THROW(Child->InsertComponent(nullptr), rtl::EComponentError);
    Second.RemoveComponent(Child);
    EXPECT_EQ(Child->Owner(), nullptr);
    delete Child;
    EXPECT_EQ(Log.back(), "free Child");
}

// Every order in which two components that noticed each other can go.
TEST(Component, RemovalNoticesAreSafeWhicheverComponentGoesFirst) {
    for (int Order = 0; Order < 4; ++Order) {
        std::vector<std::string> Log;
        auto OwnerA = std::make_unique<TComponent>(nullptr);
        auto OwnerB = std::make_unique<TComponent>(nullptr);
        auto* A = new TProbe(OwnerA.get(), "A", Log);
        auto* B = new TProbe(OwnerB.get(), "B", Log);
        A->SetRef(B);
        B->SetRef(A);  // circular
        switch (Order) {
            case 0: delete B; break;        // the referenced one first
            case 1: delete A; break;        // the referring one first
            case 2: OwnerA.reset(); break;  // an owner first
            case 3: OwnerB.reset(); break;
        }
        if (Order == 0 || Order == 3) {
            EXPECT_EQ(A->Ref(), nullptr) << Order;
        } else {
            EXPECT_EQ(B->Ref(), nullptr) << Order;
        }
    }
}

TEST(Component, ARemovedNoticeIsNeverSent) {
    std::vector<std::string> Log;
    TComponent Owner(nullptr);
    auto* A = new TProbe(&Owner, "A", Log);
    auto B = std::make_unique<TProbe>(nullptr, "B", Log);
    A->SetRef(B.get());
    A->SetRef(nullptr);
    Log.clear();
    B.reset();
    EXPECT_EQ(Log, (std::vector<std::string>{"free B"}));
}

TEST(Component, NoticesTellThatTheComponentIsBeingDestroyed) {
    std::vector<std::string> Log;
    auto A = std::make_unique<TProbe>(nullptr, "A", Log);
    auto B = std::make_unique<TProbe>(nullptr, "B", Log);
    A->SetRef(B.get());
    Log.clear();
    B.reset();
    // The subclass part is gone first; the notice still comes before the end.
    EXPECT_EQ(Log, (std::vector<std::string>{"free B", "A remove B (destroying)"}));
}

// A notice handler frees other components that also hold notices: nothing dangles.
TEST(Component, AHandlerMayFreeComponentsThatHoldNotices) {
    std::vector<std::string> Log;
    auto Target = std::make_unique<TProbe>(nullptr, "Target", Log);
    auto Watcher = std::make_unique<TProbe>(nullptr, "Watcher", Log);
    auto* Doomed = new TProbe(nullptr, "Doomed", Log);
    Watcher->SetRef(Target.get());
    Doomed->SetRef(Target.get());
    Watcher->FreedWithRef.reset(Doomed);
    Target.reset();
    EXPECT_EQ(Watcher->Ref(), nullptr);
    EXPECT_EQ(std::count(Log.begin(), Log.end(), "free Doomed"), 1);
}

TEST(Component, SiblingsReferringToEachOtherDieWithTheirOwner) {
    std::vector<std::string> Log;
    auto Owner = std::make_unique<TComponent>(nullptr);
    auto* A = new TProbe(Owner.get(), "A", Log);
    auto* B = new TProbe(Owner.get(), "B", Log);
    auto* C = new TProbe(B, "C", Log);
    A->SetRef(C);
    C->SetRef(A);
    B->SetRef(A);
    Owner.reset();
    EXPECT_EQ(Log.back(), "free A");
}

}  // namespace
