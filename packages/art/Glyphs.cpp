#include "packages/art/Glyphs.hpp"

namespace quorix::art {

namespace {

// Letters and signs, drawn at their top-left corner.
constexpr std::string_view kSum[] = {
    "#######", "##....#", ".##....", "..##...", "...##..", "..##...", ".##....", "##....#", "#######",
};
constexpr std::string_view kIntegral[] = {
    "..##", ".#..", ".#..", ".#..", ".#..", ".#..", ".#..", ".#..", ".#..", ".#..", ".#..", "##..",
};
constexpr std::string_view kOpen[] = {".#", "#.", "#.", "#.", "#.", "#.", ".#"};
constexpr std::string_view kClose[] = {"#.", ".#", ".#", ".#", ".#", ".#", "#."};
constexpr std::string_view kX[] = {"#...#", ".#.#.", "..#..", ".#.#.", "#...#"};
constexpr std::string_view kY[] = {"#...#", ".#.#.", "..#..", ".#...", "#...."};
constexpr std::string_view kA[] = {".##.", "...#", ".###", "#..#", ".###"};
constexpr std::string_view kB[] = {"#...", "#...", "###.", "#..#", "#..#", "#..#", "###."};

// A parenthesised one-letter term whose parentheses start at (X, Y).
void DrawTerm(TCanvas& Canvas, TSprite Letter, int X, int Y) {
    Canvas.Stamp(kOpen, X, Y, clBlack);
    Canvas.Stamp(Letter, X + 3, Y + 1, clBlack);
    Canvas.Stamp(kClose, X + 8, Y, clBlack);
}

void DrawQuorix(TCanvas& Canvas) {
    Canvas.Stamp(kSum, 1, 2, clMaroon);
    Canvas.Stamp(kIntegral, 9, 1, clMaroon);
    DrawTerm(Canvas, kX, 13, 3);
}

void DrawExtParser(TCanvas& Canvas) {
    DrawQuorix(Canvas);
    DrawTerm(Canvas, kY, 13, 15);
}

// The top rows of the engine's picture above a sunken edit box holding "ab" and a cursor.
void DrawParserEdit(TCanvas& Canvas) {
    TCanvas top(kGlyphSize, kGlyphSize, clWhite);
    DrawQuorix(top);
    Canvas.CopyRows(top, 0, 9);
    Canvas.FillRect(1, 10, 22, 22, clWhite);
    Canvas.FrameRect(1, 10, 22, 22, clSilver);
    Canvas.FillRect(1, 10, 22, 10, clGray);
    Canvas.FillRect(1, 10, 1, 22, clGray);
    Canvas.Stamp(kA, 3, 14, clBlack);
    Canvas.Stamp(kB, 8, 12, clBlack);
    Canvas.FillRect(13, 12, 13, 19, clNavy);
}

// The edit box's picture with a small grey data grid at its upper right.
void DrawDBParserEdit(TCanvas& Canvas) {
    DrawParserEdit(Canvas);
    Canvas.FillRect(15, 12, 21, 18, clSilver);
    for (int line : {15, 18, 21}) {
        Canvas.FillRect(line, 12, line, 18, clGray);
        Canvas.FillRect(15, line - 3, 21, line - 3, clGray);
    }
}

struct TGlyphArt {
    const char* Name;
    void (*Draw)(TCanvas&);
};

constexpr TGlyphArt kGlyphs[] = {
    {"TQUORIX", DrawQuorix},
    {"TEXTPARSER", DrawExtParser},
    {"TPARSEREDIT", DrawParserEdit},
    {"TDBPARSEREDIT", DrawDBParserEdit},
};

}  // namespace

std::optional<TCanvas> DrawGlyph(const std::string& sName) {
    for (const TGlyphArt& art : kGlyphs)
        if (sName == art.Name) {
            // White background: the lower-left pixel gives a glyph's transparent colour.
            TCanvas canvas(kGlyphSize, kGlyphSize, clWhite);
            art.Draw(canvas);
            return canvas;
        }
    return std::nullopt;
}

std::vector<std::string> GlyphNames() {
    std::vector<std::string> names;
    for (const TGlyphArt& art : kGlyphs) names.emplace_back(art.Name);
    return names;
}

TCanvas DrawPackageIcon() {
    TCanvas canvas(kIconSize, kIconSize, clWhite);
    canvas.FillRect(1, 1, 30, 30, clTeal);
    canvas.FrameRect(0, 0, 31, 31, clNavy);
    canvas.FillRect(3, 3, 28, 28, clWhite);
    canvas.Stamp(kSum, 4, 7, clMaroon, 2);
    canvas.Stamp(kIntegral, 19, 4, clMaroon, 2);
    return canvas;
}

}  // namespace quorix::art
