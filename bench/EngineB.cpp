#include "bench/Engines.hpp"
#include "bench/Inputs.hpp"
#include "bench/OurEngine.hpp"
#include "engine_vars/Quorix.hpp"
#include "framework/base/StringList.hpp"
#include "framework/math/Math.hpp"

namespace quorix::bench {

namespace {

class TFlavourB final : public TOurEngine<TQuorix> {
public:
    explicit TFlavourB(TInputWay Way) : TOurEngine(Way, std::size(BoundNames)) {
        rtl::TStringList Variables;
        for (const char* sName : {"a", "b", "c", "x", "y", "z", "w", "pi"}) Variables.Add(sName);
        rtl::TStringList Functions;
        for (const char* sName : {"sin", "cos", "log10", "hypot", "f"}) Functions.Add(sName);
        FParser.SetVariables(&Variables);
        FParser.SetFunctions(&Functions);
        FParser.SetOnGetVariable([](const std::string& sName, rtl::Extended& Result) {
            double rInput = 0;
            if (sName.size() == 1 && Inputs.Find(sName[0], rInput)) Result = rInput;
            else if (sName == "PI") Result = rtl::Pi;
        });
        // Bound inputs come with bound functions: the same routines, called directly.
        if (Way != TInputWay::Handlers) {
            FParser.BindFunction("sin", rtl::Sin);
            FParser.BindFunction("cos", rtl::Cos);
            FParser.BindFunction("log10", rtl::Log10);
            FParser.BindFunction("hypot", rtl::Hypot);
        }
        FParser.SetOnGetFunction([](const std::string& sName, std::span<const rParam> arrPar, int ParCount,
                                    rtl::Extended& Result) {
            if (sName == "SIN" && ParCount == 1) Result = rtl::Sin(arrPar[0].rValue);
            else if (sName == "COS" && ParCount == 1) Result = rtl::Cos(arrPar[0].rValue);
            else if (sName == "LOG10" && ParCount == 1) Result = rtl::Log10(arrPar[0].rValue);
            else if (sName == "HYPOT" && ParCount == 2)
                Result = rtl::Hypot(arrPar[0].rValue, arrPar[1].rValue);
            else if (sName == "F")
                for (const rParam& Par : arrPar) Result += Par.rValue;
        });
    }
};

}  // namespace

std::unique_ptr<TEngine> MakeFlavourB(TInputWay Way) { return std::make_unique<TFlavourB>(Way); }

}  // namespace quorix::bench
