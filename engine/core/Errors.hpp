// The error codes every flavour shares: those of the tree builder. Each flavour's own
// codes start from these (TQuorixError) and go on in its own numbering.
#pragma once

namespace quorix::core {

enum TBaseError : int {
    beOperand = 1,    // an operator lacks an operand, "()", two operands side by side
    beNoClosing = 2,  // "(" without ")"
    beNoOpening = 3,  // ")" without "("
};

}  // namespace quorix::core
