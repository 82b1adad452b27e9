// The engines under measurement, each behind the same small surface so that one set
// of benchmark loops drives all of them. Each lives in its own translation unit: the
// two flavours of the engine declare classes of the same name.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace quorix::bench {

class TEngine {
public:
    virtual ~TEngine() = default;
    // Parses sText afresh (also when it is the text parsed last); false on an error.
    virtual bool Parse(const std::string& sText) = 0;
    // Evaluates the text parsed last with the present inputs; false on an error.
    virtual bool Evaluate(double& rValue) = 0;
};

std::unique_ptr<TEngine> MakeFlavourA();  // TExtParser; inputs through OnGetFunction
std::unique_ptr<TEngine> MakeFlavourB();  // variables flavour; inputs through OnGetVariable
std::unique_ptr<TEngine> MakePeer();      // muparser; inputs read from its variables

// Allocation accounting of the benchmark program (it replaces operator new).
std::size_t LiveBytes();
std::size_t PeakBytes();
void ResetPeakBytes();

}  // namespace quorix::bench
