#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/base/Properties.hpp"
#include "tests/builtins/ExtParserTestSupport.hpp"

using quorix::rParam;
using quorix::TExtParser;
using quorix::testing::Evaluate;

namespace {

// Opens the hooks that only subclasses reach.
class TOpenExtParser : public TExtParser {
public:
    TOpenExtParser() : TExtParser(nullptr) {}
    using TExtParser::AddBuildInFun;
    using TExtParser::GetFunBuildIn;
    using TExtParser::IsFunBuildIn;
};

rParam Number(rtl::Extended rValue) { return {false, "", rValue, nullptr}; }
rParam Text(const std::string& sValue) { return {true, sValue, 0, nullptr}; }

}  // namespace

TEST(ExtParserDispatch, RegistersTheFunctionsInTheirOrder) {
    const std::vector<std::string> kNames{"ArcCos",
                                          "ArcSin",
                                          "ArcTan2",
                                          "Sin",
                                          "Cos",
                                          "Tan",
                                          "Cotan",
                                          "Hypot",
                                          "DegToRad",
                                          "RadToDeg",
                                          "GradToRad",
                                          "RadToGrad",
                                          "CycleToRad",
                                          "RadToCycle",
                                          "Cosh",
                                          "Sinh",
                                          "Tanh",
                                          "ArcCosh",
                                          "ArcSinh",
                                          "ArcTanh",
                                          "LnXP1",
                                          "Log10",
                                          "Log2",
                                          "LogN",
                                          "Power",
                                          "Ceil",
                                          "Floor",
                                          "Poly",
                                          "Mean",
                                          "Sum",
                                          "SumOfSquares",
                                          "MinValue",
                                          "MaxValue",
                                          "StdDev",
                                          "PopnStdDev",
                                          "Variance",
                                          "PopnVariance",
                                          "TotalVariance",
                                          "Norm",
                                          "RandG",
                                          "DoubleDecliningBalance",
                                          "FutureValue",
                                          "InterestPayment",
                                          "InterestRate",
                                          "InternalRateOfReturn",
                                          "NumberOfPeriods",
                                          "NetPresentValue",
                                          "Payment",
                                          "PeriodPayment",
                                          "PresentValue",
                                          "SLNDepreciation",
                                          "SYDDepreciation",
                                          "Pi",
                                          "Random"};
    std::vector<std::string> registered;
    for (const auto& signature : TExtParser::BuiltInSignatures()) registered.push_back(signature.sName);
    EXPECT_EQ(registered, kNames);
    TOpenExtParser parser;
    for (const std::string& sName : kNames) EXPECT_TRUE(parser.IsFunBuildIn(sName)) << sName;
    EXPECT_FALSE(parser.IsFunBuildIn("Exp"));
}

TEST(ExtParserDispatch, ArgumentTestsFollowTheKindOfEachArgument) {
    struct {
        rParam Param;
        bool bString, bInteger, bPaymentTime;
    } const kCases[] = {
        {Number(3), false, true, false},      {Number(-3), false, true, false},
        {Number(1e10L), false, true, false},  {Number(0), false, true, false},
        {Number(2.5L), false, false, false},  {Number(-1e-30L), false, false, false},
        {Text("3"), true, false, false},      {Text("END"), true, false, true},
        {Text("end"), true, false, true},     {Text("Start"), true, false, true},
        {Text(" END"), true, false, false},   {Text("END "), true, false, false},
        {Text("MIDDLE"), true, false, false}, {Text(""), true, false, false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.Param.bIsString ? "'" + c.Param.sValue + "'" : std::to_string(double(c.Param.rValue)));
        EXPECT_EQ(TExtParser::IsString(c.Param), c.bString);
        EXPECT_EQ(TExtParser::IsInteger(c.Param), c.bInteger);
        EXPECT_EQ(TExtParser::IsPaymentTime(c.Param), c.bPaymentTime);
    }
    EXPECT_EQ(TExtParser::GetPayment(Text("end")), rtl::ptEndOfPeriod);
    EXPECT_EQ(TExtParser::GetPayment(Text("START")), rtl::ptStartOfPeriod);
}

TEST(ExtParserDispatch, AFailedCallLeavesTheResultAtZero) {
    TOpenExtParser parser;
    const std::vector<rParam> arguments{Number(2)};
    int iErrCode = 0;
    rtl::Extended rResult = 42;
    parser.GetFunBuildIn("ARCCOS", arguments, 1, iErrCode, rResult);
    EXPECT_EQ(iErrCode, 101);
    EXPECT_EQ(rResult, 0);
}

TEST(ExtParserDispatch, CountsWithTheCountItIsGiven) {
    TOpenExtParser parser;
    const std::vector<rParam> arguments{Number(0.5L), Number(3)};
    int iErrCode = 0;
    rtl::Extended rResult = 0;
    parser.GetFunBuildIn("ARCCOS", arguments, 1, iErrCode, rResult);
    EXPECT_EQ(iErrCode, 0);
    EXPECT_NE(rResult, 0);
    // A count beyond the array reads nothing beyond it.
    iErrCode = 0;
    parser.GetFunBuildIn("SUM", arguments, 5, iErrCode, rResult);
    EXPECT_EQ(iErrCode, 0);
    EXPECT_EQ(rResult, 3.5L);
}

TEST(ExtParserDispatch, KnowsItsNamesOnlyInUpperCase) {
    TOpenExtParser parser;
    const std::vector<rParam> arguments{Number(1)};
    int iErrCode = 0;
    rtl::Extended rResult = 42;
    parser.GetFunBuildIn("Sin", arguments, 1, iErrCode, rResult);
    EXPECT_EQ(iErrCode, 0);
    EXPECT_EQ(rResult, 0);
}

TEST(ExtParserDispatch, AFunctionAddedBeyondTheLibraryEvaluatesToZero) {
    TOpenExtParser parser;
    parser.AddBuildInFun("Extra");
    std::vector<std::pair<int, int>> errors;
    parser.SetOnError([&errors](int iPos, int iErrCode) { errors.emplace_back(iPos, iErrCode); });
    parser.SetText("Extra(1;'a')+1");
    ASSERT_TRUE(parser.Calc());
    EXPECT_EQ(parser.Value(), 1);
    EXPECT_TRUE(errors.empty());
}

TEST(ExtParserDispatch, BuiltInsAreNotHandedToTheApplicationsHandler) {
    TExtParser parser(nullptr);
    bool bAsked = false;
    parser.SetOnGetFunction(
        [&bAsked](const std::string&, std::span<const rParam>, int, int&, rtl::Extended& Result) {
            bAsked = true;
            Result = 99;
        });
    parser.SetText("Sqr(1)+Hypot(3;4)");
    parser.Functions()->Add("Sqr");
    ASSERT_TRUE(parser.Calc());
    EXPECT_TRUE(bAsked);
    EXPECT_EQ(parser.Value(), 104);
}

TEST(ExtParserDispatch, IsAStoredClassThatPublishesWhatTheEnginePublishes) {
    const rtl::TClassInfo* pInfo = rtl::FindClass("TExtParser");
    ASSERT_NE(pInfo, nullptr);
    EXPECT_TRUE(pInfo->Properties.empty());
    EXPECT_EQ(pInfo->Parent, &quorix::TQuorix::StaticClassInfo());
    std::unique_ptr<rtl::TComponent> pCreated(pInfo->Create(nullptr));
    EXPECT_NE(dynamic_cast<TExtParser*>(pCreated.get()), nullptr);
}
