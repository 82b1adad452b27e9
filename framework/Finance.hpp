// Financial routines, following the usual spreadsheet conventions.
#pragma once

#include "framework/Types.hpp"

namespace rtl {

enum TPaymentTime { ptEndOfPeriod, ptStartOfPeriod };

}  // namespace rtl
