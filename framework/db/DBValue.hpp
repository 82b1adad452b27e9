// A field's raw value as SQLite stores it: null, integer, real, text or blob.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace rtl {

using TBlob = std::vector<std::uint8_t>;
using TFieldValue = std::variant<std::monostate, int64_t, double, std::string, TBlob>;

}  // namespace rtl
