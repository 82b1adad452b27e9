#include "framework/Math.hpp"
