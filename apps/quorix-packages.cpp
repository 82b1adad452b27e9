// quorix-packages: loads a component package as a design host does (checks its
// requirements, loads it, runs its units' initialization, calls its Register
// entries) and shows what it found.
#include <cctype>
#include <fstream>
#include <iostream>
#include <span>
#include <string>
#include <vector>

#include "framework/Exceptions.hpp"
#include "framework/Packages.hpp"
#include "framework/Properties.hpp"
#include "packages/art/ImageFiles.hpp"

namespace {

constexpr const char* kUsage =
    "usage: quorix-packages palette FILE         one line per registered class: PAGE<TAB>CLASS\n"
    "       quorix-packages info FILE            name, description, version, units, requirements, flags\n"
    "       quorix-packages glyph FILE NAME OUT  writes the palette glyph NAME (BMP, or PNG for *.png)\n"
    "       quorix-packages icon FILE OUT        writes the package icon (ICO, or PNG for *.png)\n";

struct TUsageError {};

rtl::TPackage& LoadAndRegister(const std::string& sFile) {
    rtl::TPackage& package = rtl::LoadPackage(sFile);
    if (!package.Module().ResourceModuleError().empty())
        std::cerr << "quorix-packages: warning: " << package.Module().ResourceModuleError() << '\n';
    package.Register();
    return package;
}

std::string Join(std::span<const char* const> Items) {
    std::string text;
    for (const char* item : Items) text += (text.empty() ? "" : ", ") + std::string(item);
    return text;
}

std::string Flags(uint32_t Flags) {
    std::string text = Flags & rtl::pfDesignOnly ? "design time only"
                     : Flags & rtl::pfRunOnly    ? "run time only"
                                                 : "design and run time";
    if (Flags & rtl::pfNeverBuild) text += ", never rebuilt implicitly";
    return text;
}

void ShowPalette(const rtl::TPackage& Package) {
    for (const rtl::TPaletteEntry& entry : rtl::Palette())
        if (entry.Module == &Package.Module())
            std::cout << entry.Page << '\t' << entry.ComponentClass->ClassName << '\n';
}

void ShowInfo(const rtl::TPackage& Package) {
    const rtl::TPackageInfoTable& info = Package.Info();
    std::cout << "Name: " << info.Name << '\n'
              << "Description: " << Package.Module().Description() << '\n'
              << "Version: " << Package.Module().Version().Text() << '\n'
              << "Units: " << Join(info.Units) << '\n'
              << "Requires: " << Join(info.Requires) << '\n'
              << "Flags: " << Flags(info.Flags) << '\n';
    if (!Package.Module().ResourceModuleFile().empty())
        std::cout << "Localised resources: " << Package.Module().ResourceModuleFile() << '\n';
}

bool EndsWithPng(const std::string& sFile) {
    if (sFile.size() < 4) return false;
    std::string tail = sFile.substr(sFile.size() - 4);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".png";
}

// Writes a BMP or ICO resource as it is stored, or converted to PNG.
void WritePicture(std::span<const uint8_t> Data, bool bIcon, const std::string& sOut) {
    std::vector<uint8_t> bytes(Data.begin(), Data.end());
    if (EndsWithPng(sOut))
        bytes = quorix::art::EncodePng(bIcon ? quorix::art::DecodeIco(Data) : quorix::art::DecodeBmp(Data));
    std::ofstream out(sOut, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw rtl::Exception("Cannot write " + sOut);
}

void WriteGlyph(const rtl::TPackage& Package, const std::string& sName, const std::string& sOut) {
    const auto glyph = Package.Module().FindResource(rtl::TResourceType::Bitmap, sName);
    if (!glyph) {
        std::string names;
        for (const std::string& n : Package.Module().ResourceNames(rtl::TResourceType::Bitmap))
            names += (names.empty() ? "" : ", ") + n;
        throw rtl::Exception("Package " + std::string(Package.Info().Name) + " has no glyph " + sName +
                             " (its glyphs: " + names + ")");
    }
    WritePicture(*glyph, false, sOut);
}

void WriteIcon(const rtl::TPackage& Package, const std::string& sOut) {
    const auto icon = Package.Module().FindResource(rtl::TResourceType::Icon, rtl::kMainIconResource);
    if (!icon) throw rtl::Exception("Package " + std::string(Package.Info().Name) + " has no icon");
    WritePicture(*icon, true, sOut);
}

int Run(const std::vector<std::string>& Args) {
    if (Args.size() < 2) throw TUsageError();
    const std::string& command = Args[0];
    const size_t expected = command == "glyph" ? 4 : command == "icon" ? 3 : 2;
    if ((command != "palette" && command != "info" && command != "glyph" && command != "icon") ||
        Args.size() != expected)
        throw TUsageError();
    rtl::TPackage& package = LoadAndRegister(Args[1]);
    if (command == "palette") ShowPalette(package);
    if (command == "info") ShowInfo(package);
    if (command == "glyph") WriteGlyph(package, Args[2], Args[3]);
    if (command == "icon") WriteIcon(package, Args[2]);
    rtl::UnloadPackages();
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
        std::cerr << "quorix-packages: " << e.what() << '\n';
        return 1;
    }
}
