// TEngineComponent::CalcRows: blocks of rows through the program's quick form where
// the text needs no handler, every other row (and every row of a block that meets an error) by a
// Calc of its own.
#include <algorithm>
#include <utility>

#include "engine/core/EngineComponent.hpp"
#include "engine/core/Program.hpp"
#include "engine/core/ScopeGuard.hpp"
#include "framework/base/Exceptions.hpp"

namespace quorix::core {

std::size_t TEngineComponent::CalcRows(std::size_t nRows, std::span<rtl::Extended> Results,
                                       std::span<TRowStatus> Statuses) {
    if (Results.size() < nRows || (!Statuses.empty() && Statuses.size() < nRows))
        throw rtl::Exception("CalcRows: fewer places for results or statuses than rows");
    // A handler may call CalcRows from inside another: leave the outer row as it was.
    const TScopeExit Restore([this, iRow = FRow, iRowError = FRowError] {
        FRow = iRow;
        FRowError = iRowError;
    });
    std::size_t nFailed = 0;
    for (std::size_t iRow = 0; iRow < nRows;) {
        const std::size_t nBlock = std::min(kBlockRows, nRows - iRow);
        const TBlockRun Run = CalcBlock(iRow, nBlock, Results.data() + iRow);
        if (Run == TBlockRun::Done) {
            if (!Statuses.empty())
                std::fill_n(Statuses.begin() + static_cast<std::ptrdiff_t>(iRow), nBlock, TRowStatus());
            iRow += nBlock;
            continue;
        }
        // A text still to parse is parsed by the first row's Calc; the rest of the
        // block may then go by columns.
        const std::size_t nSingle = Run == TBlockRun::NeedsParse ? 1 : nBlock;
        for (const std::size_t iEnd = iRow + nSingle; iRow < iEnd; ++iRow) {
            const TRowStatus Status = CalcRow(iRow, Results[iRow]);
            if (!Statuses.empty()) Statuses[iRow] = Status;
            nFailed += Status.Failed() ? 1 : 0;
        }
    }
    return nFailed;
}

// As Calc would for each row, but with nothing to report: no handler is called and
// any row that might report or raise sends the whole block back to CalcRow.
TEngineComponent::TBlockRun TEngineComponent::CalcBlock(std::size_t iFirst, std::size_t nRows,
                                                        rtl::Extended* pResults) {
    if (FInCalc) return TBlockRun::Refused;
    if (!FParsed || NeedsReparse()) return TBlockRun::NeedsParse;
    if (!FRoot) return TBlockRun::Refused;
    FInCalc = true;
    const TScopeExit CalcEnd([this] { FInCalc = false; });
    TProgram& Program = LinkedProgram();
    if (!Program.RunQuickRows(iFirst, nRows, pResults)) return TBlockRun::Refused;
    FValue = pResults[nRows - 1];
    return TBlockRun::Done;
}

TRowStatus TEngineComponent::CalcRow(std::size_t iRow, rtl::Extended& rResult) {
    TRowStatus Status;
    FRow = iRow;
    FRowError = 0;
    rResult = 0;
    try {
        Status.bOk = Calc();
        rResult = FValue;
    } catch (const rtl::EOverflow&) {
        Status.Fault = TRowFault::Overflow;
    } catch (const rtl::EZeroDivide&) {
        Status.Fault = TRowFault::ZeroDivide;
    } catch (const rtl::EInvalidOp&) {
        Status.Fault = TRowFault::InvalidOp;
    } catch (const rtl::EMathError&) {
        Status.Fault = TRowFault::OtherMath;
    }
    if (Status.Fault != TRowFault::None) Status.bOk = false;
    Status.iErrCode = FRowError;
    return Status;
}

}  // namespace quorix::core
