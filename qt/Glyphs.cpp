#include "qt/Glyphs.hpp"

#include <QImage>
#include <QPixmap>

#include "packages/art/Glyphs.hpp"
#include "packages/art/ImageFiles.hpp"

namespace quorix::qt {

// Read from the very bitmap the packages embed, so both show the same picture.
QIcon GlyphIcon(const std::string& sName) {
    const auto Glyph = art::DrawGlyph(sName);
    if (!Glyph) return {};
    const std::vector<uint8_t> Bitmap = art::EncodeBmp(*Glyph);
    QImage Image;
    if (!Image.loadFromData(Bitmap.data(), static_cast<int>(Bitmap.size()), "BMP")) return {};
    return QIcon(QPixmap::fromImage(Image));
}

}  // namespace quorix::qt
