#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/base/Component.hpp"
#include "framework/base/Exceptions.hpp"
#include "framework/base/Properties.hpp"
#include "framework/base/StringList.hpp"

namespace {

using rtl::Extended;
using rtl::TComponent;
using rtl::TPropValue;
using rtl::TTypeKind;

class TGadget : public TComponent {
public:
    explicit TGadget(TComponent* AOwner) : TComponent(AOwner) {}
    static const rtl::TClassInfo& StaticClassInfo();
    const rtl::TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    bool On() const { return FOn; }
    void SetOn(bool Value) { FOn = Value; }
    char Key() const { return FKey; }
    void SetKey(char Value) { FKey = Value; }
    uint8_t Level() const { return FLevel; }
    void SetLevel(uint8_t Value) { FLevel = Value; }
    int Count() const { return FCount; }
    void SetCount(int Value) { FCount = Value; }
    float Gain() const { return FGain; }
    void SetGain(float Value) { FGain = Value; }
    Extended Value() const { return FValue; }
    void SetValue(Extended Value) { FValue = Value; }
    std::string Label() const { return FLabel; }
    void SetLabel(std::string Value) { FLabel = std::move(Value); }
    rtl::TStrings* Items() const { return &FItems; }
    void SetItems(const rtl::TStrings* Value) { FItems.Assign(*Value); }
    TGadget* Link() const { return FLink; }
    void SetLink(TGadget* Value) { FLink = Value; }

private:
    bool FOn = false;
    char FKey = 0;
    uint8_t FLevel = 0;
    int FCount = 0;
    float FGain = 0;
    Extended FValue = 0;
    std::string FLabel;
    mutable rtl::TStringList FItems;
    TGadget* FLink = nullptr;
};

const rtl::TClassInfo& TGadget::StaticClassInfo() {
    static const rtl::TClassInfo Info{"TGadget",
                                      &TComponent::StaticClassInfo(),
                                      [](TComponent* AOwner) -> TComponent* { return new TGadget(AOwner); },
                                      {rtl::MakeProperty("On", &TGadget::On, &TGadget::SetOn),
                                       rtl::MakeProperty("Key", &TGadget::Key, &TGadget::SetKey, 'k'),
                                       rtl::MakeProperty("Level", &TGadget::Level, &TGadget::SetLevel, 3),
                                       rtl::MakeProperty("Count", &TGadget::Count, &TGadget::SetCount),
                                       rtl::MakeProperty("Gain", &TGadget::Gain, &TGadget::SetGain),
                                       rtl::MakeProperty("Value", &TGadget::Value, &TGadget::SetValue, 1.5),
                                       rtl::MakeProperty("Label", &TGadget::Label, &TGadget::SetLabel),
                                       rtl::MakeProperty("Items", &TGadget::Items, &TGadget::SetItems),
                                       rtl::MakeProperty("Link", &TGadget::Link, &TGadget::SetLink)}};
    return Info;
}

// Redeclares Count with a default and adds a property of its own.
class TBigGadget : public TGadget {
public:
    using TGadget::TGadget;
    static const rtl::TClassInfo& StaticClassInfo() {
        static const rtl::TClassInfo Info{
            "TBigGadget",
            &TGadget::StaticClassInfo(),
            [](TComponent* AOwner) -> TComponent* { return new TBigGadget(AOwner); },
            {rtl::MakeProperty("Extra", &TBigGadget::Extra, &TBigGadget::SetExtra, "none"),
             rtl::MakeProperty("COUNT", &TGadget::Count, &TGadget::SetCount, 10)}};
        return Info;
    }
    const rtl::TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const std::string& Extra() const { return FExtra; }
    void SetExtra(const std::string& Value) { FExtra = Value; }

private:
    std::string FExtra = "none";
};

const rtl::TPropInfo& Prop(const TComponent& Instance, const std::string& sName) {
    const rtl::TPropInfo* Info = Instance.ClassInfo().FindProperty(sName);
    if (!Info) throw std::runtime_error("no property " + sName);
    return *Info;
}

std::vector<std::string> Names(const rtl::TClassInfo& Class) {
    std::vector<std::string> Result;
    for (const rtl::TPropInfo* Info : Class.AllProperties()) Result.push_back(Info->Name);
    return Result;
}

TEST(Properties, TakeTheirKindFromTheGetterAndRoundTripThroughReadAndWrite) {
    TGadget Gadget(nullptr), Target(nullptr);
    const struct {
        const char* Name;
        TTypeKind Kind;
        TPropValue Value;
    } Cases[] = {
        {"On", TTypeKind::Boolean, true},
        {"Key", TTypeKind::Char, 'z'},
        {"Level", TTypeKind::Integer, int64_t{255}},
        {"Count", TTypeKind::Integer, int64_t{-2147483647 - 1}},
        {"Gain", TTypeKind::Float, Extended{0.25}},
        {"Value", TTypeKind::Float, 1.0L / 3},
        {"Label", TTypeKind::String, std::string("text")},
        {"Items", TTypeKind::StringList, std::vector<std::string>{"a", "b"}},
        {"Link", TTypeKind::Component, static_cast<TComponent*>(&Target)},
        {"Tag", TTypeKind::Integer, int64_t{-5}},
        {"Name", TTypeKind::String, std::string("Gadget1")},
    };
    for (const auto& Case : Cases) {
        const rtl::TPropInfo& Info = Prop(Gadget, Case.Name);
        EXPECT_EQ(Info.Kind, Case.Kind) << Case.Name;
        Info.Write(Gadget, Case.Value);
        EXPECT_TRUE(Info.Read(Gadget) == Case.Value) << Case.Name;
    }
    EXPECT_EQ(Gadget.Link(), &Target);
    EXPECT_EQ(Gadget.Items()->Text(), "a\nb\n");
}

TEST(Properties, RefuseValuesThatDoNotFitTheSetter) {
    TGadget Gadget(nullptr);
    TComponent Plain(nullptr);
    const struct {
        const char* Name;
        TPropValue Value;
    } Cases[] = {
        {"Level", int64_t{256}},     {"Level", int64_t{-1}}, {"Count", int64_t{1} << 31},
        {"Gain", Extended{1e39}},    {"On", int64_t{1}},     {"Label", 'x'},
        {"Items", std::string("a")}, {"Link", &Plain},  // not a TGadget
    };
    for (const auto& Case : Cases) {
        const rtl::TPropInfo& Info = Prop(Gadget, Case.Name);
        const TPropValue Before = Info.Read(Gadget);
        EXPECT_THROW(Info.Write(Gadget, Case.Value), rtl::EConvertError) << Case.Name;
        EXPECT_TRUE(Info.Read(Gadget) == Before) << Case.Name;
    }
    // A component of another class has none of TGadget's properties.
    EXPECT_THROW(Prop(Gadget, "Count").Read(Plain), rtl::EConvertError);
    EXPECT_THROW(Prop(Gadget, "Count").Write(Plain, int64_t{1}), rtl::EConvertError);
}

TEST(Properties, AreStoredWhenTheyDifferFromTheDeclaredDefaultOrByKind) {
    TGadget Gadget(nullptr);
    const auto Stored = [&](const char* sName) { return Prop(Gadget, sName).IsStoredValue(Gadget); };
    // Declared defaults: stored only when different.
    EXPECT_FALSE(Stored("Tag"));
    EXPECT_TRUE(Stored("Key"));    // 0 against 'k'
    EXPECT_TRUE(Stored("Level"));  // 0 against 3
    EXPECT_TRUE(Stored("Value"));  // 0 against 1.5
    Gadget.SetKey('k');
    Gadget.SetLevel(3);
    Gadget.SetValue(1.5);
    EXPECT_FALSE(Stored("Key"));
    EXPECT_FALSE(Stored("Level"));
    EXPECT_FALSE(Stored("Value"));
    // Without one: strings when not empty, floats when not 0, the rest always.
    EXPECT_FALSE(Stored("Label"));
    EXPECT_FALSE(Stored("Name"));
    EXPECT_FALSE(Stored("Gain"));
    EXPECT_TRUE(Stored("On"));
    EXPECT_TRUE(Stored("Count"));
    EXPECT_TRUE(Stored("Items"));
    EXPECT_TRUE(Stored("Link"));
    Gadget.SetLabel("x");
    Gadget.SetGain(-0.5f);
    EXPECT_TRUE(Stored("Label"));
    EXPECT_TRUE(Stored("Gain"));
    rtl::TPropInfo Hidden = Prop(Gadget, "On");
    Hidden.Stored = false;
    EXPECT_FALSE(Hidden.IsStoredValue(Gadget));
}

TEST(ClassInfo, ListsInheritedPropertiesFirstAndLetASubclassRedeclareOne) {
    EXPECT_EQ(Names(TComponent::StaticClassInfo()), (std::vector<std::string>{"Name", "Tag"}));
    EXPECT_EQ(Names(TBigGadget::StaticClassInfo()),
              (std::vector<std::string>{"Name", "Tag", "On", "Key", "Level", "COUNT", "Gain", "Value",
                                        "Label", "Items", "Link", "Extra"}));
    TBigGadget Big(nullptr);
    const rtl::TPropInfo* Count = Big.ClassInfo().FindProperty("count");
    ASSERT_NE(Count, nullptr);
    EXPECT_TRUE(Count->Default == TPropValue(int64_t{10}));
    EXPECT_FALSE(Prop(Big, "Extra").IsStoredValue(Big));
    EXPECT_EQ(Big.ClassInfo().FindProperty("Nothing"), nullptr);
    EXPECT_EQ(Big.ClassName(), "TBigGadget");
    EXPECT_TRUE(TBigGadget::StaticClassInfo().InheritsFrom(TComponent::StaticClassInfo()));
    EXPECT_TRUE(TBigGadget::StaticClassInfo().InheritsFrom(TBigGadget::StaticClassInfo()));
    EXPECT_FALSE(TGadget::StaticClassInfo().InheritsFrom(TBigGadget::StaticClassInfo()));
}

TEST(ClassRegistry, FindsClassesByNameWhateverTheirCase) {
    EXPECT_EQ(rtl::FindClass("tcomponent"), &TComponent::StaticClassInfo());
    EXPECT_EQ(rtl::FindClass("TGadget"), nullptr);
    rtl::RegisterClass(TGadget::StaticClassInfo());
    rtl::RegisterClass(TGadget::StaticClassInfo());  // again: no change
    EXPECT_EQ(rtl::FindClass("TGADGET"), &TGadget::StaticClassInfo());
    const rtl::TClassInfo Impostor{"tgadget", nullptr, {}, {}};
    EXPECT_THROW(rtl::RegisterClass(Impostor), rtl::EComponentError);
    rtl::UnRegisterClass(Impostor);  // not the registered one: no change
    EXPECT_EQ(rtl::FindClass("TGadget"), &TGadget::StaticClassInfo());
    rtl::UnRegisterClass(TGadget::StaticClassInfo());
    EXPECT_EQ(rtl::FindClass("TGadget"), nullptr);
    TComponent* Made = TGadget::StaticClassInfo().Create(nullptr);
    EXPECT_EQ(Made->ClassName(), "TGadget");
    delete Made;
}

// A unit's registration lasts as long as the unit's static object: a package that
// leaves the process must take its class out with it.
TEST(ClassRegistry, KeepsAUnitsClassWhileItsRegistrationLivesAndNeverTakesAnothers) {
    {
        const rtl::TClassRegistration Registration(TGadget::StaticClassInfo());
        EXPECT_EQ(rtl::FindClass("TGadget"), &TGadget::StaticClassInfo());
        {
            const rtl::TClassInfo Namesake{"TGadget", nullptr, {}, {}};
            const rtl::TClassRegistration Late(Namesake);  // the name is taken: no change
            EXPECT_EQ(rtl::FindClass("TGadget"), &TGadget::StaticClassInfo());
        }
        EXPECT_EQ(rtl::FindClass("TGadget"), &TGadget::StaticClassInfo()) << "the late one took nothing away";
    }
    EXPECT_EQ(rtl::FindClass("TGadget"), nullptr);
}

}  // namespace
