#include "packages/art/Canvas.hpp"

#include <algorithm>

namespace quorix::art {

const std::array<TRgb, 16> kPalette = {{
    {0, 0, 0},
    {128, 0, 0},
    {0, 128, 0},
    {128, 128, 0},
    {0, 0, 128},
    {128, 0, 128},
    {0, 128, 128},
    {192, 192, 192},
    {128, 128, 128},
    {255, 0, 0},
    {0, 255, 0},
    {255, 255, 0},
    {0, 0, 255},
    {255, 0, 255},
    {0, 255, 255},
    {255, 255, 255},
}};

TCanvas::TCanvas(int Width, int Height, TColour Background)
    : FWidth(Width), FHeight(Height), FPixels(static_cast<size_t>(Width * Height), Background) {}

TColour TCanvas::Pixel(int X, int Y) const { return FPixels.at(static_cast<size_t>(Y * FWidth + X)); }

void TCanvas::SetPixel(int X, int Y, TColour Colour) {
    if (X >= 0 && X < FWidth && Y >= 0 && Y < FHeight) FPixels[static_cast<size_t>(Y * FWidth + X)] = Colour;
}

void TCanvas::FillRect(int Left, int Top, int Right, int Bottom, TColour Colour) {
    for (int y = Top; y <= Bottom; ++y)
        for (int x = Left; x <= Right; ++x) SetPixel(x, y, Colour);
}

void TCanvas::FrameRect(int Left, int Top, int Right, int Bottom, TColour Colour) {
    for (int x = Left; x <= Right; ++x) {
        SetPixel(x, Top, Colour);
        SetPixel(x, Bottom, Colour);
    }
    for (int y = Top; y <= Bottom; ++y) {
        SetPixel(Left, y, Colour);
        SetPixel(Right, y, Colour);
    }
}

void TCanvas::Stamp(TSprite Sprite, int X, int Y, TColour Colour, int Scale) {
    int row = 0;
    for (std::string_view line : Sprite) {
        for (int col = 0; col < static_cast<int>(line.size()); ++col)
            if (line[static_cast<size_t>(col)] == '#')
                FillRect(X + col * Scale, Y + row * Scale, X + col * Scale + Scale - 1,
                         Y + row * Scale + Scale - 1, Colour);
        ++row;
    }
}

void TCanvas::CopyRows(const TCanvas& Source, int FromY, int ToY) {
    for (int y = std::max(FromY, 0); y < std::min({ToY, FHeight, Source.FHeight}); ++y)
        for (int x = 0; x < std::min(FWidth, Source.FWidth); ++x) SetPixel(x, y, Source.Pixel(x, y));
}

}  // namespace quorix::art
