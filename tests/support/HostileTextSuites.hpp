// Texts that fuzzing found mishandled, and texts of mebibytes, kept for both flavours.
#pragma once

#include <string>

#include "tests/support/FlavourTest.hpp"
#include "tests/support/LargeText.hpp"

namespace quorix_test {

template <class TFlavour>
class HostileText : public TFlavourTest<TFlavour> {};
TYPED_TEST_SUITE_P(HostileText);

TYPED_TEST_P(HostileText, AStrayClosingParenthesisAtTheStartIsNeverAnOperand) {
    const std::string sOperandFirst = std::string(")+") + TypeParam::sOperand + "*(3)";
    for (const std::string& sText :
         {std::string(")^7"), std::string(")^7^801e40"), sOperandFirst, std::string(")^(1)")}) {
        SCOPED_TRACE(sText);
        EXPECT_FALSE(this->ParseText(sText));
        EXPECT_EQ(this->Reports, Only(0, 3));
        EXPECT_EQ(this->Q.GetParsedText(), "");
    }
}

REGISTER_TYPED_TEST_SUITE_P(HostileText, AStrayClosingParenthesisAtTheStartIsNeverAnOperand);

template <class TFlavour>
class LargeInput : public TFlavourTest<TFlavour> {};
TYPED_TEST_SUITE_P(LargeInput);

TYPED_TEST_P(LargeInput, AnUnknownNameAtTheEndOfALongChainIsReportedThere) {
    const std::string sText = quorix::testing::Repeated("1", "+", 2 * quorix::testing::MiB) + "+y";
    this->Q.SetText(sText);
    EXPECT_FALSE(this->Q.Calc());
    EXPECT_EQ(this->Reports, Only(static_cast<int>(sText.size()) - 1, TypeParam::iUnknownName));
}

REGISTER_TYPED_TEST_SUITE_P(LargeInput, AnUnknownNameAtTheEndOfALongChainIsReportedThere);

}  // namespace quorix_test
