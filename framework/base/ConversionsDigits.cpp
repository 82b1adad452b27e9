#include "framework/base/ConversionsDigits.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace rtl::detail {

namespace {

// Just enough unsigned big-integer arithmetic for digit generation: the largest
// numbers met are about 2^16500 (the scaled smallest denormal).
class TBigUint {
public:
    explicit TBigUint(std::uint64_t value) {
        FLimbs = {static_cast<std::uint32_t>(value), static_cast<std::uint32_t>(value >> 32)};
        Trim();
    }

    void MultiplyBy(std::uint32_t factor) {
        std::uint64_t carry = 0;
        for (std::uint32_t& limb : FLimbs) {
            carry += std::uint64_t(limb) * factor;
            limb = static_cast<std::uint32_t>(carry);
            carry >>= 32;
        }
        if (carry != 0) FLimbs.push_back(static_cast<std::uint32_t>(carry));
    }

    void MultiplyByPowerOf10(int exponent) {
        for (; exponent >= 9; exponent -= 9) MultiplyBy(1000000000u);
        for (; exponent > 0; --exponent) MultiplyBy(10);
    }

    void ShiftLeft(int bits) {
        if (bits <= 0 || FLimbs.empty()) return;
        const int limbShift = bits / 32, bitShift = bits % 32;
        if (bitShift != 0) {
            FLimbs.push_back(0);
            for (std::size_t i = FLimbs.size() - 1; i > 0; --i)
                FLimbs[i] = (FLimbs[i] << bitShift) | (FLimbs[i - 1] >> (32 - bitShift));
            FLimbs[0] <<= bitShift;
        }
        FLimbs.insert(FLimbs.begin(), static_cast<std::size_t>(limbShift), 0u);
        Trim();
    }

    // -1, 0 or 1 as *this is below, equal to or above other.
    int Compare(const TBigUint& other) const {
        if (FLimbs.size() != other.FLimbs.size()) return FLimbs.size() < other.FLimbs.size() ? -1 : 1;
        for (std::size_t i = FLimbs.size(); i-- > 0;)
            if (FLimbs[i] != other.FLimbs[i]) return FLimbs[i] < other.FLimbs[i] ? -1 : 1;
        return 0;
    }

    // *this -= other, where other <= *this.
    void Subtract(const TBigUint& other) {
        std::int64_t borrow = 0;
        for (std::size_t i = 0; i < FLimbs.size(); ++i) {
            std::int64_t d = std::int64_t(FLimbs[i]) - borrow -
                             (i < other.FLimbs.size() ? std::int64_t(other.FLimbs[i]) : 0);
            borrow = d < 0;
            FLimbs[i] = static_cast<std::uint32_t>(d + (borrow << 32));
        }
        Trim();
    }

private:
    void Trim() {
        while (!FLimbs.empty() && FLimbs.back() == 0) FLimbs.pop_back();
    }

    std::vector<std::uint32_t> FLimbs;  // least significant first; empty for zero
};

// A positive value as the exact ratio R/S scaled so that 0.1 <= R/S < 1; the value
// is then R/S x 10^Exponent, and each multiplication of R by 10 yields one digit.
class TExactDigits {
public:
    explicit TExactDigits(Extended value) : FR(0), FS(1) {
        int binaryExponent = 0;
        const Extended fraction = std::frexp(value, &binaryExponent);  // [0.5, 1)
        // 64 significand bits make the scaled fraction an exact integer, denormals too.
        FR = TBigUint(static_cast<std::uint64_t>(std::ldexp(fraction, 64)));
        const int e = binaryExponent - 64;
        FR.ShiftLeft(std::max(e, 0));
        FS.ShiftLeft(std::max(-e, 0));

        // value lies in [2^(b-1), 2^b), b the binary exponent: b log10(2) is its decimal
        // exponent to within one, which the loops below settle.
        constexpr double kLog10Of2 = 0.30102999566398119521;
        FExponent = static_cast<int>(std::ceil(binaryExponent * kLog10Of2));
        if (FExponent >= 0) FS.MultiplyByPowerOf10(FExponent);
        else FR.MultiplyByPowerOf10(-FExponent);
        while (FR.Compare(FS) >= 0) {
            FS.MultiplyBy(10);
            ++FExponent;
        }
        for (;;) {
            TBigUint tenfold = FR;
            tenfold.MultiplyBy(10);
            if (tenfold.Compare(FS) >= 0) break;
            FR = tenfold;
            --FExponent;
        }
    }

    int Exponent() const { return FExponent; }

    // The value rounded half away from zero to Count leading digits (any Count);
    // consumes the ratio, so call it once.
    TDecimal Round(int count) {
        TDecimal result;
        result.Exponent = FExponent;
        if (count < 0) return TDecimal{};
        for (int i = 0; i < count; ++i) {
            FR.MultiplyBy(10);
            char digit = '0';
            while (FR.Compare(FS) >= 0) {
                FR.Subtract(FS);
                ++digit;
            }
            result.Digits += digit;
        }
        TBigUint twice = FR;
        twice.MultiplyBy(2);
        if (twice.Compare(FS) >= 0) RoundUp(result);
        while (!result.Digits.empty() && result.Digits.back() == '0') result.Digits.pop_back();
        if (result.Digits.empty()) result.Exponent = 0;
        return result;
    }

private:
    static void RoundUp(TDecimal& decimal) {
        std::string& digits = decimal.Digits;
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
        if (i > 0) {
            ++digits[i - 1];
        } else {
            // All nines (or no digits at all): the carry makes a new leading digit.
            digits.insert(digits.begin(), '1');
            ++decimal.Exponent;
        }
    }

    TBigUint FR;
    TBigUint FS;
    int FExponent = 0;
};

void RequireFiniteNonNegative(Extended value) {
    if (!std::isfinite(value) || value < 0)
        throw std::invalid_argument("decimal rounding needs a finite value >= 0");
}

}  // namespace

TDecimal RoundToSignificant(Extended Value, int Count) {
    RequireFiniteNonNegative(Value);
    if (Value == 0) return TDecimal{};
    return TExactDigits(Value).Round(std::max(Count, 1));
}

TDecimal RoundToDecimals(Extended Value, int Decimals, int MaxSignificant) {
    RequireFiniteNonNegative(Value);
    if (Value == 0) return TDecimal{};
    TExactDigits digits(Value);
    return digits.Round(std::min(digits.Exponent() + Decimals, MaxSignificant));
}

}  // namespace rtl::detail
