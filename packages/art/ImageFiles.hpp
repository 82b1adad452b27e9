// Image files of 16-colour pictures: BMP and ICO (4 bits per pixel with a 16-entry
// palette) written from a canvas and read back, and PNG written for viewing.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "packages/art/Canvas.hpp"

namespace quorix::art {

// A decoded indexed picture; Indices holds one palette index per pixel, top row first.
struct TIndexedImage {
    int Width = 0;
    int Height = 0;
    int BitCount = 0;
    std::vector<TRgb> Palette;
    std::vector<uint8_t> Indices;

    const TRgb& Colour(int X, int Y) const {
        return Palette.at(Indices.at(static_cast<size_t>(Y * Width + X)));
    }
};

std::vector<uint8_t> EncodeBmp(const TCanvas& Canvas);
// A one-image icon; every pixel opaque.
std::vector<uint8_t> EncodeIco(const TCanvas& Canvas);

// Raise rtl::EReadError on data that is not a picture these functions can read
// (uncompressed, 1 to 8 bits per pixel with a palette).
TIndexedImage DecodeBmp(std::span<const uint8_t> File);
TIndexedImage DecodeIco(std::span<const uint8_t> File);  // its first image

std::vector<uint8_t> EncodePng(const TIndexedImage& Image);

}  // namespace quorix::art
