// The math unit against the C library's long double functions (called here only, never
// in the product), on the same changing arguments: a few thousand varied values cycled
// through, so that neither constant folding nor a well-trained branch predictor
// flatters either side. After the runs it prints the speed-up table (C library time
// over ours: how many times faster ours is).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/MedianCollector.hpp"
#include "framework/math/Math.hpp"

namespace quorix::bench {

namespace {

using rtl::Extended;
using TRoutine = Extended (*)(Extended, Extended);

constexpr std::size_t kArguments = 4096;  // a power of two: cycling is a mask

struct TArguments {
    std::vector<Extended> A, B;
};

// Where the arguments come from: evenly spread over [rLow, rHigh], or over the binades
// between them (bLogarithmic); B, if any, evenly over its own range, or whole numbers.
struct TRange {
    Extended rLow, rHigh;
    bool bLogarithmic = false;
};

struct TComparison {
    const char* sName;
    TRoutine Ours, Theirs;
    TRange A, B;
    bool bWholeB = false;
    double rTarget = 0;  // the speed-up to reach; 0: for information only
};

template <Extended (*Ours)(Extended)>
Extended Unary(Extended A, Extended) {
    return Ours(A);
}

Extended Draw(std::mt19937_64& Generator, TRange Range) {
    std::uniform_real_distribution<double> Fraction(0, 1);
    if (!Range.bLogarithmic) return Range.rLow + (Range.rHigh - Range.rLow) * Fraction(Generator);
    return Range.rLow * std::pow(Range.rHigh / Range.rLow, Extended(Fraction(Generator)));
}

TArguments ArgumentsFor(const TComparison& Comparison) {
    std::mt19937_64 Generator(42);
    TArguments Arguments;
    for (std::size_t i = 0; i < kArguments; ++i) {
        Arguments.A.push_back(Draw(Generator, Comparison.A));
        const Extended B = Draw(Generator, Comparison.B);
        Arguments.B.push_back(Comparison.bWholeB ? std::trunc(B) : B);
    }
    return Arguments;
}

const TRange kAngles{-20, 20};
const TRange kUnit{-1, 1};
const TRange kPositive{1e-30L, 1e30L, true};
const TRange kNone{0, 0};

// The C library's side, in the same shape as ours.
const TComparison kComparisons[] = {
    {"Sin", Unary<rtl::Sin>, [](Extended A, Extended) { return std::sin(A); }, kAngles, kNone, false, 4},
    {"Cos", Unary<rtl::Cos>, [](Extended A, Extended) { return std::cos(A); }, kAngles, kNone, false, 4},
    {"Tan", Unary<rtl::Tan>, [](Extended A, Extended) { return std::tan(A); }, kAngles, kNone, false, 4},
    {"Power",
     rtl::Power,
     [](Extended A, Extended B) { return std::pow(A, B); },
     {1e-3L, 1e3L, true},
     {-20, 20},
     false,
     13},
    {"Power x^n",
     rtl::Power,
     [](Extended A, Extended B) { return std::pow(A, B); },
     {0.5L, 2},
     {2, 65},
     true,
     20},
    {"Log10", Unary<rtl::Log10>, [](Extended A, Extended) { return std::log10(A); }, kPositive, kNone, false,
     1.5},
    {"Log2", Unary<rtl::Log2>, [](Extended A, Extended) { return std::log2(A); }, kPositive, kNone, false,
     1.5},
    {"LnXP1",
     Unary<rtl::LnXP1>,
     [](Extended A, Extended) { return std::log1p(A); },
     {1e-20L, 10, true},
     kNone,
     false,
     1.5},
    {"Sinh", Unary<rtl::Sinh>, [](Extended A, Extended) { return std::sinh(A); }, kAngles, kNone, false, 1.5},
    {"ArcTan2",
     rtl::ArcTan2,
     [](Extended A, Extended B) { return std::atan2(A, B); },
     {-10, 10},
     {-10, 10},
     false,
     2},
    {"Hypot",
     rtl::Hypot,
     [](Extended A, Extended B) { return std::hypot(A, B); },
     {-100, 100},
     {-100, 100},
     false,
     2},
    {"Cotan", Unary<rtl::Cotan>, [](Extended A, Extended) { return std::cos(A) / std::sin(A); }, kAngles,
     kNone},
    {"ArcSin", Unary<rtl::ArcSin>, [](Extended A, Extended) { return std::asin(A); }, kUnit, kNone},
    {"ArcCos", Unary<rtl::ArcCos>, [](Extended A, Extended) { return std::acos(A); }, kUnit, kNone},
    {"Cosh", Unary<rtl::Cosh>, [](Extended A, Extended) { return std::cosh(A); }, kAngles, kNone},
    {"Tanh", Unary<rtl::Tanh>, [](Extended A, Extended) { return std::tanh(A); }, kAngles, kNone},
    {"ArcSinh",
     Unary<rtl::ArcSinh>,
     [](Extended A, Extended) { return std::asinh(A); },
     {-1e10L, 1e10L},
     kNone},
    {"ArcCosh",
     Unary<rtl::ArcCosh>,
     [](Extended A, Extended) { return std::acosh(A); },
     {1, 1e10L, true},
     kNone},
    {"ArcTanh",
     Unary<rtl::ArcTanh>,
     [](Extended A, Extended) { return std::atanh(A); },
     {-0.999L, 0.999L},
     kNone},
    {"LogN",
     rtl::LogN,
     [](Extended A, Extended B) { return std::log2(B) / std::log2(A); },
     {2, 10},
     kPositive},
    {"IntPower",
     [](Extended A, Extended B) { return rtl::IntPower(A, int(B)); },
     [](Extended A, Extended B) { return std::pow(A, B); },
     {0.5L, 2},
     {-64, 65},
     true},
};

void Time(benchmark::State& State, TRoutine Routine, const TArguments& Arguments) {
    std::size_t i = 0;
    for (auto _ : State) {
        benchmark::DoNotOptimize(Routine(Arguments.A[i], Arguments.B[i]));
        i = (i + 1) & (kArguments - 1);
    }
}

std::string Name(const char* sSide, const TComparison& Comparison) {
    return std::string(sSide) + "/" + Comparison.sName;
}

void RegisterAll(const std::vector<TArguments>& Arguments) {
    for (std::size_t k = 0; k < std::size(kComparisons); ++k) {
        const TComparison& Comparison = kComparisons[k];
        for (const char* sSide : {"ours", "libc"}) {
            const TRoutine Routine = sSide[0] == 'o' ? Comparison.Ours : Comparison.Theirs;
            benchmark::RegisterBenchmark(
                Name(sSide, Comparison).c_str(),
                [Routine, &Arguments, k](benchmark::State& State) { Time(State, Routine, Arguments[k]); })
                ->Unit(benchmark::kNanosecond)
                ->MinTime(0.1)
                ->Repetitions(5)
                ->ReportAggregatesOnly(true);
        }
    }
}

void PrintTable(const TCollector& Results) {
    std::printf(
        "\nOurs against the C library (ns CPU per call, median of 5; speed-up = C library / ours)\n\n");
    std::printf("| function | ours | C library | speed-up | target |\n|---|---|---|---|---|\n");
    for (const TComparison& Comparison : kComparisons) {
        const double rOurs = Results.Of(Name("ours", Comparison));
        const double rTheirs = Results.Of(Name("libc", Comparison));
        std::printf("| %s | %.1f | %.1f | %.2f |", Comparison.sName, rOurs, rTheirs, rTheirs / rOurs);
        if (Comparison.rTarget > 0)
            std::printf(" %.1fx %s |\n", Comparison.rTarget,
                        rTheirs / rOurs >= Comparison.rTarget ? "met" : "missed");
        else std::printf(" |\n");
    }
}

}  // namespace

}  // namespace quorix::bench

int main(int argc, char** argv) {
    using namespace quorix::bench;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    std::vector<TArguments> Arguments;
    for (const TComparison& Comparison : kComparisons) Arguments.push_back(ArgumentsFor(Comparison));
    RegisterAll(Arguments);
    TCollector Results;
    benchmark::RunSpecifiedBenchmarks(&Results);
    PrintTable(Results);
    benchmark::Shutdown();
    return 0;
}
