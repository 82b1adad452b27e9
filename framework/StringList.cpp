#include "framework/StringList.hpp"
