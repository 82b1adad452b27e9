// Number conversion: StrToFloat, FloatToStr and FormatFloat.
//
// Properties:
// - TryStrToFloat and StrToFloat agree (the same value, or False and EConvertError),
//   and an accepted text gives a finite value;
// - FloatToStr of a finite value reads back with StrToFloat; for a normal value the
//   result lies within half a unit of the 15th significant digit and prints the same
//   text again; NaN and the infinities print as NAN, INF and -INF, which StrToFloat
//   refuses;
// - FormatFloat never raises, its text is bounded by the pattern's length, an empty
//   pattern prints as FloatToStr, and a pattern of zeros with decimals ("000.00")
//   prints, for a value below 1E15, a number within half a unit of its last decimal.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "framework/base/Conversions.hpp"
#include "framework/base/Exceptions.hpp"
#include "fuzz/FuzzSupport.hpp"

namespace {

using quorix::fuzz::Require;
using rtl::Extended;

std::string Show(Extended Value) {
    char sBuffer[64];
    std::snprintf(sBuffer, sizeof sBuffer, "%.21Lg", Value);
    return sBuffer;
}

void CheckReading(const std::string& sText) {
    Extended rTried = 0;
    const bool bAccepted = rtl::TryStrToFloat(sText, rTried);
    try {
        const Extended rRead = rtl::StrToFloat(sText);
        Require(bAccepted && rRead == rTried, "StrToFloat agrees with TryStrToFloat", sText);
        Require(std::isfinite(rRead), "a number read is finite", sText);
    } catch (const rtl::EConvertError&) {
        Require(!bAccepted, "StrToFloat refuses what TryStrToFloat refuses", sText);
    }
}

void CheckRoundTrip(Extended Value) {
    const std::string sPrinted = rtl::FloatToStr(Value);
    Extended rBack = 0;
    if (!std::isfinite(Value)) {
        Require(sPrinted == (std::isnan(Value) ? "NAN"
                             : Value > 0       ? "INF"
                                               : "-INF"),
                "non-finite values print by name", sPrinted);
        Require(!rtl::TryStrToFloat(sPrinted, rBack), "non-finite names are not numbers", sPrinted);
        return;
    }
    Require(rtl::TryStrToFloat(sPrinted, rBack), "FloatToStr prints a number",
            Show(Value) + " -> " + sPrinted);
    if (std::fabs(Value) < std::numeric_limits<Extended>::min()) return;  // fewer digits than 15
    Require(std::fabs(rBack - Value) <= 5.000001e-15L * std::fabs(Value),
            "FloatToStr keeps 15 significant digits", Show(Value) + " -> " + sPrinted + " -> " + Show(rBack));
    Require(rtl::FloatToStr(rBack) == sPrinted, "a printed value prints the same again", sPrinted);
}

void CheckFormatting(const std::string& sPattern, Extended Value, uint8_t iShape) {
    const std::string sFormatted = rtl::FormatFloat(sPattern, Value);
    Require(sFormatted.size() <= 2 * sPattern.size() + 64, "FormatFloat's text is bounded by its pattern",
            sPattern + " -> " + sFormatted);
    Require(rtl::FormatFloat("", Value) == rtl::FloatToStr(Value), "an empty pattern prints as FloatToStr");

    if (!std::isfinite(Value) || std::fabs(Value) >= 1e15L) return;
    const int iDecimals = iShape % 19;
    std::string sZeros(1 + iShape / 19 % 5, '0');
    if (iDecimals > 0) sZeros += "." + std::string(static_cast<std::size_t>(iDecimals), '0');
    const std::string sFixed = rtl::FormatFloat(sZeros, Value);
    Extended rBack = 0;
    Require(rtl::TryStrToFloat(sFixed, rBack), "a pattern of zeros prints a number",
            sZeros + " -> " + sFixed);
    const Extended rUnit = std::pow(10.0L, -iDecimals);
    Require(std::fabs(rBack - Value) <= 0.5000001L * rUnit + 1e-17L * std::fabs(Value),
            "a pattern of zeros rounds to its last decimal", Show(Value) + " " + sZeros + " -> " + sFixed);
}

// The bits of an x87 extended value; the explicit integer bit is set as the
// hardware itself sets it, since the other encodings are invalid operands.
Extended FromBits(const uint8_t* pBits) {
    uint64_t iMantissa = 0;
    uint16_t iSignExponent = 0;
    std::memcpy(&iMantissa, pBits, 8);
    std::memcpy(&iSignExponent, pBits + 8, 2);
    const uint64_t iIntegerBit = uint64_t{1} << 63;
    if ((iSignExponent & 0x7FFF) != 0) iMantissa |= iIntegerBit;
    else iMantissa &= ~iIntegerBit;
    Extended Value = 0;
    std::memcpy(&Value, &iMantissa, 8);
    std::memcpy(reinterpret_cast<char*>(&Value) + 8, &iSignExponent, 2);
    return Value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t iSize) {
    const std::string sText(reinterpret_cast<const char*>(pData), iSize);
    CheckReading(sText);

    // The first ten bytes as an Extended (its bit pattern), the rest as a pattern.
    Extended Value = 0;
    Extended rRead = 0;
    if (iSize >= 10) {
        Value = FromBits(pData);
    } else if (rtl::TryStrToFloat(sText, rRead)) {
        Value = rRead;
    }
    CheckRoundTrip(Value);
    const std::string sPattern = iSize > 11 ? sText.substr(11) : std::string();
    CheckFormatting(sPattern, Value, iSize > 10 ? pData[10] : 0);
    return 0;
}
