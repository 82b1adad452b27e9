// quorix-packages: loads a component package as a design host does (checks its
// requirements, loads it, runs its units' initialization, calls its Register
// entries) and shows what it found. The package is loaded in a child process, so
// that a damaged one ends in an error message instead of taking the host down.
#include <algorithm>
#include <cctype>
#include <fstream>
#include <iostream>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "apps/ReportText.hpp"
#include "framework/base/Exceptions.hpp"
#include "framework/base/Properties.hpp"
#include "framework/packages/PackageInspection.hpp"
#include "framework/packages/Packages.hpp"
#include "packages/art/ImageFiles.hpp"

namespace {

constexpr const char* kUsage =
    "usage: quorix-packages palette FILE         one line per registered class: PAGE<TAB>CLASS\n"
    "       quorix-packages info FILE            name, description, version, units, requirements, flags\n"
    "       quorix-packages glyph FILE NAME OUT  writes the palette glyph NAME (BMP, or PNG for *.png)\n"
    "       quorix-packages icon FILE OUT        writes the package icon (ICO, or PNG for *.png)\n";

struct TUsageError {};

// Text that came from the package, shown line by line with its control characters
// escaped: a package's names and description cannot rewrite the user's terminal.
void WriteLines(std::ostream& Out, std::string_view sText) {
    for (std::size_t start = 0, end; start < sText.size(); start = end + 1) {
        end = std::min(sText.find('\n', start), sText.size());
        quorix::calculator::WriteEchoed(Out, sText.substr(start, end - start));
        Out << '\n';
    }
}

std::string Join(std::span<const char* const> Items) {
    std::string text;
    for (const char* item : Items) text += (text.empty() ? "" : ", ") + std::string(item);
    return text;
}

std::string Flags(uint32_t Flags) {
    std::string text = Flags & rtl::pfDesignOnly ? "design time only"
                       : Flags & rtl::pfRunOnly  ? "run time only"
                                                 : "design and run time";
    if (Flags & rtl::pfNeverBuild) text += ", never rebuilt implicitly";
    return text;
}

std::string Palette(const rtl::TPackage& Package) {
    std::ostringstream out;
    for (const rtl::TPaletteEntry& entry : rtl::Palette())
        if (entry.Module == &Package.Module())
            out << entry.Page << '\t' << entry.ComponentClass->ClassName << '\n';
    return out.str();
}

std::string Info(const rtl::TPackage& Package) {
    const rtl::TPackageInfoTable& info = Package.Info();
    std::ostringstream out;
    out << "Name: " << info.Name << '\n'
        << "Description: " << Package.Module().Description() << '\n'
        << "Version: " << Package.Module().Version().Text() << '\n'
        << "Units: " << Join(info.Units) << '\n'
        << "Requires: " << Join(info.Requires) << '\n'
        << "Flags: " << Flags(info.Flags) << '\n';
    if (!Package.Module().ResourceModuleFile().empty())
        out << "Localised resources: " << Package.Module().ResourceModuleFile() << '\n';
    return out.str();
}

bool EndsWithPng(const std::string& sFile) {
    if (sFile.size() < 4) return false;
    std::string tail = sFile.substr(sFile.size() - 4);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".png";
}

// A BMP or ICO resource as it is stored, or converted to PNG.
std::string Picture(std::span<const uint8_t> Data, bool bIcon, const std::string& sOut) {
    if (!EndsWithPng(sOut)) return {Data.begin(), Data.end()};
    const auto png =
        quorix::art::EncodePng(bIcon ? quorix::art::DecodeIco(Data) : quorix::art::DecodeBmp(Data));
    return {png.begin(), png.end()};
}

std::string Glyph(const rtl::TPackage& Package, const std::string& sName, const std::string& sOut) {
    const auto glyph = Package.Module().FindResource(rtl::TResourceType::Bitmap, sName);
    if (!glyph) {
        std::string names;
        for (const std::string& n : Package.Module().ResourceNames(rtl::TResourceType::Bitmap))
            names += (names.empty() ? "" : ", ") + n;
        throw rtl::Exception("Package " + std::string(Package.Info().Name) + " has no glyph " + sName +
                             " (its glyphs: " + names + ")");
    }
    return Picture(*glyph, false, sOut);
}

std::string Icon(const rtl::TPackage& Package, const std::string& sOut) {
    const auto icon = Package.Module().FindResource(rtl::TResourceType::Icon, rtl::kMainIconResource);
    if (!icon) throw rtl::Exception("Package " + std::string(Package.Info().Name) + " has no icon");
    return Picture(*icon, true, sOut);
}

// What a command makes of the loaded package: the text to show, or the picture's bytes.
std::string Inspect(const std::vector<std::string>& Args, rtl::TPackage& Package) {
    if (!Package.Module().ResourceModuleError().empty()) {
        std::cerr << "quorix-packages: warning: ";
        WriteLines(std::cerr, Package.Module().ResourceModuleError());
        std::cerr.flush();
    }
    Package.Register();
    const std::string& command = Args[0];
    if (command == "palette") return Palette(Package);
    if (command == "info") return Info(Package);
    if (command == "glyph") return Glyph(Package, Args[2], Args[3]);
    return Icon(Package, Args[2]);
}

void WriteFile(const std::string& sOut, const std::string& sBytes) {
    std::ofstream out(sOut, std::ios::binary);
    out.write(sBytes.data(), static_cast<std::streamsize>(sBytes.size()));
    if (!out.flush()) throw rtl::Exception("Cannot write " + sOut);
}

int Run(const std::vector<std::string>& Args) {
    if (Args.size() < 2) throw TUsageError();
    const std::string& command = Args[0];
    const size_t expected = command == "glyph" ? 4 : command == "icon" ? 3 : 2;
    if ((command != "palette" && command != "info" && command != "glyph" && command != "icon") ||
        Args.size() != expected)
        throw TUsageError();
    const std::string result =
        rtl::InspectPackage(Args[1], [&](rtl::TPackage& p) { return Inspect(Args, p); });
    if (command == "palette" || command == "info") WriteLines(std::cout, result);
    else WriteFile(Args.back(), result);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const TUsageError&) {
        std::cerr << kUsage;
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "quorix-packages: ";
        WriteLines(std::cerr, e.what());
        return 1;
    }
}
