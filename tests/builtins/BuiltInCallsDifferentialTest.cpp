// The differential suites on TExtParser itself, whose handler-free texts run their
// pure built-in calls in the quick form; the tree walker runs in a subclass, which
// answers every built-in by name.
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "builtins/ExtParser.hpp"
#include "framework/base/StringList.hpp"
#include "tests/support/ProgramDifferentialSuite.hpp"

namespace quorix::testing {
namespace {

using rtl::Extended;

class TWalked : public TExtParser {
public:
    TWalked() : TExtParser(nullptr) {}

protected:
    Extended EvaluateTree() override { return CalcOnBST(Root()); }
};

struct TCalled {
    const char* sName;
    int nArgs;
};
// Pure built-ins, others and a handler function.
constexpr TCalled kCalled[] = {{"Sin", 1},     {"Cos", 1},   {"Log10", 1}, {"Hypot", 2}, {"ArcSin", 1},
                               {"ArcTan2", 2}, {"Power", 2}, {"Cotan", 1}, {"LogN", 2},  {"ArcCosh", 1},
                               {"Tan", 1},     {"Floor", 1}, {"Sum", 2},   {"f", 1}};
constexpr const char* kConstants[] = {"0", "0.5", "1", "2", "3", "10", "1e3000", "Pi"};

// A short text of constants, bound names, parentheses and calls, mostly with their
// count of arguments (domain failures, overflows and divisions by zero come with
// them); sometimes a string, an empty argument, or a general random text.
std::string CallText(TRandomTokens& Random, const TTextNames& Names, int iDepth) {
    if (iDepth == 0 && Random.Chance(8)) return RandomText(Random, Names);
    std::string sText;
    for (int n = 1 + Random.Pick(3); n > 0; --n) {
        if (!sText.empty()) sText += "+-*/^"[Random.Pick(5)];
        if (Random.Chance(5)) sText += '-';
        const int iKind = Random.Pick(iDepth < 3 ? 5 : 2);
        if (iKind == 0) sText += kConstants[Random.Pick(8)];
        else if (iKind == 1) sText += Names.Bare[static_cast<std::size_t>(Random.Pick(2))];
        else if (iKind == 2) sText += '(' + CallText(Random, Names, iDepth + 1) + ')';
        else {
            const TCalled& Called = kCalled[Random.Pick(14)];
            sText += std::string(Called.sName) + '(';
            for (int iArg = Random.Chance(10) ? Random.Pick(3) : Called.nArgs; iArg > 0; --iArg) {
                if (Random.Chance(30)) sText += "'s'";
                else if (!Random.Chance(30)) sText += CallText(Random, Names, iDepth + 1);
                sText += iArg > 1 ? ";" : "";
            }
            sText += ')';
        }
    }
    return sText;
}

// A TExtParser, or the walker, logged as the suites read it; names outside Fixed and
// the routines' calls answer by the count of calls so far, the same in two evaluations.
class TRecordedExtParser {
public:
    static TTextNames Names() {
        TTextNames Names{{"a", "b"}, {}, "u"};
        for (const TCalled& Called : kCalled) Names.Called.push_back(Called.sName);
        Names.Draw = [](TRandomTokens& Random, const TTextNames& Names) {
            return CallText(Random, Names, 0);
        };
        return Names;
    }
    static constexpr uint64_t iWalkerSeed = 0xe1ca1c, iBoundSeed = 0xe1b0d, iRowsSeed = 0xe15eed;

    std::string Log;
    std::map<std::string, long double> Fixed;
    bool KeepHandler = true;  // this handler stays
    bool RoutinesAnswer = false;
    int FirstError = 0;

    TRecordedExtParser(bool bWalk, uint64_t)
        : FParser(bWalk ? std::make_unique<TWalked>() : std::make_unique<TExtParser>(nullptr)) {
        const rtl::TStringList Functions{"a", "b", "f"};
        FParser->SetFunctions(&Functions);
        FParser->SetOnError([this](int iPos, int iErrCode) {
            Log += "report " + std::to_string(iErrCode) + '@' + std::to_string(iPos) + '\n';
            if (FirstError == 0) FirstError = iErrCode;
        });
        FParser->SetOnGetFunction(
            [this](const std::string& sName, std::span<const rParam> arrPar, int, int&, Extended& Result) {
                if (const auto It = Fixed.find(sName); arrPar.empty() && It != Fixed.end()) {
                    Result = It->second;
                    return;
                }
                if (const std::optional<long double> rValue =
                        RoutinesAnswer ? RoutineAnswer(sName, arrPar) : std::nullopt) {
                    Result = *rValue;
                    return;
                }
                Log += sName + '(';
                for (const rParam& Par : arrPar) Log += Bits(Par.rValue) + ' ';
                Log += ")\n";
                Result = 0.75L * (FCalls++ % 5) - 1;
            });
    }

    void SetOptimize(bool bValue) { FParser->SetOptimize(bValue); }
    void SetText(const std::string& sText) { FParser->SetText(sText); }
    const std::string& Text() const { return FParser->Text(); }
    void Bind(const std::string& sName, const Extended* pValue) { FParser->Bind(sName, pValue); }
    template <class TRoutine>
    void BindFunction(const std::string& sName, TRoutine pRoutine) {
        FParser->BindFunction(sName, pRoutine);
    }
    bool Calc() { return FParser->Calc(); }
    Extended Value() const { return FParser->Value(); }
    std::size_t CalcRows(std::size_t nRows, std::span<Extended> Results, std::span<TRowStatus> Statuses) {
        return FParser->CalcRows(nRows, Results, Statuses);
    }

private:
    std::unique_ptr<TExtParser> FParser;
    int FCalls = 0;
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(ProgramDifferential, Evaluation, TRecordedExtParser);

}  // namespace quorix::testing
