#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "framework/base/Component.hpp"
#include "framework/base/Exceptions.hpp"
#include "framework/base/Properties.hpp"
#include "framework/base/Streaming.hpp"
#include "framework/base/StringList.hpp"

namespace {

using rtl::Extended;
using rtl::TComponent;

// A component with a property of every kind; it records what reading did to it.
class TSample : public TComponent {
public:
    explicit TSample(TComponent* AOwner) : TComponent(AOwner) {}

    static const rtl::TClassInfo& StaticClassInfo();
    const rtl::TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    bool Flag() const { return FFlag; }
    void SetFlag(bool Value) { FFlag = Value; }
    char Letter() const { return FLetter; }
    void SetLetter(char Value) { FLetter = Value; }
    int Count() const { return FCount; }
    void SetCount(int Value) { FCount = Value; }
    int64_t Big() const { return FBig; }
    void SetBig(int64_t Value) { FBig = Value; }
    int16_t Small() const { return FSmall; }
    void SetSmall(int16_t Value) { FSmall = Value; }
    Extended Ratio() const { return FRatio; }
    void SetRatio(Extended Value) { FRatio = Value; }
    double Scale() const { return FScale; }
    void SetScale(double Value) { FScale = Value; }
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& Value) {
        FCaption = Value;
        Log.push_back("Caption");
    }
    rtl::TStrings* Lines() const { return &FLines; }
    void SetLines(const rtl::TStrings* Value) { FLines.Assign(*Value); }
    TSample* Partner() const { return FPartner; }
    void SetPartner(TSample* Value) {
        if (FPartner) RemoveFreeNotification(FPartner);
        FPartner = Value;
        if (FPartner) FreeNotification(FPartner);
        Log.push_back("Partner");
    }
    int Width() const { return FWidth; }
    void SetWidth(int Value) { FWidth = Value; }
    std::string Hidden() const { return "hidden"; }
    void SetHidden(std::string) {}

    std::vector<std::string> Log;  // setters and Loaded, in the order they ran
    bool LoadingDuringCaption = false;
    static inline bool FailInLoaded = false;

protected:
    void Notification(TComponent* AComponent, rtl::TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (Operation == rtl::opRemove && AComponent == FPartner) FPartner = nullptr;
    }
    void Loaded() override {
        TComponent::Loaded();
        Log.push_back(std::string("Loaded") + (FPartner ? " with partner" : ""));
        if (FailInLoaded) throw rtl::Exception("cannot start");
    }

private:
    bool FFlag = true;
    char FLetter = 'a';
    int FCount = 0;
    int64_t FBig = 0;
    int16_t FSmall = 0;
    Extended FRatio = 0;
    double FScale = 1;
    std::string FCaption;
    mutable rtl::TStringList FLines;
    TSample* FPartner = nullptr;
    int FWidth = 0;
};

const rtl::TClassInfo& TSample::StaticClassInfo() {
    static const rtl::TClassInfo Info = [] {
        rtl::TClassInfo I{"TSample",
                          &TComponent::StaticClassInfo(),
                          [](TComponent* AOwner) -> TComponent* { return new TSample(AOwner); },
                          {rtl::MakeProperty("Flag", &TSample::Flag, &TSample::SetFlag, true),
                           rtl::MakeProperty("Letter", &TSample::Letter, &TSample::SetLetter, 'a'),
                           rtl::MakeProperty("Count", &TSample::Count, &TSample::SetCount, 0),
                           rtl::MakeProperty("Big", &TSample::Big, &TSample::SetBig),
                           rtl::MakeProperty("Small", &TSample::Small, &TSample::SetSmall, 0),
                           rtl::MakeProperty("Ratio", &TSample::Ratio, &TSample::SetRatio),
                           rtl::MakeProperty("Scale", &TSample::Scale, &TSample::SetScale, 1.0),
                           rtl::MakeProperty("Caption", &TSample::Caption, &TSample::SetCaption),
                           rtl::MakeProperty("Lines", &TSample::Lines, &TSample::SetLines),
                           rtl::MakeProperty("Partner", &TSample::Partner, &TSample::SetPartner, nullptr),
                           rtl::MakeProperty("Size.Width", &TSample::Width, &TSample::SetWidth, 0),
                           rtl::MakeProperty("object", &TSample::Width, &TSample::SetWidth, 0),
                           rtl::MakeProperty("Hidden", &TSample::Hidden, &TSample::SetHidden)}};
        I.Properties.back().Stored = false;
        return I;
    }();
    return Info;
}

