#include "framework/Finance.hpp"
