// The engine against muparser, side by side in one run: evaluation with changing
// inputs, parsing, the cost per token as texts grow, and the heap a parse needs.
// After the runs it prints the ratio table (ours / peer, lower is better).
#include <benchmark/benchmark.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <functional>
#include <iterator>
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
    bool bEvaluationOnly = false;  // a way of taking the inputs, timed evaluating only
    double rRows = 1;              // rows per evaluation
    bool bGivesValue = true;       // its value is the expression's (not so for the calls alone)
};
const double kRows = static_cast<double>(TInputColumns::kRows);
// The first three are the table's first columns and take part in every part.
const TEngineKind Kinds[] = {
    {"A", [] { return MakeFlavourA(TInputWay::Handlers); }, true},
    {"B", [] { return MakeFlavourB(TInputWay::Handlers); }, true},
    {"mu", MakePeer, false},
    {"A bound", [] { return MakeFlavourA(TInputWay::Bound); }, true, true},
    {"B bound", [] { return MakeFlavourB(TInputWay::Bound); }, true, true},
    {"A rows", [] { return MakeFlavourA(TInputWay::Rows); }, true, true, kRows},
    {"B rows", [] { return MakeFlavourB(TInputWay::Rows); }, true, true, kRows},
    {"B calls", [] { return MakeFlavourB(TInputWay::HandlerCalls); }, true, true, 1, false},
};
const std::size_t kPeer = 2;

