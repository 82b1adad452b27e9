// A small indexed-colour canvas in the classic 16-colour palette, with the few
// drawing operations the palette glyphs and the package icon are made of.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace quorix::art {

enum TColour : uint8_t {
    clBlack,
    clMaroon,
    clGreen,
    clOlive,
    clNavy,
    clPurple,
    clTeal,
    clSilver,
    clGray,
    clRed,
    clLime,
    clYellow,
    clBlue,
    clFuchsia,
    clAqua,
    clWhite
};

struct TRgb {
    uint8_t R, G, B;
    bool operator==(const TRgb&) const = default;
};

extern const std::array<TRgb, 16> kPalette;

// A sprite is drawn from rows of text: '#' is ink, any other character is left alone.
using TSprite = std::span<const std::string_view>;

class TCanvas {
public:
    TCanvas(int Width, int Height, TColour Background);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    TColour Pixel(int X, int Y) const;            // (0, 0) is the top-left pixel
    void SetPixel(int X, int Y, TColour Colour);  // outside the canvas: ignored

    void FillRect(int Left, int Top, int Right, int Bottom, TColour Colour);  // inclusive
    void FrameRect(int Left, int Top, int Right, int Bottom, TColour Colour);
    // Each ink pixel of the sprite becomes a Scale x Scale block at (X, Y) onwards.
    void Stamp(TSprite Sprite, int X, int Y, TColour Colour, int Scale = 1);
    // Copies rows [FromY, ToY) of Source to the same place on this canvas.
    void CopyRows(const TCanvas& Source, int FromY, int ToY);

private:
    int FWidth, FHeight;
    std::vector<TColour> FPixels;
};

}  // namespace quorix::art
