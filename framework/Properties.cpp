#include "framework/Properties.hpp"
