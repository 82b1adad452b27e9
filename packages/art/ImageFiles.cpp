#include "packages/art/ImageFiles.hpp"

#include <zlib.h>

#include <string>

#include "framework/base/ByteOrder.hpp"
#include "framework/base/Exceptions.hpp"

namespace quorix::art {

using rtl::GetU16;
using rtl::GetU32;
using rtl::PutU16;
using rtl::PutU32;

namespace {

constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kPaletteBytes = 16 * 4;

uint32_t RowBytes(int Width, int BitCount) { return (static_cast<uint32_t>(Width * BitCount) + 31) / 32 * 4; }

// The device-independent bitmap shared by BMP and ICO: info header, palette, pixel
// rows bottom-up. An icon doubles the height and appends a 1-bit transparency mask.
std::vector<uint8_t> EncodeDib(const TCanvas& Canvas, bool bIconMask) {
    const int w = Canvas.Width(), h = Canvas.Height();
    const uint32_t colourRow = RowBytes(w, 4), maskRow = RowBytes(w, 1);
    const uint32_t imageSize = colourRow * h + (bIconMask ? maskRow * h : 0);
    std::vector<uint8_t> out;
    for (uint32_t v :
         {kInfoHeaderSize, static_cast<uint32_t>(w), static_cast<uint32_t>(bIconMask ? 2 * h : h)})
        PutU32(out, v);
    PutU16(out, 1);                                                             // planes
    PutU16(out, 4);                                                             // bits per pixel
    for (uint32_t v : {0u, imageSize, 2835u, 2835u, 16u, 16u}) PutU32(out, v);  // 72 dpi
    for (const TRgb& c : kPalette) {
        out.push_back(c.B);
        out.push_back(c.G);
        out.push_back(c.R);
        out.push_back(0);
    }
    for (int y = h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(colourRow, 0);
        for (int x = 0; x < w; ++x)
            row[static_cast<size_t>(x / 2)] |=
                static_cast<uint8_t>(Canvas.Pixel(x, y) << (x % 2 == 0 ? 4 : 0));
        out.insert(out.end(), row.begin(), row.end());
    }
    if (bIconMask) out.insert(out.end(), static_cast<size_t>(maskRow) * h, 0);
    return out;
}

TIndexedImage DecodeDib(std::span<const uint8_t> Dib, bool bIcon) {
    if (GetU32(Dib, 0) < kInfoHeaderSize) throw rtl::EReadError("Unsupported bitmap header");
    TIndexedImage image;
    image.Width = static_cast<int32_t>(GetU32(Dib, 4));
    // Wide enough to negate any stored height, the most negative included.
    int64_t height = static_cast<int32_t>(GetU32(Dib, 8));
    image.BitCount = static_cast<int>(GetU16(Dib, 14));
    const uint32_t compression = GetU32(Dib, 16);
    uint32_t colours = GetU32(Dib, 32);
    if (bIcon) height /= 2;
    const bool bTopDown = height < 0;
    const int64_t rows = bTopDown ? -height : height;
    if (image.Width <= 0 || rows <= 0 || image.Width > 4096 || rows > 4096)
        throw rtl::EReadError("Unsupported bitmap size");
    image.Height = static_cast<int32_t>(rows);
    if (compression != 0 || (image.BitCount != 1 && image.BitCount != 4 && image.BitCount != 8))
        throw rtl::EReadError("Only uncompressed bitmaps with 1, 4 or 8 bits per pixel are read");
    if (colours == 0) colours = 1u << image.BitCount;
    if (colours > (1u << image.BitCount)) throw rtl::EReadError("Bitmap palette too large");
    const size_t paletteAt = GetU32(Dib, 0);
    for (uint32_t i = 0; i < colours; ++i) {
        const size_t at = paletteAt + 4 * i;
        const uint32_t bgr = GetU32(Dib, at);
        image.Palette.push_back(
            {static_cast<uint8_t>(bgr >> 16), static_cast<uint8_t>(bgr >> 8), static_cast<uint8_t>(bgr)});
    }
    const size_t bitsAt = paletteAt + 4 * colours;
    const uint32_t rowBytes = RowBytes(image.Width, image.BitCount);
    if (Dib.size() < bitsAt || (Dib.size() - bitsAt) / rowBytes < static_cast<size_t>(image.Height))
        throw rtl::EReadError("Bitmap pixels truncated");
    const int perByte = 8 / image.BitCount;
    for (int y = 0; y < image.Height; ++y) {
        const size_t row = bitsAt + rowBytes * static_cast<size_t>(bTopDown ? y : image.Height - 1 - y);
        for (int x = 0; x < image.Width; ++x) {
            const uint8_t byte = Dib[row + static_cast<size_t>(x / perByte)];
            const int shift = 8 - image.BitCount * (x % perByte + 1);
            const uint8_t index = static_cast<uint8_t>(byte >> shift & ((1 << image.BitCount) - 1));
            if (index >= colours) throw rtl::EReadError("Bitmap pixel outside its palette");
            image.Indices.push_back(index);
        }
    }
    return image;
}

void PutU32BigEndian(std::vector<uint8_t>& Out, uint32_t Value) {
    for (int shift = 24; shift >= 0; shift -= 8) Out.push_back(static_cast<uint8_t>(Value >> shift));
}

void PutChunk(std::vector<uint8_t>& Out, const char* Type, const std::vector<uint8_t>& Data) {
    PutU32BigEndian(Out, static_cast<uint32_t>(Data.size()));
    const size_t start = Out.size();
    Out.insert(Out.end(), Type, Type + 4);
    Out.insert(Out.end(), Data.begin(), Data.end());
    PutU32BigEndian(
        Out, static_cast<uint32_t>(crc32(0, Out.data() + start, static_cast<uInt>(Out.size() - start))));
}

}  // namespace

std::vector<uint8_t> EncodeBmp(const TCanvas& Canvas) {
    const std::vector<uint8_t> dib = EncodeDib(Canvas, false);
    std::vector<uint8_t> out{'B', 'M'};
    PutU32(out, static_cast<uint32_t>(kFileHeaderSize + dib.size()));
    PutU32(out, 0);
    PutU32(out, kFileHeaderSize + kInfoHeaderSize + kPaletteBytes);
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

std::vector<uint8_t> EncodeIco(const TCanvas& Canvas) {
    const std::vector<uint8_t> dib = EncodeDib(Canvas, true);
    std::vector<uint8_t> out;
    for (uint32_t v : {0u, 1u, 1u}) PutU16(out, v);  // reserved, type icon, one image
    out.push_back(static_cast<uint8_t>(Canvas.Width() % 256));
    out.push_back(static_cast<uint8_t>(Canvas.Height() % 256));
    out.push_back(16);  // colours
    out.push_back(0);
    PutU16(out, 1);  // planes
    PutU16(out, 4);  // bits per pixel
    PutU32(out, static_cast<uint32_t>(dib.size()));
    PutU32(out, 6 + 16);
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

TIndexedImage DecodeBmp(std::span<const uint8_t> File) {
    if (File.size() < kFileHeaderSize || File[0] != 'B' || File[1] != 'M')
        throw rtl::EReadError("Not a BMP file");
    return DecodeDib(File.subspan(kFileHeaderSize), false);
}

TIndexedImage DecodeIco(std::span<const uint8_t> File) {
    if (GetU16(File, 0) != 0 || GetU16(File, 2) != 1 || GetU16(File, 4) == 0)
        throw rtl::EReadError("Not an ICO file");
    const uint32_t size = GetU32(File, 6 + 8), offset = GetU32(File, 6 + 12);
    if (offset > File.size() || size > File.size() - offset) throw rtl::EReadError("Icon image truncated");
    return DecodeDib(File.subspan(offset, size), true);
}

std::vector<uint8_t> EncodePng(const TIndexedImage& Image) {
    std::vector<uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutU32BigEndian(header, static_cast<uint32_t>(Image.Width));
    PutU32BigEndian(header, static_cast<uint32_t>(Image.Height));
    header.insert(header.end(), {8, 3, 0, 0, 0});  // 8-bit palette indices, no interlace
    PutChunk(out, "IHDR", header);
    std::vector<uint8_t> palette;
    for (const TRgb& c : Image.Palette) palette.insert(palette.end(), {c.R, c.G, c.B});
    PutChunk(out, "PLTE", palette);
    std::vector<uint8_t> raw;  // each row: filter type 0, then its indices
    for (int y = 0; y < Image.Height; ++y) {
        raw.push_back(0);
        const auto row = Image.Indices.begin() + static_cast<ptrdiff_t>(y) * Image.Width;
        raw.insert(raw.end(), row, row + Image.Width);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK)
        throw rtl::Exception("PNG compression failed");
    packed.resize(packedSize);
    PutChunk(out, "IDAT", packed);
    PutChunk(out, "IEND", {});
    return out;
}

}  // namespace quorix::art
