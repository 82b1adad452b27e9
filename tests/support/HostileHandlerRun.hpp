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
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace quorix_test {

template <class TParser>
using THostileAct = std::function<void(TParser&)>;

template <class TParser>
using THostileActs = std::vector<std::pair<const char*, THostileAct<TParser>>>;

// The acts every flavour's handlers commit, then the flavour's Own. sF and sG name
// functions the flavour answers.
template <class TParser>
THostileActs<TParser> HostileActs(const std::string& sF, const std::string& sG,
                                  const THostileActs<TParser>& Own) {
    THostileActs<TParser> Acts = {
        {"assigns a new text", [sG](TParser& Q) { Q.SetText(sG + "(2;3)"); }},
        {"assigns the same text", [](TParser& Q) { Q.SetText(std::string(Q.Text())); }},
        {"parses a new text",
         [sF](TParser& Q) {
             Q.SetText(sF + "(5)");
             Q.Parse();
         }},
        {"parses again", [](TParser& Q) { Q.Parse(); }},
        {"calculates again", [](TParser& Q) { EXPECT_FALSE(Q.Calc()); }},
        {"turns on AutoParse and AutoCalc",
         [](TParser& Q) {
             Q.SetAutoParse(true);
             Q.SetAutoCalc(true);
             Q.SetText("7");
         }},
        {"raises", [](TParser&) { throw std::runtime_error("handler failed"); }},
    };
    Acts.insert(Acts.end(), Own.begin(), Own.end());
    return Acts;
}

// A call of the returned function commits Act on Q, the first call only.
template <class TParser>
std::function<void()> Once(TParser& Q, const THostileAct<TParser>& Act) {
    const auto pPending = std::make_shared<THostileAct<TParser>>(Act);
    return [&Q, pPending] {
        if (*pPending) std::exchange(*pPending, nullptr)(Q);
    };
}

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
