#include "framework/base/Conversions.hpp"

#include <locale.h>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <new>

#include "framework/base/ConversionsDigits.hpp"
#include "framework/base/Exceptions.hpp"

namespace rtl {

TFormatSettings FormatSettings;

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Checks the accepted syntax and rewrites the number itself (without the spaces
// around it) with '.' as its decimal point. Returns false for anything else.
bool NormalizeNumber(const std::string& s, std::string& number) {
    std::size_t begin = s.find_first_not_of(' ');
    if (begin == std::string::npos) return false;
    const std::size_t end = s.find_last_not_of(' ') + 1;

    number.clear();
    std::size_t i = begin;
    if (s[i] == '+' || s[i] == '-') number += s[i++];
    std::size_t mantissaDigits = 0;
    bool seenSeparator = false;
    for (; i < end; ++i) {
        if (IsDigit(s[i])) {
            ++mantissaDigits;
            number += s[i];
        } else if (s[i] == FormatSettings.DecimalSeparator && !seenSeparator) {
            seenSeparator = true;
            number += '.';
        } else {
            break;
        }
    }
    if (mantissaDigits == 0) return false;
    if (i < end && (s[i] == 'E' || s[i] == 'e')) {
        number += 'e';
        ++i;
        if (i < end && (s[i] == '+' || s[i] == '-')) number += s[i++];
        const std::size_t exponentStart = i;
        for (; i < end && IsDigit(s[i]); ++i) number += s[i];
        if (i == exponentStart) return false;
    }
    return i == end;
}

// The "C" locale, so that the library's correctly rounded reader never sees the
// process locale's decimal point.
locale_t ClassicLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    if (locale == locale_t(nullptr)) throw std::bad_alloc();
    return locale;
}

}  // namespace

bool TryStrToFloat(const std::string& S, Extended& Value) {
    std::string number;
    if (!NormalizeNumber(S, number)) return false;
    char* end = nullptr;
    // Correctly rounded; underflow gives a denormal or 0, overflow an infinity.
    const Extended result = strtold_l(number.c_str(), &end, ClassicLocale());
    if (end != number.c_str() + number.size() || std::isinf(result)) return false;
    Value = result;
    return true;
}

Extended StrToFloat(const std::string& S) {
    Extended value = 0;
    if (!TryStrToFloat(S, value)) throw EConvertError("'" + S + "' is not a valid floating point value");
    return value;
}

std::string FloatToStr(Extended Value) {
    if (std::isnan(Value)) return "NAN";
    if (std::isinf(Value)) return Value > 0 ? "INF" : "-INF";
    if (Value == 0) return "0";

    const detail::TDecimal decimal = detail::RoundToSignificant(std::fabs(Value), 15);
    const std::string& digits = decimal.Digits;
    const int exponent = decimal.Exponent;  // value = 0.digits x 10^exponent
    const char separator = FormatSettings.DecimalSeparator;
    std::string result = Value < 0 ? "-" : "";

    if (exponent > 15 || exponent < -3) {
        result += digits[0];
        if (digits.size() > 1) result += separator + digits.substr(1);
        return result + "E" + std::to_string(exponent - 1);
    }
    if (exponent <= 0)
        return result + "0" + separator + std::string(static_cast<std::size_t>(-exponent), '0') + digits;
    const auto integerDigits = static_cast<std::size_t>(exponent);
    if (digits.size() <= integerDigits)
        return result + digits + std::string(integerDigits - digits.size(), '0');
    return result + digits.substr(0, integerDigits) + separator + digits.substr(integerDigits);
}

}  // namespace rtl