// Logs every insert notice it is given, as "Receiver insert Newcomer".
class TInsertProbe : public TComponent {
public:
    explicit TInsertProbe(TComponent* AOwner) : TComponent(AOwner) {}

    static const rtl::TClassInfo& StaticClassInfo() {
        static const rtl::TClassInfo Info{
            "TInsertProbe",
            &TComponent::StaticClassInfo(),
            [](TComponent* AOwner) -> TComponent* { return new TInsertProbe(AOwner); },
            {}};
        return Info;
    }
    const rtl::TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    static inline std::vector<std::string> Log;

protected:
    void Notification(TComponent* AComponent, rtl::TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (Operation == rtl::opInsert) Log.push_back(Name() + " insert " + AComponent->Name());
    }
};

// A registered class that the reader cannot create.
const rtl::TClassInfo AbstractInfo{"TAbstractSample", &TComponent::StaticClassInfo(), {}, {}};

const bool Registered = [] {
    rtl::RegisterClass(TSample::StaticClassInfo());
    rtl::RegisterClass(AbstractInfo);
    rtl::RegisterClass(TInsertProbe::StaticClassInfo());
    return true;
}();

TSample* Sample(TComponent* Owner, const std::string& sName) {
    auto* S = new TSample(Owner);
    S->SetName(sName);
    return S;
}

std::unique_ptr<TComponent> Read(const std::string& Text, TComponent* AOwner = nullptr) {
    return std::unique_ptr<TComponent>(rtl::ReadComponentText(Text, AOwner));
}

TEST(Streaming, WritesOneReadablePropertyALineAndLeavesOutDefaults) {
    TSample Root(nullptr);
    Root.SetName("Root");
    Root.SetTag(7);
    Root.SetCaption("say \"hi\"\\\n\t\x01 é");
    Root.SetRatio(0.1L);
    Root.Lines()->SetText("one\n\ntwo\n");
    TSample* Child = Sample(&Root, "Child");
    Child->SetFlag(false);
    Child->SetLetter('"');
    Child->SetPartner(&Root);
    new TSample(Child);  // no name
    EXPECT_EQ(rtl::WriteComponentText(Root),
              "object Root: TSample\n"
              "  Tag = 7\n"
              "  Big = 0\n"
              "  Ratio = 0.1\n"
              "  Caption = \"say \\\"hi\\\"\\\\\\n\\t\\x01 é\"\n"
              "  Lines = [\n"
              "    \"one\"\n"
              "    \"\"\n"
              "    \"two\"\n"
              "  ]\n"
              "  object Child: TSample\n"
              "    Flag = false\n"
              "    Letter = \"\\\"\"\n"
              "    Big = 0\n"
              "    Lines = []\n"
              "    Partner = Root\n"
              "    object : TSample\n"
              "      Big = 0\n"
              "      Lines = []\n"
              "    end\n"
              "  end\n"
              "end\n");
}

// Every property of every component, references by name, owned components in order.
void ExpectSameTree(const TComponent& Expected, const TComponent& Actual) {
    ASSERT_EQ(Expected.ClassName(), Actual.ClassName());
    EXPECT_EQ(Expected.Name(), Actual.Name());
    for (const rtl::TPropInfo* Prop : Expected.ClassInfo().AllProperties()) {
        const rtl::TPropValue Want = Prop->Read(Expected), Got = Prop->Read(Actual);
        if (const auto* Ref = std::get_if<TComponent*>(&Want)) {
            const auto* GotRef = std::get<TComponent*>(Got);
            EXPECT_EQ(*Ref == nullptr, GotRef == nullptr) << Prop->Name;
            if (*Ref && GotRef) {
                EXPECT_EQ((*Ref)->Name(), GotRef->Name()) << Prop->Name;
            }
        } else {
            EXPECT_TRUE(Want == Got) << Expected.Name() << "." << Prop->Name;
        }
    }
    ASSERT_EQ(Expected.ComponentCount(), Actual.ComponentCount());
    for (int i = 0; i < Expected.ComponentCount(); ++i)
        ExpectSameTree(*Expected.Components(i), *Actual.Components(i));
}

