// The surface of TEngine for either flavour of the engine, which share these calls.
#pragma once

#include <string>

#include "bench/Engines.hpp"

namespace quorix::bench {

template <class TParser>
class TOurEngine : public TEngine {
public:
    TOurEngine() : FParser(nullptr) {}
    bool Parse(const std::string& sText) override {
        // Through the empty text, so that the same text is parsed again.
        FParser.SetText(std::string());
        FParser.SetText(sText);
        return FParser.Parse();
    }
    bool Evaluate(double& rValue) override {
        const bool bOk = FParser.Calc();
        rValue = static_cast<double>(FParser.Value());
        return bOk;
    }

protected:
    TParser FParser;
};

}  // namespace quorix::bench
