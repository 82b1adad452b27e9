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

// How one of our engines takes its inputs.
enum class TInputWay {
    Handlers,  // through its handlers, as Inputs says
    Bound,     // bound to Inputs.Bound
    Rows,      // Evaluate runs CalcRows over a TInputColumns, giving the last row
    // Evaluate makes only the handler calls that an evaluation through the handlers
    // makes (variables flavour only): their cost, the handler column's floor.
    HandlerCalls,
};

std::unique_ptr<TEngine> MakeFlavourA(TInputWay Way);  // TExtParser; handler: OnGetFunction
std::unique_ptr<TEngine> MakeFlavourB(TInputWay Way);  // variables flavour; handler: OnGetVariable
std::unique_ptr<TEngine> MakePeer();                   // muparser; inputs read from its variables

// Allocation accounting of the benchmark program (it replaces operator new).
std::size_t LiveBytes();
std::size_t PeakBytes();
void ResetPeakBytes();

}  // namespace quorix::bench
