// A fixture over either engine flavour, for the suites both share. A flavour is a
// struct naming its component and what differs between the two:
//   using TParser = ...;                    the flavour's quorix::TQuorix
//   static void Prepare(TParser&);          lists the names the shared texts use
//   static constexpr int iUnknownName;      the code of a name nobody answers
//   static constexpr const char* sOperand;  a name or number every text may hold
// Each folder's program instantiates the shared suites with its own flavour: the two
// components never meet in one translation unit.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/support/Reports.hpp"

namespace quorix_test {

template <class TFlavour>
class TFlavourTest : public ::testing::Test {
protected:
    TFlavourTest() {
        TFlavour::Prepare(Q);
        Q.SetOnError([this](int iPos, int iErrCode) { Reports.push_back({iPos, iErrCode}); });
    }

    // Parses sText afresh and returns whether it parsed.
    bool ParseText(const std::string& sText) {
        Q.SetText(sText);
        Reports.clear();
        return Q.Parse();
    }

    typename TFlavour::TParser Q{nullptr};
    TReports Reports;
};

}  // namespace quorix_test
