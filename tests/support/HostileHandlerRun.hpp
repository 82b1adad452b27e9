// The hostile-handler run both flavours share: every act, committed by the handler
// a trigger calls first, in Parse and in Calc. Afterwards the component shows no
// parse that is not of its present text, no success without a finite value, and works
// normally again. The fixture F offers, publicly:
//   Q                          the component under test
//   Start(Trigger, Act)        arms the handler that Trigger calls with Act
//   Disarm()                   answering handlers that commit nothing
//   ExpectParseOfPresentText() and ExpectRecovery()
// A trigger has sWhere and sText; an act is a pair of its description and itself.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>

namespace quorix_test {

template <class TFixture, class TTriggers, class TActs>
void ExpectConsistentAfterEveryHostileAct(TFixture& F, const TTriggers& Triggers, const TActs& Acts) {
    for (const auto& Trigger : Triggers) {
        for (const auto& [sAct, Act] : Acts) {
            for (const bool bCalc : {false, true}) {
                SCOPED_TRACE(std::string("a handler called for ") + Trigger.sWhere + " " + sAct +
                             (bCalc ? " in Calc" : " in Parse"));
                F.Q.SetAutoParse(false);
                F.Q.SetText("");
                F.Start(Trigger, Act);
                F.Q.SetText(Trigger.sText);
                bool bResult = false;
                bool bRaised = false;
                try {
                    bResult = bCalc ? F.Q.Calc() : F.Q.Parse();
                } catch (const std::runtime_error&) {
                    bRaised = true;
                }
                if (bCalc && !bRaised) {
                    if (bResult) {
                        EXPECT_TRUE(std::isfinite(F.Q.Value()));
                        F.Disarm();
                        EXPECT_TRUE(F.Q.Calc());  // the tree that gave the result evaluates again
                    } else {
                        EXPECT_EQ(F.Q.Value(), 0);
                    }
                }
                F.ExpectParseOfPresentText();
                F.ExpectRecovery();
            }
        }
    }
}

}  // namespace quorix_test
