#include "framework/Component.hpp"
