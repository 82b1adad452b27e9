// The shared message table numbers this flavour's codes itself: each must name the
// condition its code stands for, in the same words as the other flavour.
#include <gtest/gtest.h>

#include <string>

#include "builtins/ErrorMessages.hpp"
#include "engine_vars/Quorix.hpp"

namespace quorix_vars_test {
namespace {

TEST(ErrorMessages, EachCodeOfThisFlavourHasTheWordsOfItsCondition) {
    const struct {
        int iErrCode;
        const char* sText;
    } Cases[] = {
        {quorix::qeOperand, "operator or operand missing"},
        {quorix::qeNoClosing, "missing closing parenthesis"},
        {quorix::qeNoOpening, "missing opening parenthesis"},
        {quorix::qeEmptyArguments, "empty argument list"},
        {quorix::qeNoArguments, "function without its argument list"},
        {quorix::qeUnknownName, "unknown name"},
        {quorix::qeOpenString, "unterminated string"},
        {quorix::qeDivisionByZero, "division by zero"},
        {quorix::qeTooDeep, "calls nested too deeply"},
        {101, "argument out of the function's domain"},
        {4, "unknown error"},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(std::string(quorix::VarsErrorMessage(Case.iErrCode)), Case.sText);
}

// The codes the other flavour numbers differently (its unknown name is 5, an open
// string 6, a division by zero 7) keep the words of their condition there.
TEST(ErrorMessages, TheOtherFlavourNumbersTheSameConditionsOtherwise) {
    EXPECT_STREQ(quorix::ErrorMessage(5), quorix::VarsErrorMessage(quorix::qeUnknownName));
    EXPECT_STREQ(quorix::ErrorMessage(6), quorix::VarsErrorMessage(quorix::qeOpenString));
    EXPECT_STREQ(quorix::ErrorMessage(7), quorix::VarsErrorMessage(quorix::qeDivisionByZero));
    EXPECT_STREQ(quorix::ErrorMessage(8), quorix::VarsErrorMessage(quorix::qeTooDeep));
    EXPECT_STREQ(quorix::ErrorMessage(42), "function failed");
}

}  // namespace
}  // namespace quorix_vars_test
