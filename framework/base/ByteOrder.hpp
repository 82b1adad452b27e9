// Little-endian integers in byte buffers, as resource and image formats store them.
// Reading past the end raises EReadError, so a truncated file is an error, not a crash.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "framework/base/Exceptions.hpp"

namespace rtl {

inline void PutU16(std::vector<uint8_t>& Out, uint32_t Value) {
    Out.push_back(static_cast<uint8_t>(Value & 0xFF));
    Out.push_back(static_cast<uint8_t>(Value >> 8 & 0xFF));
}

inline void PutU32(std::vector<uint8_t>& Out, uint32_t Value) {
    PutU16(Out, Value & 0xFFFF);
    PutU16(Out, Value >> 16);
}

inline uint32_t GetU16(std::span<const uint8_t> Data, size_t At) {
    if (At > Data.size() || Data.size() - At < 2) throw EReadError("Data ends early");
    return Data[At] | uint32_t{Data[At + 1]} << 8;
}

inline uint32_t GetU32(std::span<const uint8_t> Data, size_t At) {
    return GetU16(Data, At) | GetU16(Data, At + 2) << 16;
}

}  // namespace rtl
