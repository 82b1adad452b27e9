// Evaluates expressions with a TExtParser and records what the engine reports.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "builtins/ExtParser.hpp"
#include "framework/Random.hpp"

namespace quorix::testing {

struct TEvaluation {
    bool bCalculated = false;
    rtl::Extended rValue = 0;
    std::vector<std::pair<int, int>> Errors;  // (position, code) in the order reported
};

// Calc on a fresh parser, with the random generator reset so that draws repeat.
inline TEvaluation Evaluate(const std::string& sText) {
    TExtParser parser(nullptr);
    TEvaluation result;
    parser.SetOnError([&result](int iPos, int iErrCode) { result.Errors.emplace_back(iPos, iErrCode); });
    parser.SetText(sText);
    rtl::RandSeed = 0;
    result.bCalculated = parser.Calc();
    result.rValue = parser.Value();
    return result;
}

}  // namespace quorix::testing
