#include "bench/Engines.hpp"
#include "bench/Inputs.hpp"
#include "bench/OurEngine.hpp"
#include "builtins/ExtParser.hpp"

namespace quorix::bench {

namespace {

class TFlavourA final : public TOurEngine<TExtParser> {
public:
    explicit TFlavourA(TInputWay Way) : TOurEngine(Way, kInputNames) {
        for (const char* sName : {"a", "b", "c", "x", "y", "z", "w", "f"}) FParser.Functions()->Add(sName);
        // Inputs are functions without arguments; f adds its arguments.
        FParser.SetOnGetFunction([](const std::string& sName, std::span<const rParam> arrPar, int ParCount,
                                    int& iErrCode, rtl::Extended& Result) {
            double rInput = 0;
            if (ParCount == 0 && sName.size() == 1 && Inputs.Find(sName[0], rInput)) {
                Result = rInput;
            } else if (sName == "F") {
                for (const rParam& Par : arrPar) Result += Par.rValue;
            } else {
                iErrCode = 1;
            }
        });
    }
};

}  // namespace

std::unique_ptr<TEngine> MakeFlavourA(TInputWay Way) { return std::make_unique<TFlavourA>(Way); }

}  // namespace quorix::bench
