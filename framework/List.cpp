#include "framework/List.hpp"