TEST(Streaming, ATreeReadBackReproducesEveryPublishedProperty) {
    using Limits = std::numeric_limits<Extended>;
    const Extended Floats[] = {Limits::max(),
                               -Limits::max(),
                               Limits::denorm_min(),
                               Limits::min(),
                               1 / 3.0L,
                               std::acos(-1.0L),
                               -2.5e-10L,
                               1e15L,
                               -0.0L,
                               -Limits::denorm_min(),
                               0.1L};
    TComponent Outer(nullptr);
    TSample* Elsewhere = Sample(&Outer, "Elsewhere");
    TSample* Root = Sample(&Outer, "Root");
    TSample* Parent = Root;
    for (int i = 0; i < 11; ++i) {
        TSample* S = Sample(i % 3 == 2 ? Root : Parent, "S" + std::to_string(i));
        S->SetRatio(Floats[i]);
        S->SetScale(i % 2 ? 1e300 : -std::numeric_limits<double>::denorm_min());
        S->SetFlag(i % 2);
        S->SetLetter(static_cast<char>(i * 23));
        S->SetCount(i == 0 ? std::numeric_limits<int>::min() : i * 1000);
        S->SetBig(i % 2 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min());
        S->SetSmall(static_cast<int16_t>(-32768 + i));
        std::string Caption;
        for (int c = 0; c < 256; c += 1 + i) Caption += static_cast<char>(c);
        S->SetCaption(Caption);
        S->Lines()->SetText("line " + std::to_string(i) + "\n\"quoted\"\n\n");
        S->SetPartner(i % 4 == 0 ? Elsewhere : i % 4 == 1 ? Root : i % 4 == 2 ? Parent : nullptr);
        S->SetTag(-i);
        Parent = S;
    }
    const std::string Text = rtl::WriteComponentText(*Root);
    TComponent Destination(nullptr);
    TSample* Other = Sample(&Destination, "Elsewhere");
    TComponent* Copy = rtl::ReadComponentText(Text, &Destination);
    ExpectSameTree(*Root, *Copy);
    EXPECT_EQ(rtl::WriteComponentText(*Copy), Text);
    auto* S0 = static_cast<TSample*>(Copy->FindComponent("S0"));
    ASSERT_NE(S0, nullptr);
    ASSERT_EQ(S0->ComponentCount(), 1);
    EXPECT_EQ(S0->Partner(), Other);
    EXPECT_EQ(static_cast<TSample*>(S0->Components(0))->Partner(), Copy);
}

TEST(Streaming, AssignsInOrderResolvesReferencesLastThenCallsLoaded) {
    auto Root = Read(
        "object A: TSample\n"
        "  Partner = B\n"
        "  Caption = \"x\"\n"
        "  object B: TSample\n"
        "    Caption = \"y\"\n"
        "    Partner = A\n"
        "  end\n"
        "end\n");
    auto* A = static_cast<TSample*>(Root.get());
    auto* B = static_cast<TSample*>(A->FindComponent("B"));
    ASSERT_NE(B, nullptr);
    EXPECT_EQ(A->Partner(), B);
    EXPECT_EQ(B->Partner(), A);
    // Partner is assigned after every Caption although written first in A.
    EXPECT_EQ(A->Log, (std::vector<std::string>{"Caption", "Partner", "Loaded with partner"}));
    EXPECT_EQ(B->Log, (std::vector<std::string>{"Caption", "Partner", "Loaded with partner"}));
    EXPECT_FALSE(A->ComponentState() & rtl::csLoading);
    EXPECT_FALSE(B->ComponentState() & rtl::csLoading);
}

