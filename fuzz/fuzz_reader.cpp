// The reader of stored components, over the engine's classes and a sample class with
// a property of every kind (and a reference to another component).
//
// Property: ReadComponentText either raises EReadError (having freed what it made;
// the leak checker sees the rest) or returns components whose written text W reads
// back into components that write W again. (W need not equal the input: blanks,
// property order and values equal to their defaults are not kept.)
#include <cstdint>
#include <memory>
#include <string>

#include "builtins/ExtParser.hpp"
#include "framework/base/Component.hpp"
#include "framework/base/Exceptions.hpp"
#include "framework/base/Properties.hpp"
#include "framework/base/Streaming.hpp"
#include "framework/base/StringList.hpp"
#include "fuzz/FuzzSupport.hpp"

namespace {

using rtl::Extended;
using rtl::TComponent;

class TFuzzSample : public TComponent {
public:
    explicit TFuzzSample(TComponent* AOwner) : TComponent(AOwner) {}

    static const rtl::TClassInfo& StaticClassInfo();
    const rtl::TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    bool Flag() const { return FFlag; }
    void SetFlag(bool Value) { FFlag = Value; }
    char Letter() const { return FLetter; }
    void SetLetter(char Value) { FLetter = Value; }
    int Count() const { return FCount; }
    void SetCount(int Value) { FCount = Value; }
    int16_t Small() const { return FSmall; }
    void SetSmall(int16_t Value) { FSmall = Value; }
    Extended Ratio() const { return FRatio; }
    void SetRatio(Extended Value) { FRatio = Value; }
    double Scale() const { return FScale; }
    void SetScale(double Value) { FScale = Value; }
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& Value) { FCaption = Value; }
    rtl::TStrings* Lines() const { return &FLines; }
    void SetLines(const rtl::TStrings* Value) { FLines.Assign(*Value); }
    TComponent* Partner() const { return FPartner; }
    void SetPartner(TComponent* Value) {
        if (FPartner) RemoveFreeNotification(FPartner);
        FPartner = Value;
        if (FPartner) FreeNotification(FPartner);
    }

protected:
    void Notification(TComponent* AComponent, rtl::TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (Operation == rtl::opRemove && AComponent == FPartner) FPartner = nullptr;
    }

private:
    bool FFlag = true;
    char FLetter = 'a';
    int FCount = 0;
    int16_t FSmall = 0;
    Extended FRatio = 0;
    double FScale = 1;
    std::string FCaption;
    mutable rtl::TStringList FLines;
    TComponent* FPartner = nullptr;
};

const rtl::TClassInfo& TFuzzSample::StaticClassInfo() {
    static const rtl::TClassInfo Info{
        "TFuzzSample",
        &TComponent::StaticClassInfo(),
        [](TComponent* AOwner) -> TComponent* { return new TFuzzSample(AOwner); },
        {rtl::MakeProperty("Flag", &TFuzzSample::Flag, &TFuzzSample::SetFlag, true),
         rtl::MakeProperty("Letter", &TFuzzSample::Letter, &TFuzzSample::SetLetter, 'a'),
         rtl::MakeProperty("Count", &TFuzzSample::Count, &TFuzzSample::SetCount, 0),
         rtl::MakeProperty("Small", &TFuzzSample::Small, &TFuzzSample::SetSmall, 0),
         rtl::MakeProperty("Ratio", &TFuzzSample::Ratio, &TFuzzSample::SetRatio),
         rtl::MakeProperty("Scale", &TFuzzSample::Scale, &TFuzzSample::SetScale, 1.0),
         rtl::MakeProperty("Caption", &TFuzzSample::Caption, &TFuzzSample::SetCaption),
         rtl::MakeProperty("Lines", &TFuzzSample::Lines, &TFuzzSample::SetLines),
         rtl::MakeProperty("Partner", &TFuzzSample::Partner, &TFuzzSample::SetPartner, nullptr)},
    };
    return Info;
}

const bool bRegistered = [] {
    rtl::RegisterClass(TFuzzSample::StaticClassInfo());
    // The engine's classes register themselves once their units are linked.
    return quorix::TExtParser::StaticClassInfo().ClassName.size() > 0;
}();

struct TFree {
    void operator()(TComponent* pComponent) const { delete pComponent; }
};
using TOwned = std::unique_ptr<TComponent, TFree>;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t iSize) {
    const std::string sText(reinterpret_cast<const char*>(pData), iSize);
    TOwned Read;
    try {
        Read.reset(rtl::ReadComponentText(sText));
    } catch (const rtl::EReadError&) {
        return 0;
    }
    quorix::fuzz::Require(Read != nullptr, "a successful read returns its root");
    const std::string sWritten = rtl::WriteComponentText(*Read);
    TOwned Again;
    try {
        Again.reset(rtl::ReadComponentText(sWritten));
    } catch (const rtl::EReadError& Failure) {
        quorix::fuzz::Fail("a written text reads back", sWritten + "\n" + Failure.Message());
    }
    quorix::fuzz::Require(rtl::WriteComponentText(*Again) == sWritten, "a text read back writes the same",
                          sWritten);
    return 0;
}
