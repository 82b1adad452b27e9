// Resource modules: the named resources a package carries (palette glyphs, icon,
// description, version information), and the localised satellite file that may
// replace them. A resource module is one byte image; a package embeds its own, and a
// satellite file beside the package holds the localised one.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace rtl {

enum class TResourceType : uint32_t {
    Bitmap = 2,    // a BMP file
    Icon = 3,      // an ICO file
    Data = 10,     // raw bytes, such as a UTF-16 text
    Version = 16,  // a version information block (see VersionInfo.hpp)
};

struct TResource {
    TResourceType Type;
    std::string Name;  // compared without regard to ASCII letter case
    std::vector<uint8_t> Data;
};

// Writes resources as one module image.
std::vector<uint8_t> BuildResourceModule(const std::vector<TResource>& Resources);

// A validated view of a module image. The bytes are either borrowed (a package's
// embedded image, alive as long as the package) or owned (a satellite file).
class TResourceModule {
public:
    // Raises EPackageError when the image is malformed.
    static TResourceModule FromImage(std::span<const uint8_t> Image);
    static TResourceModule FromFile(const std::string& sFileName);

    std::optional<std::span<const uint8_t>> Find(TResourceType Type, const std::string& sName) const;
    // Every resource name of one type, in stored order.
    std::vector<std::string> Names(TResourceType Type) const;

private:
    struct TEntry {
        TResourceType Type;
        std::string Name;
        std::span<const uint8_t> Data;
    };
    TResourceModule() = default;
    void Index(std::span<const uint8_t> Image);

    std::vector<uint8_t> FOwned;
    std::vector<TEntry> FEntries;
};

// The locale that picks satellite files, such as "de_DE"; empty for none. Starts
// from LC_ALL, LC_MESSAGES or LANG (the first one set), without codeset or modifier.
std::string ResourceLocale();
void SetResourceLocale(const std::string& sLocale);

// The localised resource module of a module file: FILE.<language>_<territory>, else
// FILE.<language>, when such a file exists beside it; empty when there is none.
std::string FindResourceModuleFile(const std::string& sModuleFile, const std::string& sLocale);

// UTF-16 little-endian text with a terminating zero, as resources store text.
std::vector<uint8_t> ToUtf16Z(const std::string& sUtf8);
std::string FromUtf16Z(std::span<const uint8_t> Data);  // raises EPackageError

}  // namespace rtl