TEST(Streaming, ReadsAcceptingIndentationBlankLinesAndCarriageReturns) {
    auto Root = Read("\r\n  object   A :TSample  \r\n\n\tCount=3\r\n Lines = [ \r\n\"a\"\r\n ]\r\nend\r\n\n");
    auto* A = static_cast<TSample*>(Root.get());
    EXPECT_EQ(A->Name(), "A");
    EXPECT_EQ(A->Count(), 3);
    EXPECT_EQ(A->Lines()->Text(), "a\n");
}

TEST(Streaming, ReadsPropertyPathsAndAPropertyNamedObject) {
    TSample Root(nullptr);
    Root.SetWidth(4);
    const std::string Text = rtl::WriteComponentText(Root);
    EXPECT_NE(Text.find("\n  Size.Width = 4\n  object = 4\n"), std::string::npos) << Text;
    auto Copy = Read("object : TSample\n  object = 2\n  Size.Width = 3\nend\n");
    EXPECT_EQ(static_cast<TSample*>(Copy.get())->Width(), 3);
    EXPECT_THROW(Read("object : TSample\n  Size. = 3\nend\n"), rtl::EReadError);
    EXPECT_THROW(Read("object : TSample\n  Size.Height = 3\nend\n"), rtl::EReadError);
}

std::string Nested(int Depth) {
    std::string Text;
    for (int i = 0; i < Depth; ++i) Text += "object : TSample\n";
    for (int i = 0; i < Depth; ++i) Text += "end\n";
    return Text;
}

// A root owning Children components.
std::string Flat(int Children) {
    std::string Text = "object : TSample\n";
    for (int i = 0; i < Children; ++i) Text += "object : TSample\nend\n";
    return Text + "end\n";
}

TEST(Streaming, RejectsMalformedTextWithTheLineAndFreesWhatItMade) {
    const std::string Head = "object A: TSample\n  object B: TSample\n";
    // A property of B on line 3, in an otherwise complete text.
    const auto Prop = [&](const std::string& Line) { return Head + "    " + Line + "\n  end\nend\n"; };
    const struct {
        std::string Text;
        int Line;
    } Cases[] = {
        {"", 1},
        {"\n\n", 3},
        {"end\n", 1},
        {"object A TSample\nend\n", 1},
        {"object 1A: TSample\nend\n", 1},
        {"object A: TNoSuchClass\nend\n", 1},
        {"object A: TAbstractSample\nend\n", 1},
        {"object A: TSample\n", 2},
        {Head + "  end\n", 4},
        {Head + "    Lines = [\n      \"x\"\n", 5},
        {Prop("NoSuch = 1"), 3},
        {Prop("Count 1"), 3},
        {Prop("= 1"), 3},
        {Prop("Flag = 1"), 3},
        {Prop("Flag = TRUE"), 3},
        {Prop("Count = \"1\""), 3},
        {Prop("Count = 1.5"), 3},
        {Prop("Count = 99999999999999999999"), 3},
        {Prop("Count = 3000000000"), 3},
        {Prop("Small = 40000"), 3},
        {Prop("Count = "), 3},
        {Prop("Ratio = 0x10"), 3},
        {Prop("Ratio = +1"), 3},
        {Prop("Ratio = 1e"), 3},
        {Prop("Ratio = 1e99999"), 3},
        {Prop("Ratio = nan"), 3},
        {Prop("Ratio = inf"), 3},
        {Prop("Ratio = -inf"), 3},
        {Prop("Scale = -nan"), 3},
        {Prop("Scale = 1e400"), 3},
        {Prop("Letter = \"ab\""), 3},
        {Prop("Letter = \"\""), 3},
        {Prop("Caption = abc"), 3},
        {Prop("Caption = \"abc"), 3},
        {Prop("Caption = \"a\"b\""), 3},
        {Prop("Caption = \"\\q\""), 3},
        {Prop("Caption = \"\\x4\""), 3},
        {Prop("Caption = \"\\\""), 3},
        {Prop("Caption = \"a\tb\""), 3},
        {Prop("Lines = \"a\""), 3},
        {Head + "    Lines = [\n      a\n    ]\n", 4},
        {Prop("Partner = 12"), 3},
        {Prop("Partner = Nobody"), 3},
        {Head + "    Tag = 1\n    object A: TSample\n    end\n    Tag = 2\n", 6},
        {Head + "  end\n  object b: TSample\n  end\nend\n", 4},
        {Head + "  end\nend\nobject C: TSample\nend\n", 5},
        {Head + "  end\nend\nx\n", 5},
        {Head + "  end\n  object C: TComponent\n    Partner = B\n", 5},
        {Nested(rtl::MaxStoredDepth + 1), rtl::MaxStoredDepth + 1},
        {Flat(rtl::MaxStoredComponents), 2 * rtl::MaxStoredComponents},
        {"object A: TSample\n  Caption = \"" + std::string(rtl::MaxStoredLineLength, 'x') + "\"\nend\n", 2},
    };
    for (const auto& Case : Cases) {
        const std::string Where = "Line " + std::to_string(Case.Line) + ":";
        try {
            Read(Case.Text);
            ADD_FAILURE() << "no error for:\n" << Case.Text.substr(0, 200);
        } catch (const rtl::EReadError& Error) {
            EXPECT_EQ(Error.Message().rfind(Where, 0), 0u) << Error.Message() << "\nfor:\n"
                                                           << Case.Text.substr(0, 200);
        }
    }
}

