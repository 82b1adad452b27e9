#include "framework/packages/Resources.hpp"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "framework/base/ByteOrder.hpp"
#include "framework/base/Exceptions.hpp"
#include "framework/base/Utf8.hpp"

namespace rtl {

// Image layout, little-endian: "QRES", u32 count, then per entry u32 type, name
// offset, name size, data offset, data size; names and data follow.
namespace {

constexpr char kMagic[4] = {'Q', 'R', 'E', 'S'};
constexpr size_t kHeaderSize = 8;
constexpr size_t kEntrySize = 20;

bool SameName(const std::string& a, const std::string& b) {
    auto upper = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return upper(x) == upper(y); });
}

[[noreturn]] void Malformed(const std::string& sWhat) {
    throw EPackageError("Malformed resource module: " + sWhat);
}

}  // namespace

std::vector<uint8_t> BuildResourceModule(const std::vector<TResource>& Resources) {
    std::vector<uint8_t> image(kMagic, kMagic + 4);
    PutU32(image, static_cast<uint32_t>(Resources.size()));
    size_t blob = kHeaderSize + kEntrySize * Resources.size();
    std::vector<uint8_t> tail;
    for (const TResource& r : Resources) {
        PutU32(image, static_cast<uint32_t>(r.Type));
        PutU32(image, static_cast<uint32_t>(blob + tail.size()));
        PutU32(image, static_cast<uint32_t>(r.Name.size()));
        tail.insert(tail.end(), r.Name.begin(), r.Name.end());
        PutU32(image, static_cast<uint32_t>(blob + tail.size()));
        PutU32(image, static_cast<uint32_t>(r.Data.size()));
        tail.insert(tail.end(), r.Data.begin(), r.Data.end());
    }
    image.insert(image.end(), tail.begin(), tail.end());
    return image;
}

TResourceModule TResourceModule::FromImage(std::span<const uint8_t> Image) {
    TResourceModule module;
    module.Index(Image);
    return module;
}

TResourceModule TResourceModule::FromFile(const std::string& sFileName) {
    std::ifstream in(sFileName, std::ios::binary);
    if (!in) throw EPackageError("Cannot read resource module " + sFileName);
    TResourceModule module;
    module.FOwned.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    try {
        module.Index(module.FOwned);
    } catch (const EPackageError& e) {
        throw EPackageError(sFileName + ": " + e.Message());
    }
    return module;
}

void TResourceModule::Index(std::span<const uint8_t> Image) {
    if (Image.size() < kHeaderSize || !std::equal(kMagic, kMagic + 4, Image.begin()))
        Malformed("no resource module header");
    const uint32_t count = GetU32(Image, 4);
    if (count > (Image.size() - kHeaderSize) / kEntrySize) Malformed("entry table truncated");
    auto slice = [&](uint32_t offset, uint32_t size) {
        if (offset > Image.size() || size > Image.size() - offset) Malformed("entry outside the image");
        return Image.subspan(offset, size);
    };
    FEntries.clear();
    for (uint32_t i = 0; i < count; ++i) {
        const size_t at = kHeaderSize + kEntrySize * i;
        auto name = slice(GetU32(Image, at + 4), GetU32(Image, at + 8));
        FEntries.push_back({static_cast<TResourceType>(GetU32(Image, at)),
                            std::string(name.begin(), name.end()),
                            slice(GetU32(Image, at + 12), GetU32(Image, at + 16))});
    }
}

std::optional<std::span<const uint8_t>> TResourceModule::Find(TResourceType Type,
                                                              const std::string& sName) const {
    for (const TEntry& e : FEntries)
        if (e.Type == Type && SameName(e.Name, sName)) return e.Data;
    return std::nullopt;
}

std::vector<std::string> TResourceModule::Names(TResourceType Type) const {
    std::vector<std::string> names;
    for (const TEntry& e : FEntries)
        if (e.Type == Type) names.push_back(e.Name);
    return names;
}

namespace {

std::string LocaleFromEnvironment() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value == nullptr || *value == '\0') continue;
        std::string locale(value);
        locale = locale.substr(0, locale.find_first_of(".@"));
        return locale == "C" || locale == "POSIX" ? std::string() : locale;
    }
    return {};
}

std::string& CurrentLocale() {
    static std::string locale = LocaleFromEnvironment();
    return locale;
}

}  // namespace

std::string ResourceLocale() { return CurrentLocale(); }
void SetResourceLocale(const std::string& sLocale) { CurrentLocale() = sLocale; }

std::string FindResourceModuleFile(const std::string& sModuleFile, const std::string& sLocale) {
    if (sModuleFile.empty() || sLocale.empty()) return {};
    const std::string language = sLocale.substr(0, sLocale.find('_'));
    for (const std::string& suffix : {sLocale, language}) {
        const std::string candidate = sModuleFile + "." + suffix;
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec)) return candidate;
    }
    return {};
}

std::vector<uint8_t> ToUtf16Z(const std::string& sUtf8) {
    std::vector<uint8_t> out;
    auto put = [&](uint32_t unit) {
        out.push_back(static_cast<uint8_t>(unit & 0xFF));
        out.push_back(static_cast<uint8_t>(unit >> 8));
    };
    for (size_t i = 0; i < sUtf8.size();) {
        char32_t code;
        const size_t length = Utf8SequenceAt(sUtf8, i, code);
        if (length == 0) throw EConvertError("Text is not valid UTF-8");
        i += length;
        if (code >= 0x10000) {
            code -= 0x10000;
            put(0xD800 | code >> 10);
            put(0xDC00 | (code & 0x3FF));
        } else {
            put(code);
        }
    }
    put(0);
    return out;
}

std::string FromUtf16Z(std::span<const uint8_t> Data) {
    std::string out;
    for (size_t i = 0; i + 1 < Data.size(); i += 2) {
        uint32_t unit = GetU16(Data, i);
        if (unit == 0) return out;
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < Data.size()) {
            const uint32_t low = GetU16(Data, i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (unit >= 0xD800 && unit < 0xE000) throw EPackageError("Text has a lone surrogate");
        char bytes[MaxUtf8Length];
        out.append(bytes, EncodeUtf8(unit, bytes));
    }
    throw EPackageError("Text has no terminating zero");
}

}  // namespace rtl
