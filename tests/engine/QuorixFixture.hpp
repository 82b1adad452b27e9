// A TQuorix with f, g, max and X listed in Functions, recording every OnError call;
// the same component is the flavour the shared suites drive in this program.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <span>
#include <string>
#include <utility>

#include "engine/Quorix.hpp"
#include "tests/support/FlavourTest.hpp"
#include "tests/support/Lines.hpp"
#include "tests/support/ParseFailureSuites.hpp"

namespace quorix::testing {

struct THandlersFlavour {
    using TParser = TQuorix;
    static constexpr int iUnknownName = qeUnknownName;
    static constexpr int iOpenString = qeOpenString;
    static constexpr bool bOptimize = true;
    static std::span<const quorix_test::TParseFailure> OwnParseFailures() { return {}; }
    static constexpr const char* sOperand = "2";
    static constexpr const char* sInput = "f";
    static void Answer(TQuorix& Q, std::function<void(rtl::Extended&)> Handler) {
        Q.SetOnGetFunction([Handler = std::move(Handler)](const std::string&, std::span<const rParam>, int,
                                                          int&, rtl::Extended& Result) { Handler(Result); });
    }
    static void Prepare(TQuorix& Q) {
        for (const char* sName : {"f", "g", "max", "X"}) Q.Functions()->Add(sName);
    }
};

using QuorixTest = quorix_test::TFlavourTest<THandlersFlavour>;
using quorix_test::Lines;
using quorix_test::TReport;
using quorix_test::TReports;

}  // namespace quorix::testing
