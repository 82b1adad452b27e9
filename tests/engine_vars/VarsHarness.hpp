// A variables-flavour component wired to recording handlers: x is 3 (and every
// variable listed in Values), F sums its numeric arguments, G multiplies them.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "engine_vars/Quorix.hpp"
#include "framework/StringList.hpp"
#include "tests/support/Lines.hpp"

namespace quorix_vars_test {

using quorix::rParam;
using quorix::TQuorix;
using rtl::Extended;

struct Report {
    int iPos;
    int iErrCode;
    bool operator==(const Report&) const = default;
};

inline std::ostream& operator<<(std::ostream& Out, const Report& R) {
    return Out << "error " << R.iErrCode << " at " << R.iPos;
}

inline std::vector<Report> Only(int iPos, int iErrCode) { return {Report{iPos, iErrCode}}; }

struct Call {
    std::string sName;
    std::vector<rParam> arrPar;
};

// Opens the tree to the tests that inspect its nodes.
class TTestQuorix : public TQuorix {
public:
    using TQuorix::TQuorix;
    using TQuorix::Root;
};

class VarsHarness {
public:
    std::unique_ptr<TTestQuorix> Parser = std::make_unique<TTestQuorix>(nullptr);
    std::vector<Report> Reports;
    std::vector<Call> Calls;               // OnGetFunction, in call order
    std::vector<std::string> VarRequests;  // OnGetVariable, in call order
    std::map<std::string, Extended> Values{{"X", 3}};

    VarsHarness() {
        const rtl::TStringList Functions{"F", "G"};
        const rtl::TStringList Variables{"x"};
        Parser->SetFunctions(&Functions);
        Parser->SetVariables(&Variables);
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
        if (List == Parser->Functions())
            Parser->SetFunctions(&Copy);
        else
            Parser->SetVariables(&Copy);
    }
};

using quorix_test::Lines;

}  // namespace quorix_vars_test
