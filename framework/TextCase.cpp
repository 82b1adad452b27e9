#include "framework/TextCase.hpp"
