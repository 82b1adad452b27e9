// What OnError handed over, one record a call, so that assertions can compare a
// whole run's reports with a list.
#pragma once

#include <ostream>
#include <vector>

namespace quorix_test {

struct TReport {
    int iPos;
    int iErrCode;
    bool operator==(const TReport&) const = default;
};

using TReports = std::vector<TReport>;

inline void PrintTo(const TReport& Report, std::ostream* Out) {
    *Out << "code " << Report.iErrCode << " at " << Report.iPos;
}

inline TReports Only(int iPos, int iErrCode) { return {TReport{iPos, iErrCode}}; }

}  // namespace quorix_test