// A text of arithmetic only: no function, no power but an integral one.
bool IsArithmetic(const std::string& sText) {
    for (std::size_t i = 0; i < sText.size(); ++i) {
        if (std::isalpha(static_cast<unsigned char>(sText[i])) && i + 1 < sText.size() &&
            std::isalpha(static_cast<unsigned char>(sText[i + 1])))
            return false;
        if (sText[i] == '^')
            for (std::size_t j = i + 1;
                 j < sText.size() && (std::isdigit(static_cast<unsigned char>(sText[j])) || sText[j] == '.');
                 ++j)
                if (sText[j] == '.') return false;
    }
    return true;
}

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
        constexpr std::size_t nKinds = std::size(Kinds);
        double Values[nKinds] = {};
        for (std::size_t k = 0; k < nKinds; ++k) {
            Inputs = TInputs();
            const std::unique_ptr<TEngine> Engine = Kinds[k].Make();
            if (!Engine->Parse(TextFor(Kinds[k], Expression)) || !Engine->Evaluate(Values[k])) {
                std::fprintf(stderr, "%s fails on %s\n", Kinds[k].sName, Expression.sOurs.c_str());
                bAgree = false;
            }
        }
        for (std::size_t k = 0; k < nKinds; ++k)
            if (Kinds[k].bGivesValue &&
                !(std::fabs(Values[k] - Values[kPeer]) <= 1e-12 * std::fabs(Values[kPeer]))) {
                std::fprintf(stderr, "%s gives %.17g, the peer %.17g for %s\n", Kinds[k].sName, Values[k],
                             Values[kPeer], Expression.sOurs.c_str());
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
                if (Kind.bEvaluationOnly && !bEval) continue;
                benchmark::RegisterBenchmark(Name(sWhat, Kind, i).c_str(),
                                             [&Kind, sText, bEval](benchmark::State& State) {
                                                 if (bEval) Evaluate(State, Kind, sText);
                                                 else Parse(State, Kind, sText);
                                             })
                    ->Unit(benchmark::kNanosecond)
                    ->MinTime(0.1)
                    ->Repetitions(9)
                    ->ReportAggregatesOnly(true);
            }
    for (TShape Shape : Shapes)
        for (std::size_t iSize : Sizes)
            for (const TEngineKind& Kind : Kinds) {
                if (!Kind.bOurs || Kind.bEvaluationOnly) continue;
                const TGenerated Text = Generate(Shape, iSize);
                Tokens[ScaleName(Kind, Shape, iSize)] = Text.iTokens;
                benchmark::RegisterBenchmark(
                    ScaleName(Kind, Shape, iSize).c_str(),
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
    sText += '\'';
    sText.append(iLength, 'x');
    sText += '\'';
    sText.append(static_cast<std::size_t>(iDepth), ')');
    const std::unique_ptr<TEngine> Engine = Kind.Make();
    const std::size_t iBefore = LiveBytes();
    ResetPeakBytes();
    if (!Engine->Parse(sText)) return NAN;
    return static_cast<double>(PeakBytes() - iBefore) / static_cast<double>(sText.size());
}

// Every way of taking the inputs against the peer: ns per evaluation (per row for the
// rows runs), then the ratios, with their geometric means over the whole table and
// over the arithmetic texts (marked *).
void PrintEvaluationTable(const TCollector& Results) {
    const std::vector<TExpression>& Set = ExpressionSet();
    std::printf(
        "\nEvaluation with changing inputs (ns; rows: ns per row; ratio = ours / muparser; * arithmetic "
        "only)\n\n| # | expression |");
    for (const TEngineKind& Kind : Kinds) std::printf(" %s |", Kind.sName);
    for (const TEngineKind& Kind : Kinds)
        if (Kind.bOurs) std::printf(" %s/mu |", Kind.sName);
    std::printf("\n|---|---|");
    for (std::size_t k = 0; k < std::size(Kinds) * 2 - 1; ++k) std::printf("---|");
    std::printf("\n");
    double rLogAll[std::size(Kinds)] = {}, rLogArithmetic[std::size(Kinds)] = {},
           rWorstArithmetic[std::size(Kinds)] = {};
    int nArithmetic = 0;
    for (std::size_t i = 0; i < Set.size(); ++i) {
        const bool bArithmetic = IsArithmetic(Set[i].sOurs);
        nArithmetic += bArithmetic ? 1 : 0;
        std::printf("| %zu%s | `%s` |", i, bArithmetic ? "*" : "", Set[i].sOurs.c_str());
        const double rMu = Results.Of(Name("eval", Kinds[kPeer], i));
        for (const TEngineKind& Kind : Kinds)
            std::printf(" %.1f |", Results.Of(Name("eval", Kind, i)) / Kind.rRows);
        for (std::size_t k = 0; k < std::size(Kinds); ++k) {
            if (!Kinds[k].bOurs) continue;
            const double rRatio = Results.Of(Name("eval", Kinds[k], i)) / Kinds[k].rRows / rMu;
            std::printf(" %.2f |", rRatio);
            rLogAll[k] += std::log(rRatio);
            if (bArithmetic) {
                rLogArithmetic[k] += std::log(rRatio);
                rWorstArithmetic[k] = std::fmax(rWorstArithmetic[k], rRatio);
            }
        }
        std::printf("\n");
    }
    std::printf(
        "\n| ratio to muparser | geometric mean, all | geometric mean, arithmetic | worst, arithmetic "
        "|\n|---|---|---|---|\n");
    for (std::size_t k = 0; k < std::size(Kinds); ++k)
        if (Kinds[k].bOurs)
            std::printf("| %s | %.2f | %.2f | %.2f |\n", Kinds[k].sName,
                        std::exp(rLogAll[k] / static_cast<double>(Set.size())),
                        std::exp(rLogArithmetic[k] / nArithmetic), rWorstArithmetic[k]);
}

void PrintTables(const TCollector& Results, const std::map<std::string, std::size_t>& Tokens) {
    const std::vector<TExpression>& Set = ExpressionSet();
    PrintEvaluationTable(Results);
    {
        const char* sWhat = "parse";
        std::printf("\nParse and evaluate once (ns, median of 9; ratio = ours / muparser)\n\n");
        std::printf("| # | expression | A | B | muparser | A/mu | B/mu |\n|---|---|---|---|---|---|---|\n");
        double rWorst = 0;
        for (std::size_t i = 0; i < Set.size(); ++i) {
            const double rA = Results.Of(Name(sWhat, Kinds[0], i));
            const double rB = Results.Of(Name(sWhat, Kinds[1], i));
            const double rMu = Results.Of(Name(sWhat, Kinds[2], i));
            std::printf("| %zu | `%s` | %.1f | %.1f | %.1f | %.2f | %.2f |\n", i, Set[i].sOurs.c_str(), rA,
                        rB, rMu, rA / rMu, rB / rMu);
            rWorst = std::fmax(rWorst, std::fmax(rA / rMu, rB / rMu));
        }
        std::printf("\nWorst ratio: %.2f\n", rWorst);
    }
    std::printf("\nScale (ns per token; last column: 10^6 over 10^3)\n\n");
    std::printf("| flavour | shape | 10^3 | 10^4 | 10^5 | 10^6 | growth |\n|---|---|---|---|---|---|---|\n");
    for (const TEngineKind& Kind : Kinds) {
        if (!Kind.bOurs || Kind.bEvaluationOnly) continue;
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
        if (!Kind.bOurs || Kind.bEvaluationOnly) continue;
        for (TShape Shape : Shapes)
            std::printf("| %s | %s | %.0f | %.0f |\n", Kind.sName, ShapeName(Shape),
                        BytesPerToken(Kind, Generate(Shape, 1000)),
                        BytesPerToken(Kind, Generate(Shape, 1000000)));
    }
    // Flavour A refuses calls nested deeper than 64, flavour B deeper than 256.
    std::printf(
        "\nPeak heap while parsing a 256 KiB string nested in calls (multiples of the text's length)\n\n");
    std::printf("| flavour | 64 calls | 256 calls |\n|---|---|---|\n");
    const std::size_t iLength = std::size_t{256} << 10;
    std::printf("| A | %.1f | - |\n", PeakPerTextByte(Kinds[0], 64, iLength));
    std::printf("| B | %.1f | %.1f |\n", PeakPerTextByte(Kinds[1], 64, iLength),
                PeakPerTextByte(Kinds[1], 256, iLength));
}

}  // namespace

}  // namespace quorix::bench

int main(int argc, char** argv) {
    using namespace quorix::bench;
    if (!ValuesAgree()) return 1;
    // The repetitions run in a random order across all benchmarks, so that a slow spell
    // of a shared machine weighs on every engine alike, not on whichever ran then. A
    // flag given on the command line comes after this one and wins.
    static char sInterleave[] = "--benchmark_enable_random_interleaving=true";
    std::vector<char*> Arguments(argv, argv + argc);
    Arguments.insert(Arguments.begin() + 1, sInterleave);
    int nArguments = static_cast<int>(Arguments.size());
    benchmark::Initialize(&nArguments, Arguments.data());
    if (benchmark::ReportUnrecognizedArguments(nArguments, Arguments.data())) return 1;
    std::map<std::string, std::size_t> Tokens;
    RegisterAll(Tokens);
    TCollector Results;
    benchmark::RunSpecifiedBenchmarks(&Results);
    PrintTables(Results, Tokens);
    benchmark::Shutdown();
    return 0;
}
