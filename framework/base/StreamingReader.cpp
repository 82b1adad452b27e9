// The component reader, its second pass: the checked tree of StreamingParser made
// into components, properties assigned, references resolved, all or nothing.
#include <type_traits>
#include <unordered_set>
#include <utility>
#include <vector>

#include "framework/base/Component.hpp"
#include "framework/base/Properties.hpp"
#include "framework/base/Streaming.hpp"
#include "framework/base/StreamingNames.hpp"
#include "framework/base/StreamingParser.hpp"

namespace rtl {

using streaming::FailAtLine;
using streaming::NameProperty;
using streaming::TObjectNode;
using streaming::TValueLine;

class TReader {
public:
    explicit TReader(const TComponent* Outer) : FOuter(Outer) {}

    TComponent* ReadNew(const TObjectNode& Node, TComponent* AOwner) {
        return Guarded([&] {
            TComponent* Root = Make(Node, nullptr);
            ReadObject(Node, *Root);
            ResolveReferences();
            if (AOwner) AtLine(Node.Line, [&] { AOwner->InsertComponent(Root); });
            FinishLoading();
            return Root;
        });
    }

    void ReadInto(const TObjectNode& Node, TComponent& Root) {
        if (&Root.ClassInfo() != Node.Class)
            FailAtLine(Node.Line,
                       "the text holds a " + Node.Class->ClassName + ", not a " + Root.ClassName());
        Guarded([&] {
            Begin(Root, Node.Line);
            if (Root.Name() != Node.Name)
                Assign(Root, *TComponent::StaticClassInfo().FindProperty(std::string(NameProperty)),
                       Node.Name, Node.Line);
            ReadObject(Node, Root);
            ResolveReferences();
            FinishLoading();
            return 0;
        });
    }

private:
    struct TUndo {
        TComponent* Instance;
        const TPropInfo* Prop;
        TPropValue Old;
    };
    struct TPending {
        TComponent* Instance;
        const TValueLine* Value;
    };

    // Runs a step of one line: a failure of the component model becomes the line's
    // EReadError.
    template <class F>
    static std::invoke_result_t<F> AtLine(int Line, F Step) {
        try {
            return Step();
        } catch (const Exception& Failure) {
            FailAtLine(Line, Failure.Message());
        }
    }

    template <class F>
    std::invoke_result_t<F> Guarded(F Body) {
        try {
            return Body();
        } catch (...) {
            Rollback();
            throw;
        }
    }

    bool IsMade(const TComponent* Instance) const { return FMadeSet.contains(Instance); }

    void Begin(TComponent& Instance, int Line) {
        FRead.push_back({&Instance, Line});
        if (!(Instance.ComponentState() & csLoading)) {
            Instance.SetComponentState(csLoading);
            FLoadingSetHere.push_back(&Instance);
        }
    }

    TComponent* Make(const TObjectNode& Node, TComponent* Owner) {
        if (!Node.Class->Create)
            FailAtLine(Node.Line, "the class " + Node.Class->ClassName + " cannot be created");
        TComponent* Instance = AtLine(Node.Line, [&] { return Node.Class->Create(Owner); });
        if (!Instance) FailAtLine(Node.Line, "the class " + Node.Class->ClassName + " made no component");
        FMade.push_back(Instance);
        FMadeSet.insert(Instance);
        Begin(*Instance, Node.Line);
        AtLine(Node.Line, [&] { Instance->SetName(Node.Name); });
        return Instance;
    }

    TComponent& Child(const TObjectNode& Node, TComponent& Owner) {
        TComponent* Existing = Owner.FindComponent(Node.Name);
        if (!Existing) return *Make(Node, &Owner);
        if (IsMade(Existing))
            FailAtLine(Node.Line, "a component named " + Node.Name + " already exists here");
        if (&Existing->ClassInfo() != Node.Class)
            FailAtLine(Node.Line,
                       Owner.Name() + " already owns " + Node.Name + " of class " + Existing->ClassName());
        Begin(*Existing, Node.Line);
        return *Existing;
    }

    void ReadObject(const TObjectNode& Node, TComponent& Instance) {
        for (const TValueLine& Value : Node.Values)
            if (Value.Reference.empty()) Assign(Instance, *Value.Prop, Value.Value, Value.Line);
            else FPending.push_back({&Instance, &Value});
        for (const TObjectNode& ChildNode : Node.Children) ReadObject(ChildNode, Child(ChildNode, Instance));
    }

    void Assign(TComponent& Instance, const TPropInfo& Prop, const TPropValue& Value, int Line) {
        if (!IsMade(&Instance))
            FUndo.push_back({&Instance, &Prop, AtLine(Line, [&] { return Prop.Read(Instance); })});
        AtLine(Line, [&] { Prop.Write(Instance, Value); });
    }

    void ResolveReferences() {
        std::vector<TComponent*> Tree;
        for (const auto& [Instance, Line] : FRead) Tree.push_back(Instance);
        const streaming::TReferenceNames Names(Tree, FOuter);
        for (const TPending& Pending : FPending) {
            const std::string& Name = Pending.Value->Reference;
            bool Ambiguous = false;
            TComponent* Target = Names.Find(Name, Ambiguous);
            if (Ambiguous) FailAtLine(Pending.Value->Line, "more than one component is named " + Name);
            if (!Target) FailAtLine(Pending.Value->Line, "no component named " + Name + " to refer to");
            Assign(*Pending.Instance, *Pending.Value->Prop, Target, Pending.Value->Line);
        }
    }

    void FinishLoading() {
        for (const auto& [Instance, Line] : FRead) {
            Instance->ClearComponentState(csLoading);
            // Captured by name: clang 14 cannot capture a structured binding.
            TComponent* Loading = Instance;
            AtLine(Line, [Loading] { Loading->Loaded(); });
        }
        FLoadingSetHere.clear();
    }

    // Puts back what was assigned to existing components, then frees what was made,
    // newest first so that owned components go before their owners.
    void Rollback() noexcept {
        for (auto It = FUndo.rbegin(); It != FUndo.rend(); ++It) {
            try {
                It->Prop->Write(*It->Instance, It->Old);
            } catch (...) {
                // Best effort: the value was accepted before, a refusal now changes nothing.
            }
        }
        for (TComponent* Instance : FLoadingSetHere)
            if (!IsMade(Instance)) Instance->ClearComponentState(csLoading);
        for (auto It = FMade.rbegin(); It != FMade.rend(); ++It) delete *It;
    }

    const TComponent* FOuter;
    std::vector<TComponent*> FMade;  // in creation order
    std::unordered_set<const TComponent*> FMadeSet;
    std::vector<std::pair<TComponent*, int>> FRead;  // every component read, with its line
    std::vector<TComponent*> FLoadingSetHere;
    std::vector<TUndo> FUndo;
    std::vector<TPending> FPending;
};

TComponent* ReadComponentText(const std::string& Text, TComponent* AOwner) {
    const TObjectNode Root = streaming::ParseComponentText(Text);
    return TReader(AOwner).ReadNew(Root, AOwner);
}

void ReadComponentTextInto(const std::string& Text, TComponent& Root) {
    const TObjectNode Node = streaming::ParseComponentText(Text);
    TReader(Root.Owner()).ReadInto(Node, Root);
}

}  // namespace rtl
