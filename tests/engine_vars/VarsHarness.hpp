// A variables-flavour component wired to recording handlers: x is 3 (and every
// variable listed in Values), F sums its numeric arguments, G multiplies them.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "engine_vars/Quorix.hpp"
#include "framework/base/StringList.hpp"
#include "tests/support/Lines.hpp"
#include "tests/support/ParseFailureSuites.hpp"
#include "tests/support/Reports.hpp"

namespace quorix_vars_test {

using quorix::rParam;
using quorix::TQuorix;
using rtl::Extended;

using Report = quorix_test::TReport;
using quorix_test::Only;

struct Call {
    std::string sName;
    std::vector<rParam> arrPar;
};

// Opens the tree to the tests that inspect its nodes.
class TTestQuorix : public TQuorix {
public:
    using TQuorix::Root;
    using TQuorix::TQuorix;
};

// The component as the shared suites drive it: F and G listed as functions, x as a
// variable.
struct TVarsFlavour {
    using TParser = TQuorix;
    static constexpr int iUnknownName = quorix::qeUnknownName;
    static constexpr int iOpenString = quorix::qeOpenString;
    static constexpr bool bOptimize = false;
    // What this flavour refuses and the other takes.
    static std::span<const quorix_test::TParseFailure> OwnParseFailures() {
        static constexpr quorix_test::TParseFailure Own[] = {
            {"F()", 1, quorix::qeEmptyArguments},  // at the "("
            {"x+G()", 3, quorix::qeEmptyArguments}, {"F", 0, quorix::qeNoArguments},
            {"F+1", 0, quorix::qeNoArguments},      {"2*G", 2, quorix::qeNoArguments},
            {"x(1)", 0, quorix::qeOperand},  // a variable before a group: two operands side by side
        };
        return Own;
    }
    static constexpr const char* sOperand = "x";
    static constexpr const char* sInput = "x";
    static void Answer(TQuorix& Q, std::function<void(Extended&)> Handler) {
        Q.SetOnGetVariable(
            [Handler = std::move(Handler)](const std::string&, Extended& Result) { Handler(Result); });
    }
    static void Prepare(TQuorix& Q) {
        const rtl::TStringList Functions{"F", "G"};
        const rtl::TStringList Variables{"x"};
        Q.SetFunctions(&Functions);
        Q.SetVariables(&Variables);
    }
};

class VarsHarness {
public:
    std::unique_ptr<TTestQuorix> Parser = std::make_unique<TTestQuorix>(nullptr);
    std::vector<Report> Reports;
    std::vector<Call> Calls;               // OnGetFunction, in call order
    std::vector<std::string> VarRequests;  // OnGetVariable, in call order
    std::map<std::string, Extended> Values{{"X", 3}};

    VarsHarness() {
        TVarsFlavour::Prepare(*Parser);
        Parser->SetOnError([this](int iPos, int iErrCode) { Reports.push_back({iPos, iErrCode}); });
        Parser->SetOnGetVariable([this](const std::string& sName, Extended& Result) {
            VarRequests.push_back(sName);
            if (auto It = Values.find(sName); It != Values.end()) Result = It->second;
        });
        Parser->SetOnGetFunction(
            [this](const std::string& sName, std::span<const rParam> arrPar, int ParCount, Extended& Result) {
                EXPECT_EQ(static_cast<int>(arrPar.size()), ParCount);
                Calls.push_back({sName, {arrPar.begin(), arrPar.end()}});
                Result = sName == "G" ? 1 : 0;
                for (const rParam& Par : arrPar) {
                    if (Par.bIsString) continue;
                    Result = sName == "G" ? Result * Par.rValue : Result + Par.rValue;
                }
            });
    }

    // Assigns the text and evaluates it; the reports of both steps are kept.
    bool CalcText(const std::string& sText) {
        Parser->SetText(sText);
        return Parser->Calc();
    }

    void AddNames(rtl::TStrings* List, std::initializer_list<std::string> Names) {
        rtl::TStringList Copy;
        Copy.Assign(*List);
        for (const std::string& sName : Names) Copy.Add(sName);
        if (List == Parser->Functions()) Parser->SetFunctions(&Copy);
        else Parser->SetVariables(&Copy);
    }
};

using quorix_test::Lines;

}  // namespace quorix_vars_test
