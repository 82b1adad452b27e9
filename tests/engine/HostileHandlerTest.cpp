// The hostile-handler run of tests/support over the triggers and acts of
// the component with handlers and built-ins (the sanitizer run checks that nothing leaks or dangles).
#include <stdexcept>

#include "QuorixFixture.hpp"
#include "framework/base/Exceptions.hpp"
#include "framework/base/StringList.hpp"
#include "tests/support/HostileHandlerRun.hpp"

namespace quorix::testing {
namespace {

using rtl::Extended;
using TAct = quorix_test::THostileAct<TQuorix>;

// f adds 1 to the sum of its arguments, g multiplies them, bad fails with code 42;
// the built-in b doubles its argument.
void Answer(const std::string& sName, std::span<const rParam> arrPar, int& iErrCode, Extended& Result) {
    if (sName == "BAD") {
        iErrCode = 42;
        return;
    }
    Result = sName == "G" ? 1 : sName == "B" ? 0 : 1;
    for (const rParam& Par : arrPar) Result = sName == "G" ? Result * Par.rValue : Result + Par.rValue;
    if (sName == "B") Result *= 2;
}

class THost : public TQuorix {
public:
    explicit THost(rtl::TComponent* AOwner) : TQuorix(AOwner) { AddBuildInFun("b"); }
    std::function<void()> OnBuiltIn;

protected:
    void GetFunBuildIn(const std::string& sName, std::span<const rParam> arrPar, int, int& iErrCode,
                       Extended& Result) override {
        if (OnBuiltIn) std::exchange(OnBuiltIn, nullptr)();
        Answer(sName, arrPar, iErrCode, Result);
    }
};

enum class THook { Error, Function, BuiltIn };

struct TTrigger {
    const char* sWhere;
    THook Hook;
    const char* sText;
};

const TTrigger Triggers[] = {
    {"an unknown name", THook::Error, "1+y"},
    {"an open string", THook::Error, "f('a"},
    {"a missing operand", THook::Error, "2*(1+)"},
    {"an error inside an argument", THook::Error, "f(1;g(2;y))"},
    {"a division by zero", THook::Error, "2*(1/0)+f(1)"},
    {"a function's error code", THook::Error, "f(1)+bad(2)*g(3)"},
    {"a function call", THook::Function, "f(1)+g(f(2);3)"},
    {"a built-in call", THook::BuiltIn, "b(f(1))*b(2)"},
};

const rtl::TStringList Names{"f", "g", "bad"};

const auto Acts = quorix_test::HostileActs<TQuorix>(
    "f", "g",
    {
        {"changes the delimiter", [](TQuorix& Q) { Q.SetStringDelimiter('"'); }},
        {"changes the separator", [](TQuorix& Q) { Q.SetParSeparator(','); }},
        {"clears the functions", [](TQuorix& Q) { Q.Functions()->Clear(); }},
        {"assigns other functions",
         [](TQuorix& Q) {
             const rtl::TStringList Other{"h"};
             Q.SetFunctions(&Other);
         }},
        {"reads the views",
         [](TQuorix& Q) {
             Q.GetParsedText();
             Q.GetUsedFun();
             Q.IsFunctionUsed("f");
         }},
        {"drops the handlers",
         [](TQuorix& Q) {
             Q.SetOnError(nullptr);
             Q.SetOnGetFunction(nullptr);
         }},
        {"turns off Optimize", [](TQuorix& Q) { Q.SetOptimize(false); }},
    });

class HostileHandler : public ::testing::Test {
public:
    // Wires Q with answering handlers; the one on Hook commits Act at its first call.
    void Arm(THook Hook, const TAct& Act) {
        Q.SetFunctions(&Names);
        const auto Once = quorix_test::Once<TQuorix>(Q, Act);
        Q.SetOnError([Hook, Once](int, int) {
            if (Hook == THook::Error) Once();
        });
        Q.SetOnGetFunction([Hook, Once](const std::string& sName, std::span<const rParam> arrPar, int,
                                        int& iErrCode, Extended& Result) {
            if (Hook == THook::Function) Once();
            Answer(sName, arrPar, iErrCode, Result);
        });
        Q.OnBuiltIn = Hook == THook::BuiltIn ? std::function<void()>(Once) : nullptr;
    }

    void Start(const TTrigger& Trigger, const TAct& Act) { Arm(Trigger.Hook, Act); }
    void Disarm() { Arm(THook::Error, nullptr); }

    // What Q shows as its parse is a parse of its present text.
    void ExpectParseOfPresentText() {
        const std::string sShown = Q.GetParsedText();
        if (sShown.empty()) return;
        THost Fresh(nullptr);
        rtl::TStringList All;
        All.Assign(Names);
        for (int i = 0; i < Q.Functions()->Count(); ++i) All.Add(Q.Functions()->Strings(i));
        Fresh.SetFunctions(&All);
        Fresh.SetStringDelimiter(Q.StringDelimiter());
        Fresh.SetParSeparator(Q.ParSeparator());
        Fresh.SetText(Q.Text());
        ASSERT_TRUE(Fresh.Parse());
        EXPECT_EQ(Fresh.GetParsedText(), sShown);
    }

    // Back to ordinary settings: the component works as new.
    void ExpectRecovery() {
        Disarm();
        Q.SetAutoParse(false);
        Q.SetAutoCalc(false);
        Q.SetStringDelimiter('\'');
        Q.SetParSeparator(';');
        Q.SetText("b(f(2))*g(3;4)");
        ASSERT_TRUE(Q.Calc());
        EXPECT_EQ(Q.Value(), 72);
        EXPECT_EQ(Q.GetParsedText(), "b(f(2))*g(3;4)");
        EXPECT_EQ(Q.GetUsedFun()->Text(), "B\nF\nG\n");
    }

    THost Q{nullptr};
};

TEST_F(HostileHandler, LeavesTheComponentConsistentWhateverItDoesWhereverItIsCalled) {
    quorix_test::ExpectConsistentAfterEveryHostileAct(*this, Triggers, Acts);
}

// A handler that frees the component calling it is beyond any component's reach;
// one that frees a component it is not called by must leave the caller unharmed.
TEST_F(HostileHandler, MayFreeAnotherComponentThatTheCallerOwns) {
    auto* pOther = new THost(&Q);
    Arm(THook::Function, [&pOther](TQuorix&) { delete std::exchange(pOther, nullptr); });
    Q.SetText("f(1)+f(2)");
    EXPECT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 5);
    EXPECT_EQ(Q.ComponentCount(), 0);
}

}  // namespace
}  // namespace quorix::testing
