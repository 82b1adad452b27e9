#include <string>
#include <utility>
#include <vector>

#include "bench/Engines.hpp"
#include "bench/Inputs.hpp"
#include "bench/OurEngine.hpp"
#include "engine/core/Arithmetic.hpp"
#include "engine_vars/Quorix.hpp"
#include "framework/base/StringList.hpp"
#include "framework/math/Math.hpp"

namespace quorix::bench {

namespace {

// The variables flavour's handlers: the inputs, pi and the four functions.
TOnGetVariableEvent InputHandler() {
    return [](const std::string& sName, rtl::Extended& Result) {
        double rInput = 0;
        if (sName.size() == 1 && Inputs.Find(sName[0], rInput)) Result = rInput;
        else if (sName == "PI") Result = rtl::Pi;
    };
}

TOnGetFunctionEvent FunctionHandler() {
    return [](const std::string& sName, std::span<const rParam> arrPar, int ParCount, rtl::Extended& Result) {
        if (sName == "SIN" && ParCount == 1) Result = rtl::Sin(arrPar[0].rValue);
        else if (sName == "COS" && ParCount == 1) Result = rtl::Cos(arrPar[0].rValue);
        else if (sName == "LOG10" && ParCount == 1) Result = rtl::Log10(arrPar[0].rValue);
        else if (sName == "HYPOT" && ParCount == 2) Result = rtl::Hypot(arrPar[0].rValue, arrPar[1].rValue);
        else if (sName == "F")
            for (const rParam& Par : arrPar) Result += Par.rValue;
    };
}

class TFlavourB final : public TOurEngine<TQuorix> {
public:
    explicit TFlavourB(TInputWay Way) : TOurEngine(Way, std::size(BoundNames)) {
        rtl::TStringList Variables;
        for (const char* sName : {"a", "b", "c", "x", "y", "z", "w", "pi"}) Variables.Add(sName);
        rtl::TStringList Functions;
        for (const char* sName : {"sin", "cos", "log10", "hypot", "f"}) Functions.Add(sName);
        FParser.SetVariables(&Variables);
        FParser.SetFunctions(&Functions);
        FParser.SetOnGetVariable(InputHandler());
        // Bound inputs come with bound functions: the same routines, called directly.
        if (Way != TInputWay::Handlers) {
            FParser.BindFunction("sin", rtl::Sin);
            FParser.BindFunction("cos", rtl::Cos);
            FParser.BindFunction("log10", rtl::Log10);
            FParser.BindFunction("hypot", rtl::Hypot);
        }
        FParser.SetOnGetFunction(FunctionHandler());
    }
    TQuorix& Parser() { return FParser; }
};

// The handler calls alone. Parse has the flavour evaluate the text once through its
// handlers and notes every call (name and arguments, in order); Evaluate makes the
// same calls through the same handlers and reads each answer as the engine does, and
// evaluates nothing. What the handler column pays before any evaluation: no evaluator
// that calls these handlers can be quicker.
class THandlerCallsB final : public TEngine {
public:
    bool Parse(const std::string& sText) override {
        FCalls.clear();
        TFlavourB Recorder(TInputWay::Handlers);
        Recorder.Parser().SetOnGetVariable([this](const std::string& sName, rtl::Extended& Result) {
            FCalls.push_back({sName, {}, -1});
            FVariable(sName, Result);
        });
        Recorder.Parser().SetOnGetFunction([this](const std::string& sName, std::span<const rParam> arrPar,
                                                  int ParCount, rtl::Extended& Result) {
            TCall Call{sName, {}, ParCount};
            for (const rParam& Par : arrPar) Call.Params.push_back({Par.bIsString, Par.sValue, Par.rValue});
            FCalls.push_back(std::move(Call));
            FFunction(sName, arrPar, ParCount, Result);
        });
        double rValue = 0;
        return Recorder.Parse(sText) && Recorder.Evaluate(rValue);
    }
    bool Evaluate(double& rValue) override {
        double rSum = 0;  // a double: held across the calls, it goes through memory as one
        for (const TCall& Call : FCalls) {
            rtl::Extended rAnswer;
            core::ZeroInPlace(rAnswer);
            if (Call.iParCount < 0) FVariable(Call.sName, rAnswer);
            else FFunction(Call.sName, Call.Params, Call.iParCount, rAnswer);
            rSum += static_cast<double>(core::FiniteStored(rAnswer));
        }
        rValue = rSum;
        return true;
    }

private:
    struct TCall {
        std::string sName;
        std::vector<rParam> Params;
        int iParCount;  // -1 for a variable
    };
    const TOnGetVariableEvent FVariable = InputHandler();
    const TOnGetFunctionEvent FFunction = FunctionHandler();
    std::vector<TCall> FCalls;
};

}  // namespace

std::unique_ptr<TEngine> MakeFlavourB(TInputWay Way) {
    if (Way == TInputWay::HandlerCalls) return std::make_unique<THandlerCallsB>();
    return std::make_unique<TFlavourB>(Way);
}

}  // namespace quorix::bench
