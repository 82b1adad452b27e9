// What a handler may do to the component that is calling it, for both flavours. The
// flavour names an input (sInput) whose value its Answer handler gives.
#pragma once

#include <stdexcept>
#include <string>

#include "tests/support/FlavourTest.hpp"

namespace quorix_test {

template <class TFlavour>
class HandlerReentry : public TFlavourTest<TFlavour> {
protected:
    std::string Input(const char* sRest = "") { return std::string(TFlavour::sInput) + sRest; }
};
TYPED_TEST_SUITE_P(HandlerReentry);

TYPED_TEST_P(HandlerReentry, ACalcFromInsideAHandlerIsRefused) {
    bool bInner = true;
    TypeParam::Answer(this->Q, [&](rtl::Extended& Result) {
        bInner = this->Q.Calc();
        Result = 2;
    });
    this->Q.SetText(this->Input("+1"));
    EXPECT_TRUE(this->Q.Calc());
    EXPECT_FALSE(bInner);
    EXPECT_EQ(this->Q.Value(), 3);
}

TYPED_TEST_P(HandlerReentry, AutoParseAndAutoCalcEvaluateOnAssignmentOnce) {
    int iCalls = 0;
    TypeParam::Answer(this->Q, [&](rtl::Extended& Result) { Result = ++iCalls; });
    this->Q.SetAutoParse(true);
    this->Q.SetAutoCalc(true);
    this->Q.SetText(this->Input("*10"));
    EXPECT_EQ(this->Q.Value(), 10);
    EXPECT_EQ(iCalls, 1);
    this->Q.SetText(this->Input("*10"));  // the same text: nothing happens
    EXPECT_EQ(iCalls, 1);
    EXPECT_TRUE(this->Q.Calc());  // Calc's own Parse finds it parsed; AutoCalc is refused inside
    EXPECT_EQ(iCalls, 2);
    EXPECT_EQ(this->Q.Value(), 20);
}

TYPED_TEST_P(HandlerReentry, AHandlerThatReplacesItselfStaysAliveUntilItReturns) {
    const std::string sLong(100, 'v');  // captured by value: freed with the handler
    int iOld = 0, iNew = 0;
    TypeParam::Answer(this->Q, [this, &iOld, &iNew, sLong](rtl::Extended& Result) {
        ++iOld;
        TypeParam::Answer(this->Q, [&iNew](rtl::Extended& Inner) {
            ++iNew;
            Inner = 10;
        });
        Result = static_cast<rtl::Extended>(sLong.size());  // still readable after the swap
    });
    this->Q.SetText(this->Input("+") + this->Input());
    EXPECT_TRUE(this->Q.Calc());
    EXPECT_EQ(this->Q.Value(), 110);  // the second input already asks the new handler
    EXPECT_EQ(iOld, 1);
    EXPECT_EQ(iNew, 1);
}

TYPED_TEST_P(HandlerReentry, AnExceptionFromAHandlerPassesOutAndKeepsTheLastValue) {
    int iCalls = 0;
    TypeParam::Answer(this->Q, [&](rtl::Extended& Result) {
        if (++iCalls == 2) throw std::runtime_error("handler");
        Result = 7;
    });
    this->Q.SetText(this->Input());
    ASSERT_TRUE(this->Q.Calc());
    EXPECT_THROW(this->Q.Calc(), std::runtime_error);
    EXPECT_EQ(this->Q.Value(), 7);
    EXPECT_TRUE(this->Q.Calc());  // the guard is down again
}

REGISTER_TYPED_TEST_SUITE_P(HandlerReentry, ACalcFromInsideAHandlerIsRefused,
                            AutoParseAndAutoCalcEvaluateOnAssignmentOnce,
                            AHandlerThatReplacesItselfStaysAliveUntilItReturns,
                            AnExceptionFromAHandlerPassesOutAndKeepsTheLastValue);

}  // namespace quorix_test
