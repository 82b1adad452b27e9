// Version information blocks: the fixed file and product version numbers followed by
// string entries (file description, product name, ...), laid out as the classic
// version resource so that existing resource tools read it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace rtl {

struct TVersionNumber {
    uint16_t Major = 0, Minor = 0, Release = 0, Build = 0;
    std::string Text() const;  // "2.1.0.0"
    bool operator==(const TVersionNumber&) const = default;
};

struct TVersionInfo {
    TVersionNumber FileVersion;
    TVersionNumber ProductVersion;
    // Key and value pairs of the string table, such as {"ProductName", "Quorix"}.
    std::vector<std::pair<std::string, std::string>> Strings;
};

std::vector<uint8_t> BuildVersionInfo(const TVersionInfo& Info);
// Reads the fixed version numbers (the string table is not read back); raises
// EPackageError on a block that is not version information.
TVersionInfo ReadVersionInfo(std::span<const uint8_t> Block);

}  // namespace rtl
