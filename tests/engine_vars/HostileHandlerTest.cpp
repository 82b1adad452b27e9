// The hostile-handler run of tests/support over the triggers and acts of
// the variables flavour (the sanitizer run checks that nothing leaks or dangles).
#include <stdexcept>

#include "VarsHarness.hpp"
#include "tests/support/HostileHandlerRun.hpp"

namespace quorix_vars_test {
namespace {

using TAct = quorix_test::THostileAct<TQuorix>;

enum class THook { Error, Function, Variable };

struct TTrigger {
    const char* sWhere;
    THook Hook;
    const char* sText;
    bool bOptimize;
};

const TTrigger Triggers[] = {
    {"an unknown name", THook::Error, "1+y", false},
    {"a function without arguments", THook::Error, "F+1", false},
    {"an open string", THook::Error, "F('a", false},
    {"a missing operand", THook::Error, "2*(1+)", false},
    {"an error inside an argument", THook::Error, "F(1;G(2;y))", false},
    {"a folded division by zero", THook::Error, "2*(1/0)+F(x)", true},
    {"a division by zero", THook::Error, "2*(1/0)+F(x)", false},
    {"a function call", THook::Function, "F(1)+G(F(2);x)", false},
    {"a variable", THook::Variable, "x*F(G(x;2))", false},
};

const auto Acts = quorix_test::HostileActs<TQuorix>(
    "F", "G",
    {
        {"clears the functions", [](TQuorix& Q) { Q.SetFunctions(nullptr); }},
        {"clears the variables", [](TQuorix& Q) { Q.SetVariables(nullptr); }},
        {"reads the views",
         [](TQuorix& Q) {
             Q.GetParsedText();
             Q.GetUsedFun();
             Q.IsVariableUsed("x");
         }},
        {"drops the handlers",
         [](TQuorix& Q) {
             Q.SetOnError(nullptr);
             Q.SetOnGetFunction(nullptr);
             Q.SetOnGetVariable(nullptr);
         }},
        {"turns Optimize over", [](TQuorix& Q) { Q.SetOptimize(!Q.Optimize()); }},
    });

class HostileHandler : public ::testing::Test {
public:
    // Wires Q with answering handlers (x is 3, F sums, G multiplies); the one on Hook
    // commits Act at its first call.
    void Arm(THook Hook, const TAct& Act) {
        const rtl::TStringList Functions{"F", "G"};
        const rtl::TStringList Variables{"x"};
        Q.SetFunctions(&Functions);
        Q.SetVariables(&Variables);
        const auto Once = quorix_test::Once<TQuorix>(Q, Act);
        Q.SetOnError([Hook, Once](int, int) {
            if (Hook == THook::Error) Once();
        });
        Q.SetOnGetFunction(
            [Hook, Once](const std::string& sName, std::span<const rParam> arrPar, int, Extended& Result) {
                if (Hook == THook::Function) Once();
                Result = sName == "G" ? 1 : 0;
                for (const rParam& Par : arrPar)
                    Result = sName == "G" ? Result * Par.rValue : Result + Par.rValue;
            });
        Q.SetOnGetVariable([Hook, Once](const std::string&, Extended& Result) {
            if (Hook == THook::Variable) Once();
            Result = 3;
        });
    }

    void Start(const TTrigger& Trigger, const TAct& Act) {
        Q.SetOptimize(Trigger.bOptimize);
        Arm(Trigger.Hook, Act);
    }
    void Disarm() { Arm(THook::Error, nullptr); }

    // What Q shows as its parse is a parse of its present text.
    void ExpectParseOfPresentText() {
        const std::string sShown = Q.GetParsedText();
        if (sShown.empty()) return;
        VarsHarness Fresh;
        Fresh.Parser->SetText(Q.Text());
        ASSERT_TRUE(Fresh.Parser->Parse());
        EXPECT_EQ(Fresh.Parser->GetParsedText(), sShown);
    }

    void ExpectRecovery() {
        Disarm();
        Q.SetAutoParse(false);
        Q.SetAutoCalc(false);
        Q.SetText("F(x;2)*G(3;4)");
        ASSERT_TRUE(Q.Calc());
        EXPECT_EQ(Q.Value(), 60);
        EXPECT_EQ(Q.GetParsedText(), "F(x;2)*G(3;4)");
        EXPECT_EQ(Lines(Q.GetUsedVar()), std::vector<std::string>{"X"});
    }

    TQuorix Q{nullptr};
};

TEST_F(HostileHandler, LeavesTheComponentConsistentWhateverItDoesWhereverItIsCalled) {
    quorix_test::ExpectConsistentAfterEveryHostileAct(*this, Triggers, Acts);
}

}  // namespace
}  // namespace quorix_vars_test