TEST(Streaming, ReadsTheDeepestNestingItWrites) {
    auto Root = Read(Nested(rtl::MaxStoredDepth));
    EXPECT_NO_THROW(Read(rtl::WriteComponentText(*Root)));
    TComponent* Deepest = Root.get();
    for (int i = 1; i < rtl::MaxStoredDepth; ++i) Deepest = Deepest->Components(0);
    new TComponent(Deepest);
    EXPECT_THROW(rtl::WriteComponentText(*Root), rtl::EWriteError);
}

TEST(Streaming, AFailureLeavesTheOwnerAsItWas) {
    TComponent Owner(nullptr);
    Sample(&Owner, "Taken");
    const char* Texts[] = {
        "object Taken: TSample\nend\n",  // the name is in use there
        "object A: TSample\n  Partner = Nobody\nend\n",
    };
    for (const char* Text : Texts) {
        EXPECT_THROW(Read(Text, &Owner), rtl::EReadError) << Text;
        EXPECT_EQ(Owner.ComponentCount(), 1);
    }
    TSample::FailInLoaded = true;
    EXPECT_THROW(Read("object A: TSample\n  object B: TSample\n  end\nend\n", &Owner), rtl::EReadError);
    TSample::FailInLoaded = false;
    EXPECT_EQ(Owner.ComponentCount(), 1);
    auto* Made = static_cast<TSample*>(
        rtl::ReadComponentText("object Made: TSample\n  Partner = Taken\nend\n", &Owner));
    EXPECT_EQ(Made->Owner(), &Owner);
    EXPECT_EQ(Made->Partner(), Owner.FindComponent("Taken"));
}

TEST(Streaming, RefusesToWriteAValueThatIsNotAFiniteNumber) {
    using Limits = std::numeric_limits<Extended>;
    TSample Root(nullptr);
    for (const Extended Value : {Limits::infinity(), -Limits::infinity(), Limits::quiet_NaN()}) {
        Root.SetRatio(Value);
        EXPECT_THROW(rtl::WriteComponentText(Root), rtl::EWriteError);
    }
    Root.SetRatio(Limits::max());
    Root.SetScale(std::numeric_limits<double>::quiet_NaN());
    EXPECT_THROW(rtl::WriteComponentText(Root), rtl::EWriteError);
}

TEST(Streaming, RefusesToWriteAReferenceThatWouldNotReadBack) {
    TComponent Owner(nullptr);
    TSample* Root = Sample(&Owner, "Root");
    TSample* A = Sample(Root, "A");
    TSample* Inner = Sample(A, "Twin");
    Sample(Root, "Twin");
    auto Unnamed = std::make_unique<TSample>(nullptr);
    auto Away = std::make_unique<TSample>(nullptr);
    Away->SetName("Away");
    auto* Nil = Sample(Root, "nil");
    for (TSample* Target : {Inner, Unnamed.get(), Away.get(), Nil}) {
        A->SetPartner(Target);
        EXPECT_THROW(rtl::WriteComponentText(*Root), rtl::EWriteError);
    }
    A->SetPartner(&*Root);
    EXPECT_NO_THROW(rtl::WriteComponentText(*Root));
}

