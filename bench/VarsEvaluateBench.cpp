// Evaluation cost of the variables flavour when every leaf asks a handler.
#include <benchmark/benchmark.h>

#include <string>

#include "engine_vars/Quorix.hpp"
#include "framework/base/StringList.hpp"

namespace {

void BM_VariablesAskedOnEveryCalc(benchmark::State& State) {
    quorix::TQuorix Parser(nullptr);
    const rtl::TStringList Variables{"alpha", "beta"};
    Parser.SetVariables(&Variables);
    Parser.SetOnGetVariable([](const std::string& sName, rtl::Extended& Result) { Result = sName.size(); });
    std::string sText = "alpha";
    for (int i = 0; i < State.range(0); ++i) sText += "*beta+alpha";
    Parser.SetText(sText);
    Parser.Parse();
    for (auto _ : State) {
        Parser.Calc();
        benchmark::DoNotOptimize(Parser.Value());
    }
    State.SetItemsProcessed(State.iterations() * (2 * State.range(0) + 1));
}
BENCHMARK(BM_VariablesAskedOnEveryCalc)->Arg(10)->Arg(1000);

}  // namespace
