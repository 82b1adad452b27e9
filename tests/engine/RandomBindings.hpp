// Differential tests of bound names and of CalcRows, for both flavours: a scripted
// component (see RandomTexts.hpp) whose handlers answer the names in Fixed with their
// fixed value, and with RoutinesAnswer the calls a bound routine takes with its value,
// without a script step, so that bound and handler-answered ones must give the same.
// TScripted has Fixed (by upper-cased name), KeepHandler (its script never drops the
// function handler: a bound name needs none), RoutinesAnswer and FirstError (the first
// code OnError got since it was cleared).
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <exception>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

#include "RandomTexts.hpp"
#include "engine/core/Rows.hpp"
#include "engine/core/Tie.hpp"
#include "framework/base/Exceptions.hpp"

namespace quorix::testing {

// A value a bound name or a handler gives: mostly ordinary, sometimes 0 (a division
// by it), huge (an overflow), infinite or NaN (both raise).
inline long double RandomInput(TRandomTokens& Random) {
    switch (Random.Pick(16)) {
        case 0: return 0;
        case 1: return 1e4000L;
        case 2: return Random.Chance(2) ? HUGE_VALL : -HUGE_VALL;
        case 3: return std::nanl("");
        default: return 0.25L * Random.Pick(13) - 1.5L;
    }
}

// sName with each letter in a random case.
inline std::string AnyCase(TRandomTokens& Random, std::string sName) {
    for (char& c : sName)
        c = static_cast<char>(Random.Chance(2) ? std::toupper(static_cast<unsigned char>(c))
                                               : std::tolower(static_cast<unsigned char>(c)));
    return sName;
}

inline std::string Upper(std::string sName) {
    for (char& c : sName) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return sName;
}

// The routines bound to F (and B) and G; some arguments give a value that is not
// finite, quietly or with a flag raised, and one throws.
inline long double RoutineOfF(long double x) {
    if (x == 0.75L) throw std::runtime_error("routine");
    return x == 1 ? HUGE_VALL : 1 / (x - 0.5L);
}
inline long double RoutineOfG(long double x, long double y) { return x * y - x; }

// What a bound routine answers the call sName(arrPar) with, or none.
inline std::optional<long double> RoutineAnswer(const std::string& sName,
                                                std::span<const core::rParam> arrPar) {
    for (const core::rParam& Par : arrPar)
        if (Par.bIsString || !Par.pTie) return std::nullopt;
    if ((sName == "F" || sName == "B") && arrPar.size() == 1) return RoutineOfF(arrPar[0].rValue);
    if (sName == "G" && arrPar.size() == 2) return RoutineOfG(arrPar[0].rValue, arrPar[1].rValue);
    return std::nullopt;
}

// Binds the routines of the bits set in iChoice; B is a built-in's name in one
// flavour, whose calls stay the built-in's.
template <class TScripted>
void BindRoutines(TScripted& Q, int iChoice) {
    Q.RoutinesAnswer = true;
    if (iChoice & 1) Q.BindFunction("f", RoutineOfF);
    if (iChoice & 2) Q.BindFunction("G", RoutineOfG);
    if (iChoice & 4) Q.BindFunction("b", RoutineOfF);
}

// For random texts and a random choice of bound names and routines: the handlers'
// answers, the bound values and routines through the program and through the tree
// walker must give the same logs.
template <class TScripted>
void ExpectBoundAsAnswered(uint64_t iDefaultCount, uint64_t iRandomSeed, const TTextNames& Names) {
    const uint64_t iCount = CountFromEnvironment(iDefaultCount);
    TRandomTokens Random(iRandomSeed);
    int iMismatches = 0;
    for (uint64_t i = 0; i < iCount && iMismatches < 5; ++i) {
        const std::string sText = TextOf(Random, Names);
        const bool bOptimize = (i & 1) != 0;
        std::vector<long double> Values;
        std::vector<std::string> Bound;  // a name, in any case, or empty when not bound
        for (const std::string& sName : Names.Bare) {
            Values.push_back(RandomInput(Random));
            Bound.push_back(Random.Chance(3) ? std::string() : AnyCase(Random, sName));
        }
        const int iRoutines = Random.Pick(8);
        const auto Outcome = [&](bool bWalk, bool bBind) {
            TScripted Q(bWalk, i);
            Q.KeepHandler = true;
            BindRoutines(Q, bBind ? iRoutines : 0);
            for (std::size_t k = 0; k < Values.size(); ++k) {
                Q.Fixed[Upper(Names.Bare[k])] = Values[k];
                if (bBind && !Bound[k].empty()) Q.Bind(Bound[k], &Values[k]);
            }
            return TwoCalcs(Q, sText, bOptimize);
        };
        const std::string sAnswered = Outcome(false, false);
        const std::string sBound = Outcome(false, true);
        const std::string sWalked = Outcome(true, true);
        if (sAnswered == sBound && sBound == sWalked) continue;
        ++iMismatches;
        ADD_FAILURE() << "text " << sText << " optimize " << bOptimize << " seed " << i << "\nanswered:\n"
                      << sAnswered << "bound:\n"
                      << sBound << "bound, walked:\n"
                      << sWalked;
    }
}

// What one row gave, as a line: value, whether Calc succeeded, first error, fault.
inline std::string RowLine(std::size_t iRow, long double rValue, const core::TRowStatus& Status) {
    return std::to_string(iRow) + ": " + Bits(rValue) + ' ' + std::to_string(Status.bOk) + ' ' +
           std::to_string(Status.iErrCode) + ' ' + std::to_string(static_cast<int>(Status.Fault)) + '\n';
}

// A Calc per row, each bound name rebound to its row's value first; stops at an
// exception that is no math failure, as CalcRows does.
template <class TScripted>
std::string RowsByCalc(TScripted& Q, const std::vector<std::string>& Bound,
                       const std::vector<std::vector<long double>>& Columns, std::size_t nRows) {
    std::string sRows;
    for (std::size_t iRow = 0; iRow < nRows; ++iRow) {
        for (std::size_t k = 0; k < Bound.size(); ++k)
            if (!Bound[k].empty()) Q.Bind(Bound[k], &Columns[k][iRow]);
        core::TRowStatus Status;
        long double rValue = 0;
        Q.FirstError = 0;
        try {
            Status.bOk = Q.Calc();
            rValue = Q.Value();
        } catch (const rtl::EOverflow&) {
            Status.Fault = core::TRowFault::Overflow;
        } catch (const rtl::EZeroDivide&) {
            Status.Fault = core::TRowFault::ZeroDivide;
        } catch (const rtl::EInvalidOp&) {
            Status.Fault = core::TRowFault::InvalidOp;
        } catch (const std::exception& Error) {
            return sRows + "exception " + typeid(Error).name() + '\n';
        }
        if (Status.Fault != core::TRowFault::None) Status.bOk = false;
        Status.iErrCode = Q.FirstError;
        sRows += RowLine(iRow, rValue, Status);
    }
    return sRows;
}

// CalcRows over the columns; the rows it wrote, then the exception that ended it.
template <class TScripted>
std::string RowsByCalcRows(TScripted& Q, const std::vector<std::string>& Bound,
                           const std::vector<std::vector<long double>>& Columns, std::size_t nRows) {
    for (std::size_t k = 0; k < Bound.size(); ++k)
        if (!Bound[k].empty()) Q.Bind(Bound[k], Columns[k].data());
    std::vector<long double> Results(nRows, 0);
    core::TRowStatus Unwritten;
    Unwritten.iErrCode = -1;
    std::vector<core::TRowStatus> Statuses(nRows, Unwritten);
    std::string sEnd;
    try {
        std::size_t nFailed = Q.CalcRows(nRows, Results, Statuses);
        for (const core::TRowStatus& Status : Statuses) nFailed -= Status.Failed() ? 1 : 0;
        if (nFailed != 0) sEnd = "wrong count of failed rows\n";
    } catch (const std::exception& Error) {
        sEnd = std::string("exception ") + typeid(Error).name() + '\n';
    }
    std::string sRows;
    for (std::size_t iRow = 0; iRow < nRows && Statuses[iRow].iErrCode != -1; ++iRow)
        sRows += RowLine(iRow, Results[iRow], Statuses[iRow]);
    return sRows + sEnd;
}

// For random texts and columns of random inputs: CalcRows gives what a Calc per row
// gives, with the same handler calls in the same order.
template <class TScripted>
void ExpectRowsAsCalcs(uint64_t iDefaultCount, uint64_t iRandomSeed, const TTextNames& Names) {
    const uint64_t iCount = CountFromEnvironment(iDefaultCount);
    TRandomTokens Random(iRandomSeed);
    int iMismatches = 0;
    for (uint64_t i = 0; i < iCount && iMismatches < 5; ++i) {
        const std::string sText = TextOf(Random, Names);
        // Mostly short runs, some over several blocks; inputs mostly ordinary.
        const std::size_t nRows =
            1 + static_cast<std::size_t>(Random.Chance(4) ? Random.Pick(400) : Random.Pick(8));
        std::vector<std::vector<long double>> Columns;
        std::vector<std::string> Bound;
        for (const std::string& sName : Names.Bare) {
            std::vector<long double>& Column = Columns.emplace_back();
            const bool bCalm = Random.Chance(2);
            for (std::size_t r = 0; r < nRows; ++r)
                Column.push_back(bCalm && !Random.Chance(50) ? 0.25L * Random.Pick(13) + 0.5L
                                                             : RandomInput(Random));
            Bound.push_back(Random.Chance(4) ? std::string() : AnyCase(Random, sName));
        }
        const int iRoutines = Random.Pick(8);
        const auto Outcome = [&](bool bRows) {
            TScripted Q(false, i);
            BindRoutines(Q, iRoutines);
            Q.SetOptimize((i & 1) != 0);
            Q.SetText(sText);
            const std::string sRows =
                bRows ? RowsByCalcRows(Q, Bound, Columns, nRows) : RowsByCalc(Q, Bound, Columns, nRows);
            return Q.Log + sRows;
        };
        const std::string sCalcs = Outcome(false);
        const std::string sRows = Outcome(true);
        if (sCalcs == sRows) continue;
        ++iMismatches;
        ADD_FAILURE() << "text " << sText << " rows " << nRows << " seed " << i << "\nCalc per row:\n"
                      << sCalcs << "CalcRows:\n"
                      << sRows;
    }
}

}  // namespace quorix::testing
