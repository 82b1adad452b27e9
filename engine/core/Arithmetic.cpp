#include "engine/core/Arithmetic.hpp"

#include "framework/Math.hpp"

namespace quorix::core {

rtl::Extended ApplyOperator(char cOperator, rtl::Extended rLeft, rtl::Extended rRight) {
    switch (cOperator) {
        case '+': return rtl::FiniteOrRaise(rLeft + rRight);
        case '-': return rtl::FiniteOrRaise(rLeft - rRight);
        case '*': return rtl::FiniteOrRaise(rLeft * rRight);
        case '/': return rtl::FiniteOrRaise(rLeft / rRight, rRight == 0);
        case '^': return rtl::Power(rLeft, rRight);
        default: rtl::RaiseInvalidOp();
    }
}

}  // namespace quorix::core
