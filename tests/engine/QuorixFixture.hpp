// A TQuorix with f, g, max and X listed in Functions, recording every OnError call.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/Quorix.hpp"
#include "tests/support/Lines.hpp"

namespace quorix::testing {

struct TReport {
    int iPos;
    int iErrCode;
    bool operator==(const TReport&) const = default;
};

using TReports = std::vector<TReport>;

inline void PrintTo(const TReport& Report, std::ostream* Out) {
    *Out << "code " << Report.iErrCode << " at " << Report.iPos;
}

using quorix_test::Lines;

class QuorixTest : public ::testing::Test {
protected:
    QuorixTest() {
        for (const char* sName : {"f", "g", "max", "X"}) Q.Functions()->Add(sName);
        Q.SetOnError([this](int iPos, int iErrCode) { Reports.push_back({iPos, iErrCode}); });
    }

    // Parses sText afresh and returns whether it parsed.
    bool ParseText(const std::string& sText) {
        Q.SetText(sText);
        Reports.clear();
        return Q.Parse();
    }

    TQuorix Q{nullptr};
    TReports Reports;
};

}  // namespace quorix::testing
