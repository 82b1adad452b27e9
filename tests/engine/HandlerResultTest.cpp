// A handler's result is tested for finiteness from its bits where it lies; every
// encoding must come out as the x87's own test takes it: the same bits, or the same
// exception class.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <typeinfo>

#include "engine/core/Arithmetic.hpp"
#include "framework/base/Exceptions.hpp"

namespace quorix::testing {
namespace {

long double FromBits(std::uint16_t iSignAndExponent, std::uint64_t iSignificand) {
    long double rValue = 0;
    std::memcpy(&rValue, &iSignificand, sizeof iSignificand);
    std::memcpy(reinterpret_cast<char*>(&rValue) + 8, &iSignAndExponent, sizeof iSignAndExponent);
    return rValue;
}

// The bits of the result, or the name of the exception class raised.
template <class F>
std::string Outcome(F&& Test, const long double& rValue) {
    try {
        const long double rResult = Test(rValue);
        char sBits[16] = {};
        std::memcpy(sBits, &rResult, 10);
        return std::string(sBits, 10);
    } catch (const rtl::Exception& E) {
        return typeid(E).name();
    }
}

TEST(HandlerResult, EveryEncodingIsTakenAsTheX87TestTakesIt) {
    constexpr std::uint64_t kLead = 1ull << 63;
    const struct {
        const char* sWhat;
        std::uint16_t iSignAndExponent;
        std::uint64_t iSignificand;
    } Cases[] = {
        {"zero", 0, 0},
        {"negative zero", 0x8000, 0},
        {"one", 0x3FFF, kLead},
        {"negative largest", 0xFFFE, ~0ull},
        {"smallest normal", 0x0001, kLead},
        {"denormal", 0x0000, 1},
        {"pseudo-denormal", 0x0000, kLead | 5},
        {"unnormal", 0x3FFF, kLead >> 1},
        {"pseudo-zero", 0x1234, 0},
        {"infinity", 0x7FFF, kLead},
        {"negative infinity", 0xFFFF, kLead},
        {"quiet NaN", 0x7FFF, kLead | kLead >> 1},
        {"signalling NaN", 0x7FFF, kLead | 1},
        {"pseudo-infinity", 0x7FFF, 0},
        {"pseudo-NaN", 0xFFFF, 1},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.sWhat);
        const long double rValue = FromBits(Case.iSignAndExponent, Case.iSignificand);
        EXPECT_EQ(Outcome(core::FiniteStored, rValue),
                  Outcome([](long double r) { return core::Finite(r); }, rValue));
    }
}

}  // namespace
}  // namespace quorix::testing
