#include "tests/math/ExtendedBits.hpp"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace quorix::mathcheck {

// The x87 format in memory (little-endian): 8 bytes of significand, then 2 of sign and
// exponent; the rest of the long double is padding.
static_assert(sizeof(rtl::Extended) >= 10);

std::string BitsText(rtl::Extended X) {
    uint64_t iSignificand = 0;
    uint16_t iSignExponent = 0;
    const auto* pBytes = reinterpret_cast<const unsigned char*>(&X);
    std::memcpy(&iSignificand, pBytes, 8);
    std::memcpy(&iSignExponent, pBytes + 8, 2);
    char sText[24];
    std::snprintf(sText, sizeof sText, "%04X:%016llX", unsigned(iSignExponent),
                  static_cast<unsigned long long>(iSignificand));
    return sText;
}

std::optional<rtl::Extended> ParseBits(std::string_view sText) {
    uint16_t iSignExponent = 0;
    uint64_t iSignificand = 0;
    if (sText.size() != 21 || sText[4] != ':') return std::nullopt;
    const char* pEnd = sText.data() + sText.size();
    const auto high = std::from_chars(sText.data(), sText.data() + 4, iSignExponent, 16);
    const auto low = std::from_chars(sText.data() + 5, pEnd, iSignificand, 16);
    if (high.ptr != sText.data() + 4 || low.ptr != pEnd) return std::nullopt;
    rtl::Extended X = 0;
    auto* pBytes = reinterpret_cast<unsigned char*>(&X);
    std::memcpy(pBytes, &iSignificand, 8);
    std::memcpy(pBytes + 8, &iSignExponent, 2);
    return X;
}

std::string Describe(rtl::Extended X) {
    char sValue[40];
    std::snprintf(sValue, sizeof sValue, "%.21Lg", X);
    return std::string(sValue) + " [" + BitsText(X) + "]";
}

}  // namespace quorix::mathcheck
