// Evaluates expressions with a TExtParser and records what the engine reports.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "builtins/ExtParser.hpp"
#include "framework/math/Random.hpp"

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

// Argument lists of extreme values: every pair for the first two arguments; longer
// lists repeat one value, with and without a payment time at the end.
inline std::vector<std::string> ExtremeArgumentLists() {
    const std::vector<std::string> values{"0", "-0", "1", "-1", "1e-4000", "1e4000", "-1e4000", "3e9", "0.5"};
    std::vector<std::string> argumentLists;
    for (const std::string& a : values) {
        argumentLists.push_back(a);
        for (const std::string& b : values) argumentLists.push_back(a + ";" + b);
        std::string sRepeated = a + ";" + a;
        for (int iCount = 3; iCount <= 6; ++iCount) {
            argumentLists.push_back(sRepeated + ";'END'");
            sRepeated += ";" + a;
            argumentLists.push_back(sRepeated);
        }
    }
    return argumentLists;
}

}  // namespace quorix::testing
