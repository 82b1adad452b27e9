// What the fuzz targets share: failing a property loudly, recording OnError calls,
// and handler answers drawn from a small table of hostile values.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "engine/core/Tie.hpp"
#include "framework/base/Types.hpp"

namespace quorix::fuzz {

// A broken property is a finding: print it and abort so that libFuzzer keeps the input.
[[noreturn]] inline void Fail(const char* sProperty, const std::string& sDetail) {
    std::fprintf(stderr, "PROPERTY BROKEN: %s\n%s\n", sProperty, sDetail.c_str());
    std::abort();
}

inline void Require(bool bHolds, const char* sProperty, const std::string& sDetail = std::string()) {
    if (!bHolds) Fail(sProperty, sDetail);
}

struct TReport {
    int iPos;
    int iErrCode;
    bool operator==(const TReport&) const = default;
};

// Every OnError call since the last Clear.
struct TReportLog {
    std::vector<TReport> Reports;

    void Clear() { Reports.clear(); }
    bool Empty() const { return Reports.empty(); }
    auto Handler() {
        return [this](int iPos, int iErrCode) { Reports.push_back({iPos, iErrCode}); };
    }
    // Every report names a character of sText and a non-zero code.
    void RequireInside(const std::string& sText) const {
        for (const TReport& Report : Reports) {
            Require(Report.iErrCode != 0, "error codes are never 0", sText);
            Require(Report.iPos >= 0 && static_cast<std::size_t>(Report.iPos) < sText.size(),
                    "an error position lies inside the text",
                    "position " + std::to_string(Report.iPos) + " in [" + sText + "]");
        }
    }
};

// Thrown by the fuzzers' handlers; passes through the component unchanged.
struct THandlerFailure {};

// A handler's answer, a pure function of the call and the run's seed, so that two
// evaluations of equal trees ask the same questions and get the same answers.
class TAnswers {
public:
    explicit TAnswers(uint64_t iSeed) : FSeed(iSeed) {}

    uint64_t Key(const std::string& sName, std::span<const core::rParam> arrPar) const {
        uint64_t h = FSeed ^ 0x9E3779B97F4A7C15ull;
        const auto Mix = [&h](uint64_t v) { h = (h ^ v) * 0x100000001B3ull; };
        for (const char c : sName) Mix(static_cast<unsigned char>(c));
        for (const core::rParam& Par : arrPar) {
            Mix(Par.bIsString);
            for (const char c : Par.sValue) Mix(static_cast<unsigned char>(c));
            if (!Par.bIsString) Mix(static_cast<uint64_t>(std::hash<long double>{}(Par.rValue)));
        }
        return h;
    }

    // Mostly ordinary numbers; now and then a value at or past the Extended range.
    static rtl::Extended Value(uint64_t iKey) {
        if ((iKey >> 8) % 4 != 0)
            return static_cast<rtl::Extended>(static_cast<int>((iKey >> 12) % 2001) - 1000) / 8;
        constexpr rtl::Extended Table[] = {
            0,
            1,
            -1,
            0.5L,
            2,
            3,
            -7.25L,
            1e300L,
            1e4000L,
            -1e4000L,
            std::numeric_limits<rtl::Extended>::max(),
            std::numeric_limits<rtl::Extended>::min(),
            std::numeric_limits<rtl::Extended>::denorm_min(),
            std::numeric_limits<rtl::Extended>::quiet_NaN(),
            std::numeric_limits<rtl::Extended>::infinity(),
            -std::numeric_limits<rtl::Extended>::infinity(),
        };
        return Table[(iKey >> 12) % std::size(Table)];
    }

    // 0 for most calls, otherwise an arbitrary code, sometimes an extreme one.
    static int ErrorCode(uint64_t iKey) {
        switch ((iKey >> 16) % 8) {
            case 0: return static_cast<int>(iKey >> 32);
            case 1: return (iKey >> 40) % 2 ? std::numeric_limits<int>::min() : -1;
            default: return 0;
        }
    }

    // A rare handler throws.
    static bool Throws(uint64_t iKey) { return (iKey >> 24) % 29 == 0; }

private:
    uint64_t FSeed;
};

}  // namespace quorix::fuzz
