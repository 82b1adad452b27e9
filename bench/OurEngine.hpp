// The surface of TEngine for either flavour of the engine, which share these calls.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "bench/Engines.hpp"
#include "bench/Inputs.hpp"
#include "framework/base/Types.hpp"

namespace quorix::bench {

template <class TParser>
class TOurEngine : public TEngine {
public:
    // nBound: how many of BoundNames are inputs that the handlers answer, and so are
    // bound in the other ways (in TExtParser pi is its built-in constant throughout).
    TOurEngine(TInputWay Way, std::size_t nBound) : FParser(nullptr), FWay(Way) {
        if (Way == TInputWay::Rows) FColumns = std::make_unique<TInputColumns>();
        for (std::size_t k = 0; k < nBound; ++k)
            if (Way != TInputWay::Handlers)
                FParser.Bind(BoundNames[k],
                             Way == TInputWay::Rows ? FColumns->Columns[k].data() : &Inputs.Bound[k]);
        FResults.resize(TInputColumns::kRows);
    }
    bool Parse(const std::string& sText) override {
        // Through the empty text, so that the same text is parsed again.
        FParser.SetText(std::string());
        FParser.SetText(sText);
        return FParser.Parse();
    }
    bool Evaluate(double& rValue) override {
        if (FWay == TInputWay::Rows) {
            const bool bOk = FParser.CalcRows(FResults.size(), FResults) == 0;
            rValue = static_cast<double>(FResults.front());
            return bOk;
        }
        const bool bOk = FParser.Calc();
        rValue = static_cast<double>(FParser.Value());
        return bOk;
    }

protected:
    TParser FParser;

private:
    TInputWay FWay;
    std::unique_ptr<TInputColumns> FColumns;
    std::vector<rtl::Extended> FResults;
};

}  // namespace quorix::bench
