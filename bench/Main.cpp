// The engine against muparser, side by side in one run: evaluation with changing
// inputs, parsing, the cost per token as texts grow, and the heap a parse needs.
// After the runs it prints the ratio table (ours / peer, lower is better).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench/Engines.hpp"
#include "bench/Inputs.hpp"
#include "bench/MedianCollector.hpp"

namespace quorix::bench {

namespace {

struct TEngineKind {
    const char* sName;
    std::unique_ptr<TEngine> (*Make)();
    bool bOurs;
};
const TEngineKind Kinds[] = {{"A", MakeFlavourA, true}, {"B", MakeFlavourB, true}, {"mu", MakePeer, false}};

const TShape Shapes[] = {TShape::FlatChain, TShape::DeepNesting, TShape::ManyGroups, TShape::ManyCalls};
const std::size_t Sizes[] = {1000, 10000, 100000, 1000000};

const std::string& TextFor(const TEngineKind& Kind, const TExpression& Expression) {
    return Kind.bOurs ? Expression.sOurs : Expression.sPeer;
}

void Evaluate(benchmark::State& State, const TEngineKind& Kind, const std::string& sText) {
    Inputs = TInputs();
    const std::unique_ptr<TEngine> Engine = Kind.Make();
    double rValue = 0;
    if (!Engine->Parse(sText)) return State.SkipWithError("parse failed");
    for (int i = 0; i < 1000; ++i) {
        Engine->Evaluate(rValue);
        Inputs.Swap();
    }
    for (auto _ : State) {
        Engine->Evaluate(rValue);
        benchmark::DoNotOptimize(rValue);
        Inputs.Swap();
    }
}

void Parse(benchmark::State& State, const TEngineKind& Kind, const std::string& sText) {
    Inputs = TInputs();
    const std::unique_ptr<TEngine> Engine = Kind.Make();
    double rValue = 0;
    for (auto _ : State) {
        if (!Engine->Parse(sText)) return State.SkipWithError("parse failed");
        Engine->Evaluate(rValue);
        benchmark::DoNotOptimize(rValue);
    }
}

void Scale(benchmark::State& State, const TEngineKind& Kind, const TGenerated& Text) {
    const std::unique_ptr<TEngine> Engine = Kind.Make();
    // One parse before the clock runs, so that every size is timed parsing again. A
    // small text is parsed thousands of times, its first parse lost among them; the
    // largest only a few times, and the page faults of its first parse (fresh memory
    // for the nodes) would weigh in a quarter of the time.
    if (!Engine->Parse(Text.sText)) return State.SkipWithError("parse failed");
    for (auto _ : State)
        if (!Engine->Parse(Text.sText)) return State.SkipWithError("parse failed");
    State.counters["tokens"] = static_cast<double>(Text.iTokens);
}

// Every engine must agree on every expression before anything is timed.
bool ValuesAgree() {
    bool bAgree = true;
    for (const TExpression& Expression : ExpressionSet()) {
        double Values[3] = {};
        for (int k = 0; k < 3; ++k) {
            Inputs = TInputs();
            const std::unique_ptr<TEngine> Engine = Kinds[k].Make();
            if (!Engine->Parse(TextFor(Kinds[k], Expression)) || !Engine->Evaluate(Values[k])) {
                std::fprintf(stderr, "%s fails on %s\n", Kinds[k].sName, Expression.sOurs.c_str());
                bAgree = false;
            }
        }
        for (int k = 0; k < 2; ++k)
            if (!(std::fabs(Values[k] - Values[2]) <= 1e-12 * std::fabs(Values[2]))) {
                std::fprintf(stderr, "%s gives %.17g, the peer %.17g for %s\n", Kinds[k].sName, Values[k], Values[2],
                             Expression.sOurs.c_str());
                bAgree = false;
            }
    }
    Inputs = TInputs();
    return bAgree;
}

std::string Name(const char* sWhat, const TEngineKind& Kind, std::size_t i) {
    return std::string(sWhat) + "/" + Kind.sName + "/" + std::to_string(i);
}
std::string ScaleName(const TEngineKind& Kind, TShape Shape, std::size_t iSize) {
    return std::string("scale/") + Kind.sName + "/" + ShapeName(Shape) + "/" + std::to_string(iSize);
}

void RegisterAll(std::map<std::string, std::size_t>& Tokens) {
    const std::vector<TExpression>& Set = ExpressionSet();
    for (const char* sWhat : {"eval", "parse"})
        for (std::size_t i = 0; i < Set.size(); ++i)
            for (const TEngineKind& Kind : Kinds) {
                const std::string sText = TextFor(Kind, Set[i]);
                const bool bEval = sWhat[0] == 'e';
                benchmark::RegisterBenchmark(Name(sWhat, Kind, i).c_str(),
                                             [&Kind, sText, bEval](benchmark::State& State) {
                                                 if (bEval) Evaluate(State, Kind, sText);
                                                 else Parse(State, Kind, sText);
                                             })
                    ->Unit(benchmark::kNanosecond)
                    ->MinTime(0.2)
                    ->Repetitions(5)
                    ->ReportAggregatesOnly(true);
            }
    for (TShape Shape : Shapes)
        for (std::size_t iSize : Sizes)
            for (const TEngineKind& Kind : Kinds) {
                if (!Kind.bOurs) continue;
                const TGenerated Text = Generate(Shape, iSize);
                Tokens[ScaleName(Kind, Shape, iSize)] = Text.iTokens;
                benchmark::RegisterBenchmark(ScaleName(Kind, Shape, iSize).c_str(),
                                             [&Kind, Text](benchmark::State& State) { Scale(State, Kind, Text); })
                    ->Unit(benchmark::kNanosecond)
                    ->MinTime(0.3)
                    ->Repetitions(3)
                    ->ReportAggregatesOnly(true);
            }
}

// Peak heap growth while a fresh engine parses Text, per token.
double BytesPerToken(const TEngineKind& Kind, const TGenerated& Text) {
    const std::unique_ptr<TEngine> Engine = Kind.Make();
    const std::size_t iBefore = LiveBytes();
    ResetPeakBytes();
    if (!Engine->Parse(Text.sText)) return NAN;
    return static_cast<double>(PeakBytes() - iBefore) / static_cast<double>(Text.iTokens);
}

// Peak heap growth while a fresh engine parses a string argument of iLength bytes
// nested iDepth calls deep, as a multiple of the text's length: what copies of the
// text a parse makes on its way down.
double PeakPerTextByte(const TEngineKind& Kind, int iDepth, std::size_t iLength) {
    std::string sText;
    for (int i = 0; i < iDepth; ++i) sText += "f(";
    sText += "'" + std::string(iLength, 'x') + "'" + std::string(static_cast<std::size_t>(iDepth), ')');
    const std::unique_ptr<TEngine> Engine = Kind.Make();
    const std::size_t iBefore = LiveBytes();
    ResetPeakBytes();
    if (!Engine->Parse(sText)) return NAN;
    return static_cast<double>(PeakBytes() - iBefore) / static_cast<double>(sText.size());
}

void PrintTables(const TCollector& Results, const std::map<std::string, std::size_t>& Tokens) {
    const std::vector<TExpression>& Set = ExpressionSet();
    for (const char* sWhat : {"eval", "parse"}) {
        std::printf("\n%s (ns, median of 5; ratio = ours / muparser)\n\n", sWhat[0] == 'e' ? "Evaluation with changing inputs" : "Parse and evaluate once");
        std::printf("| # | expression | A | B | muparser | A/mu | B/mu |\n|---|---|---|---|---|---|---|\n");
        double rWorst = 0;
        for (std::size_t i = 0; i < Set.size(); ++i) {
            const double rA = Results.Of(Name(sWhat, Kinds[0], i));
            const double rB = Results.Of(Name(sWhat, Kinds[1], i));
            const double rMu = Results.Of(Name(sWhat, Kinds[2], i));
            std::printf("| %zu | `%s` | %.1f | %.1f | %.1f | %.2f | %.2f |\n", i, Set[i].sOurs.c_str(), rA, rB, rMu,
                        rA / rMu, rB / rMu);
            rWorst = std::fmax(rWorst, std::fmax(rA / rMu, rB / rMu));
        }
        std::printf("\nWorst ratio: %.2f\n", rWorst);
    }
    std::printf("\nScale (ns per token; last column: 10^6 over 10^3)\n\n");
    std::printf("| flavour | shape | 10^3 | 10^4 | 10^5 | 10^6 | growth |\n|---|---|---|---|---|---|---|\n");
    for (const TEngineKind& Kind : Kinds) {
        if (!Kind.bOurs) continue;
        for (TShape Shape : Shapes) {
            std::printf("| %s | %s", Kind.sName, ShapeName(Shape));
            double rFirst = NAN, rLast = NAN;
            for (std::size_t iSize : Sizes) {
                const std::string sName = ScaleName(Kind, Shape, iSize);
                const double rPerToken = Results.Of(sName) / static_cast<double>(Tokens.at(sName));
                if (iSize == Sizes[0]) rFirst = rPerToken;
                rLast = rPerToken;
                std::printf(" | %.1f", rPerToken);
            }
            std::printf(" | %.2f |\n", rLast / rFirst);
        }
    }
    std::printf("\nPeak heap per token while parsing (bytes)\n\n");
    std::printf("| flavour | shape | 10^3 | 10^6 |\n|---|---|---|---|\n");
    for (const TEngineKind& Kind : Kinds) {
        if (!Kind.bOurs) continue;
        for (TShape Shape : Shapes)
            std::printf("| %s | %s | %.0f | %.0f |\n", Kind.sName, ShapeName(Shape),
                        BytesPerToken(Kind, Generate(Shape, 1000)), BytesPerToken(Kind, Generate(Shape, 1000000)));
    }
    // Flavour A refuses calls nested deeper than 64, flavour B deeper than 256.
    std::printf("\nPeak heap while parsing a 256 KiB string nested in calls (multiples of the text's length)\n\n");
    std::printf("| flavour | 64 calls | 256 calls |\n|---|---|---|\n");
    const std::size_t iLength = std::size_t{256} << 10;
    std::printf("| A | %.1f | - |\n", PeakPerTextByte(Kinds[0], 64, iLength));
    std::printf("| B | %.1f | %.1f |\n", PeakPerTextByte(Kinds[1], 64, iLength), PeakPerTextByte(Kinds[1], 256, iLength));
}

}  // namespace

}  // namespace quorix::bench

int main(int argc, char** argv) {
    using namespace quorix::bench;
    if (!ValuesAgree()) return 1;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    std::map<std::string, std::size_t> Tokens;
    RegisterAll(Tokens);
    TCollector Results;
    benchmark::RunSpecifiedBenchmarks(&Results);
    PrintTables(Results, Tokens);
    benchmark::Shutdown();
    return 0;
}
