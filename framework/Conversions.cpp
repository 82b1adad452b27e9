#include "framework/Conversions.hpp"
