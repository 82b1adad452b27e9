#include "framework/Random.hpp"
