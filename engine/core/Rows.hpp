// What CalcRows reports for each row: what Calc would have reported had it evaluated
// that row alone.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quorix::core {

// The framework's math failure that Calc would have raised for a row (a result that
// is not finite, a negative base with a fractional exponent, ...). CalcRows catches
// these so that the other rows are still computed; other exceptions propagate.
enum class TRowFault : uint8_t { None, Overflow, ZeroDivide, InvalidOp, OtherMath };

struct TRowStatus {
    bool bOk = true;                    // what Calc returned (false when it raised)
    int iErrCode = 0;                   // the first code OnError got for the row; 0 for none
    TRowFault Fault = TRowFault::None;  // what Calc raised for the row
    // The row reported an error, or gave no value, or raised.
    bool Failed() const { return !bOk || iErrCode != 0 || Fault != TRowFault::None; }
};

// CalcRows evaluates handler-free rows in blocks of this many, testing the
// floating-point status once a block.
inline constexpr std::size_t kBlockRows = 128;

}  // namespace quorix::core
