// A bridge to the engine flavour, which no file of this program may include
// together with the variables flavour.
#pragma once

#include <string>
#include <vector>

#include "framework/base/Types.hpp"

namespace quorix_vars_test {

struct FlavourOutcome {
    bool bCalculated = false;
    rtl::Extended rValue = 0;
    struct Report {
        int iPos;
        int iErrCode;
        bool operator==(const Report&) const = default;
    };
    std::vector<Report> Reports;
};

// Calc of sText by the engine flavour with F listed in Functions.
FlavourOutcome EvaluateWithEngineFlavour(const std::string& sText);

}  // namespace quorix_vars_test
