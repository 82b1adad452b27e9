// Random expression texts and scripted handlers for the evaluation differential tests
// of both flavours: the texts come from the random token lists, their names become
// names without arguments or calls; a handler's answer to its n-th call is drawn from
// the input's seed, so two evaluations of one input meet the same handlers.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <typeinfo>
#include <vector>

#include "RandomTokens.hpp"

namespace quorix::testing {

// The exact bits of an 80-bit value.
inline std::string Bits(long double rValue) {
    char s[64];
    std::snprintf(s, sizeof s, "%La", rValue);
    return s;
}

struct TTextNames {
    std::vector<std::string> Bare;    // written without arguments
    std::vector<std::string> Called;  // written with an argument list
    std::string sUnknown;             // a name no list knows, drawn rarely
    // What draws a text of these names, when not RandomText.
    std::string (*Draw)(TRandomTokens& Random, const TTextNames& Names) = nullptr;
};

inline std::string NumberText(long double rValue) {
    if (rValue == 0.5L) return "0.5";
    if (rValue > 1e100L) return "1e3000";
    return std::to_string(static_cast<int>(rValue));
}

// A text from a random token list, mostly a well-formed one; calls nest at most three
// deep. Arguments are texts again, strings (holding a separator) or empty.
inline std::string RandomText(TRandomTokens& Random, const TTextNames& Names, int iDepth = 0) {
    const auto Pick = [&Random](const std::vector<std::string>& List) {
        return List[static_cast<std::size_t>(Random.Pick(static_cast<int>(List.size())))];
    };
    std::string sText;
    for (const TDraw& Draw : Random.Chance(4) ? Random.Next() : Random.NextExpression()) {
        if (Draw.bNumber) {
            sText += NumberText(Draw.rValue);
        } else if (Draw.sName != "f" && Draw.sName != "u") {
            sText += Draw.sName;
        } else if (Random.Chance(40)) {
            sText += Names.sUnknown;
        } else if (iDepth < 3 && !Random.Chance(3)) {
            sText += Pick(Names.Called) + '(';
            for (int iArg = 1 + Random.Pick(3); iArg > 0; --iArg) {
                if (Random.Chance(6)) sText += "'s;t'";
                else if (!Random.Chance(8)) sText += RandomText(Random, Names, iDepth + 1);
                sText += iArg > 1 ? ";" : ")";
            }
        } else {
            sText += Pick(Names.Bare);
        }
    }
    return sText;
}

inline std::string TextOf(TRandomTokens& Random, const TTextNames& Names) {
    return Names.Draw ? Names.Draw(Random, Names) : RandomText(Random, Names);
}

// What a handler does at one call.
enum class TAnswer {
    Value,           // one of a few ordinary values, 0 among them
    Sum,             // the sum of its numeric arguments
    Huge,            // a finite value the operators overflow on
    Infinite,        // raises in the engine
    NaN,             // raises in the engine
    ErrorCode,       // fails with code 42 (where the event has an error code)
    Raise,           // throws
    NewText,         // assigns another text, then answers
    DropHandler,     // removes the function handler, then answers
    ReplaceHandler,  // assigns an equal function handler, then answers
};

inline TAnswer AnswerOf(uint64_t iSeed, int iCall) {
    uint64_t z = iSeed + 0x9E3779B97F4A7C15ull * static_cast<uint64_t>(iCall + 1);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    struct TWeight {
        TAnswer Answer;
        unsigned iWeight;
    };
    static constexpr TWeight Weights[] = {
        {TAnswer::Value, 30},      {TAnswer::Sum, 30},           {TAnswer::Huge, 3},  {TAnswer::Infinite, 2},
        {TAnswer::NaN, 2},         {TAnswer::ErrorCode, 6},      {TAnswer::Raise, 2}, {TAnswer::NewText, 3},
        {TAnswer::DropHandler, 3}, {TAnswer::ReplaceHandler, 3},
    };
    unsigned iTotal = 0;
    for (const TWeight& Weight : Weights) iTotal += Weight.iWeight;
    unsigned iDraw = static_cast<unsigned>(z % iTotal);
    for (const TWeight& Weight : Weights) {
        if (iDraw < Weight.iWeight) return Weight.Answer;
        iDraw -= Weight.iWeight;
    }
    return TAnswer::Value;
}

// The value an answer gives; Sum adds rArguments.
inline long double ValueOf(TAnswer Answer, int iCall, long double rArguments) {
    switch (Answer) {
        case TAnswer::Sum: return rArguments;
        case TAnswer::Huge: return 1e4000L;
        case TAnswer::Infinite: return HUGE_VALL;
        case TAnswer::NaN: return std::nanl("");
        default: return 0.25L * (iCall % 7) - 0.5L;
    }
}

// Everything observable about two Calcs of sText (the second reusing the first's
// parse) by a scripted component that logs its handler calls in Log.
template <class TScripted>
std::string TwoCalcs(TScripted& Q, const std::string& sText, bool bOptimize) {
    Q.SetOptimize(bOptimize);
    Q.SetText(sText);
    for (int iRound = 0; iRound < 2; ++iRound) {
        try {
            const bool bCalculated = Q.Calc();
            Q.Log += "calc " + std::to_string(bCalculated) + ' ' + Bits(Q.Value()) + '\n';
        } catch (const std::exception& Error) {
            Q.Log += std::string("exception ") + typeid(Error).name() + ' ' + Error.what() + ' ' +
                     Bits(Q.Value()) + '\n';
        }
    }
    return Q.Log + "text " + Q.Text() + '\n';
}

// Evaluates random texts, Optimize alternating, once through Calc's compiled program
// and once through the tree walker (TScripted(bWalk, iSeed) chooses); every difference
// fails, and the test stops after five. QUORIX_DIFFERENTIAL_COUNT sets how many.
template <class TScripted>
void ExpectProgramAsWalker(uint64_t iDefaultCount, uint64_t iRandomSeed, const TTextNames& Names) {
    const uint64_t iCount = CountFromEnvironment(iDefaultCount);
    TRandomTokens Random(iRandomSeed);
    const auto Outcome = [](bool bWalk, uint64_t iSeed, const std::string& sText, bool bOptimize) {
        TScripted Q(bWalk, iSeed);
        return TwoCalcs(Q, sText, bOptimize);
    };
    int iMismatches = 0;
    for (uint64_t i = 0; i < iCount && iMismatches < 5; ++i) {
        const std::string sText = TextOf(Random, Names);
        const bool bOptimize = (i & 1) != 0;
        const std::string sProgram = Outcome(false, i, sText, bOptimize);
        const std::string sWalker = Outcome(true, i, sText, bOptimize);
        if (sProgram == sWalker) continue;
        ++iMismatches;
        ADD_FAILURE() << "text " << sText << " optimize " << bOptimize << " seed " << i << "\nprogram:\n"
                      << sProgram << "walker:\n"
                      << sWalker;
    }
    std::printf("differential texts: %llu\n", static_cast<unsigned long long>(iCount));
}

}  // namespace quorix::testing