TEST(Streaming, ReadingIntoAnExistingRootReusesItsComponentsByName) {
    TSample Root(nullptr);
    TSample* Kept = Sample(&Root, "Kept");
    Root.SetCaption("old");
    ReadComponentTextInto(
        "object Main: TSample\n"
        "  Caption = \"new\"\n"
        "  object Kept: TSample\n"
        "    Count = 5\n"
        "  end\n"
        "  object Added: TSample\n"
        "    Partner = Kept\n"
        "  end\n"
        "end\n",
        Root);
    EXPECT_EQ(Root.Name(), "Main");
    EXPECT_EQ(Root.Caption(), "new");
    EXPECT_EQ(Root.ComponentCount(), 2);
    EXPECT_EQ(Kept->Count(), 5);
    EXPECT_EQ(static_cast<TSample*>(Root.FindComponent("Added"))->Partner(), Kept);
    EXPECT_EQ(Kept->Log.back(), "Loaded");
    EXPECT_THROW(ReadComponentTextInto("object A: TComponent\nend\n", Root), rtl::EReadError);
}

TEST(Streaming, AFailedReadIntoARootPutsBackWhatItChanged) {
    TSample Root(nullptr);
    Root.SetName("Main");
    TSample* Kept = Sample(&Root, "Kept");
    Root.SetCaption("old");
    Root.Lines()->SetText("a\nb\n");
    Kept->SetPartner(&Root);
    const std::string Before = rtl::WriteComponentText(Root);
    const char* Texts[] = {
        "object Other: TSample\n  Caption = \"new\"\n  Lines = []\n  object Kept: TSample\n"
        "    Partner = Added\n    Count = 9\n  end\n  object Added: TSample\n    Partner = Nobody\n"
        "  end\nend\n",
        "object Main: TSample\n  Count = 1\n  object Kept: TComponent\n  end\nend\n",
        "object Main: TSample\n  Count = 1\n  object Added: TSample\n    Small = 99999\n  end\nend\n",
    };
    for (const char* Text : Texts) {
        EXPECT_THROW(ReadComponentTextInto(Text, Root), rtl::EReadError) << Text;
        EXPECT_EQ(rtl::WriteComponentText(Root), Before) << Text;
        EXPECT_FALSE(Root.ComponentState() & rtl::csLoading);
        EXPECT_FALSE(Kept->ComponentState() & rtl::csLoading);
    }
}

// The reader does not announce each component it makes to the ones made before it
// (N^2/2 notices for N of them); the root it reads is announced where it is inserted,
// and once loaded, inserting announces as ever.
TEST(Streaming, ReadingDoesNotAnnounceEachComponentToItsSiblings) {
    auto& Log = TInsertProbe::Log;
    TInsertProbe Outer(nullptr);
    Outer.SetName("Outer");
    (new TInsertProbe(&Outer))->SetName("Held");
    Log.clear();
    TComponent* Root = rtl::ReadComponentText(
        "object Root: TInsertProbe\n"
        "  object A: TInsertProbe\n  end\n"
        "  object B: TInsertProbe\n  end\n"
        "end\n",
        &Outer);
    EXPECT_EQ(Log, (std::vector<std::string>{"B insert Root", "A insert Root", "Root insert Root",
                                             "Held insert Root", "Outer insert Root"}));
    Log.clear();
    ReadComponentTextInto("object Root: TInsertProbe\n  object C: TInsertProbe\n  end\nend\n", *Root);
    EXPECT_EQ(Root->ComponentCount(), 3);
    EXPECT_TRUE(Log.empty());
    auto* D = new TInsertProbe(nullptr);
    D->SetName("D");
    Root->InsertComponent(D);
    EXPECT_EQ(Log, (std::vector<std::string>{"D insert D", "C insert D", "B insert D", "A insert D",
                                             "Root insert D"}));
}

}  // namespace
