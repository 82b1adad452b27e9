#include "framework/Streaming.hpp"
