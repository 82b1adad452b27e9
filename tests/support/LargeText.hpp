// Large texts for the large-input tests of both engine flavours.
#pragma once

#include <cstddef>
#include <string>

namespace quorix::testing {

// Sizes are cut by 8 under the sanitizers, which slow allocation-heavy code tenfold,
// so that the tests stay fast in either build.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr std::size_t MiB = std::size_t{1} << 17;
inline constexpr bool bSanitized = true;
#else
inline constexpr std::size_t MiB = std::size_t{1} << 20;
inline constexpr bool bSanitized = false;
#endif

// sItem repeated, joined by sJoin, to at least iBytes.
inline std::string Repeated(const std::string& sItem, const std::string& sJoin, std::size_t iBytes) {
    std::string sText = sItem;
    sText.reserve(iBytes + sItem.size() + sJoin.size());
    while (sText.size() < iBytes) sText += sJoin + sItem;
    return sText;
}

}  // namespace quorix::testing
