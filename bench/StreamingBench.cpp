// Reading stored components: the time per component must not grow with their number.
// N components under one root, each referring to the one before it.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "framework/base/Component.hpp"
#include "framework/base/Properties.hpp"
#include "framework/base/Streaming.hpp"

namespace {

class TLinked : public rtl::TComponent {
public:
    explicit TLinked(rtl::TComponent* AOwner) : rtl::TComponent(AOwner) {}

    static const rtl::TClassInfo& StaticClassInfo() {
        static const rtl::TClassInfo Info{
            "TLinked",
            &rtl::TComponent::StaticClassInfo(),
            [](rtl::TComponent* AOwner) -> rtl::TComponent* { return new TLinked(AOwner); },
            {rtl::MakeProperty("Ratio", &TLinked::Ratio, &TLinked::SetRatio),
             rtl::MakeProperty("Partner", &TLinked::Partner, &TLinked::SetPartner, nullptr)}};
        return Info;
    }
    const rtl::TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    rtl::Extended Ratio() const { return FRatio; }
    void SetRatio(rtl::Extended Value) { FRatio = Value; }
    TLinked* Partner() const { return FPartner; }
    void SetPartner(TLinked* Value) {
        if (FPartner) RemoveFreeNotification(FPartner);
        FPartner = Value;
        if (FPartner) FreeNotification(FPartner);
    }

protected:
    void Notification(rtl::TComponent* AComponent, rtl::TOperation Operation) override {
        rtl::TComponent::Notification(AComponent, Operation);
        if (Operation == rtl::opRemove && AComponent == FPartner) FPartner = nullptr;
    }

private:
    rtl::Extended FRatio = 0;
    TLinked* FPartner = nullptr;
};

std::string Chain(int Count) {
    std::string Text = "object Root: TLinked\n";
    std::string Previous = "Root";
    for (int i = 1; i <= Count; ++i) {
        std::string Name = "C";
        Name += std::to_string(i);
        Text += "  object " + Name + ": TLinked\n    Ratio = 0.5\n    Partner = ";
        Text += Previous;
        Text += "\n  end\n";
        Previous = Name;
    }
    return Text + "end\n";
}

void ReadComponents(benchmark::State& State) {
    static const bool bRegistered = (rtl::RegisterClass(TLinked::StaticClassInfo()), true);
    (void)bRegistered;
    const int Count = static_cast<int>(State.range(0));
    const std::string Text = Chain(Count);
    for (auto _ : State) {
        std::unique_ptr<rtl::TComponent> Root(rtl::ReadComponentText(Text));
        benchmark::DoNotOptimize(Root.get());
        State.PauseTiming();  // freeing them is not reading
        Root.reset();
        State.ResumeTiming();
    }
    State.counters["per_component"] =
        benchmark::Counter(static_cast<double>(Count),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(ReadComponents)
    ->Arg(1250)
    ->Arg(2500)
    ->Arg(5000)
    ->Arg(rtl::MaxStoredComponents - 1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
