// The built packages, loaded the way the design host loads them: what they contain,
// require, register and carry.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>

#include "framework/base/ByteOrder.hpp"
#include "framework/base/Exceptions.hpp"
#include "framework/base/Properties.hpp"
#include "framework/packages/PackageInspection.hpp"
#include "framework/packages/Packages.hpp"
#include "packages/art/ImageFiles.hpp"
#include "tests/packages/TempDir.hpp"

#if defined(Quorix4_FILE) || defined(Quorix5_FILE)

namespace fs = std::filesystem;

namespace {

struct TExpected {
    const char* File;
    std::vector<std::string> Units;
    std::vector<std::string> Requires;
    std::vector<std::string> InitOrder;
    std::set<std::string> Classes;
};

std::vector<TExpected> BuiltPackages() {
    std::vector<TExpected> packages;
#ifdef Quorix4_FILE
    packages.push_back({Quorix4_FILE,
                        {"Quorix4", "ExtParser", "Quorix", "SysInit", "DBParserEdit", "CustomParserEdit",
                         "CustomDBParserEdit", "ParserEdit"},
                        {"VCLDB40", "vcl40"},
                        {"SysInit", "Quorix", "CustomParserEdit", "ParserEdit", "CustomDBParserEdit",
                         "DBParserEdit", "ExtParser"},
                        {"TQuorix", "TExtParser", "TParserEdit", "TDBParserEdit"}});
#endif
#ifdef Quorix5_FILE
    packages.push_back(
        {Quorix5_FILE, {"Quorix5", "Quorix", "SysInit"}, {"vcl50"}, {"SysInit", "Quorix"}, {"TQuorix"}});
#endif
    return packages;
}

std::vector<std::string> Strings(std::span<const char* const> Items) { return {Items.begin(), Items.end()}; }

std::string UpperCase(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Palette entries a package added, as page and class name.
std::vector<std::pair<std::string, std::string>> PaletteOf(const rtl::TPackage& Package) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (const rtl::TPaletteEntry& e : rtl::Palette())
        if (e.Module == &Package.Module()) entries.emplace_back(e.Page, e.ComponentClass->ClassName);
    return entries;
}

class Packages : public ::testing::Test {
protected:
    void TearDown() override { rtl::UnloadPackages(); }
};

}  // namespace

TEST_F(Packages, RegisterExactlyTheirComponentsOnTheMathPage) {
    for (const TExpected& expected : BuiltPackages()) {
        rtl::TPackage& package = rtl::LoadPackage(expected.File);
        EXPECT_TRUE(PaletteOf(package).empty()) << "nothing is registered at load time";
        package.Register();
        package.Register();  // a second call adds nothing
        std::set<std::string> classes;
        for (const auto& [page, cls] : PaletteOf(package)) {
            EXPECT_EQ(page, "Math");
            classes.insert(cls);
        }
        EXPECT_EQ(PaletteOf(package).size(), expected.Classes.size()) << expected.File;
        EXPECT_EQ(classes, expected.Classes) << "never the custom base classes";
        rtl::UnloadPackage(package);
    }
}

TEST_F(Packages, DescribeTheirUnitsRequirementsAndStartOrder) {
    for (const TExpected& expected : BuiltPackages()) {
        const rtl::TPackage& package = rtl::LoadPackage(expected.File);
        const rtl::TPackageInfoTable& info = package.Info();
        EXPECT_EQ(Strings(info.Units), expected.Units);
        EXPECT_EQ(Strings(info.Requires), expected.Requires);
        std::vector<std::string> order;
        for (const rtl::TUnitInit& unit : info.InitOrder) order.emplace_back(unit.Name);
        EXPECT_EQ(order, expected.InitOrder);
        EXPECT_EQ(info.Flags, rtl::pfNeverBuild) << "usable at design and at run time, never rebuilt";
        EXPECT_EQ(package.Module().Version().Text(), "2.1.0.0");
        EXPECT_EQ(package.Module().Description(), "Quorix expression-evaluating components");
        const auto version =
            package.Module().FindResource(rtl::TResourceType::Version, rtl::kVersionResource);
        ASSERT_TRUE(version);
        EXPECT_EQ(rtl::ReadVersionInfo(*version).ProductVersion.Text(), "2.1.0.0");
        // Every unit with a Register entry is one that registers a class.
        EXPECT_EQ(package.RegisteringUnits().size(), expected.Classes.size());
    }
}

TEST_F(Packages, CarryOneSixteenColourGlyphPerRegisteredClassAndA32PixelIcon) {
    for (const TExpected& expected : BuiltPackages()) {
        const rtl::TPackage& package = rtl::LoadPackage(expected.File);
        std::set<std::string> expectedNames;
        for (const std::string& cls : expected.Classes) expectedNames.insert(UpperCase(cls));
        const auto names = package.Module().ResourceNames(rtl::TResourceType::Bitmap);
        EXPECT_EQ(names.size(), expected.Classes.size()) << "exactly one glyph per class";
        EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), expectedNames);
        for (const std::string& name : names) {
            const auto glyph =
                quorix::art::DecodeBmp(*package.Module().FindResource(rtl::TResourceType::Bitmap, name));
            EXPECT_EQ(glyph.Width, 24) << name;
            EXPECT_EQ(glyph.Height, 24) << name;
            EXPECT_EQ(glyph.BitCount, 4) << name;
            EXPECT_EQ(glyph.Palette.size(), 16u) << name;
            EXPECT_EQ(glyph.Colour(0, 23), (quorix::art::TRgb{255, 255, 255}))
                << name << ": lower-left pixel";
            EXPECT_GT(std::set<uint8_t>(glyph.Indices.begin(), glyph.Indices.end()).size(), 2u) << name;
        }
        const auto icon = quorix::art::DecodeIco(
            *package.Module().FindResource(rtl::TResourceType::Icon, rtl::kMainIconResource));
        EXPECT_EQ(icon.Width, 32);
        EXPECT_EQ(icon.Height, 32);
        EXPECT_EQ(icon.BitCount, 4);
        EXPECT_EQ(icon.Palette.size(), 16u);
    }
}

TEST_F(Packages, ShareTheEngineGlyphBetweenBothPackages) {
#if defined(Quorix4_FILE) && defined(Quorix5_FILE)
    const rtl::TPackage& q4 = rtl::LoadPackage(Quorix4_FILE);
    const rtl::TPackage& q5 = rtl::LoadPackage(Quorix5_FILE);
    const auto a = *q4.Module().FindResource(rtl::TResourceType::Bitmap, "TQUORIX");
    const auto b = *q5.Module().FindResource(rtl::TResourceType::Bitmap, "TQUORIX");
    EXPECT_TRUE(std::ranges::equal(a, b));
    EXPECT_EQ(q4.Module().Description(), q5.Module().Description());
    // Unloading goes last loaded first and leaves nothing of either behind.
    EXPECT_EQ(rtl::LoadedPackages(), (std::vector<rtl::TPackage*>{const_cast<rtl::TPackage*>(&q4),
                                                                  const_cast<rtl::TPackage*>(&q5)}));
    rtl::UnloadPackages();
    EXPECT_TRUE(rtl::LoadedPackages().empty());
#else
    GTEST_SKIP() << "needs both packages";
#endif
}

TEST_F(Packages, RefuseToLoadTwice) {
    const TExpected expected = BuiltPackages().front();
    rtl::LoadPackage(expected.File);
    EXPECT_THROW(rtl::LoadPackage(expected.File), rtl::EPackageError);
    EXPECT_EQ(rtl::LoadedPackages().size(), 1u);
}

TEST_F(Packages, LeaveThePaletteAndTheLoadedListWhenUnloaded) {
    const TExpected expected = BuiltPackages().front();
    rtl::TPackage& package = rtl::LoadPackage(expected.File);
    const size_t before = rtl::Palette().size() - PaletteOf(package).size();
    package.Register();
    EXPECT_EQ(rtl::Palette().size(), before + expected.Classes.size());
    rtl::UnloadPackage(package);
    EXPECT_EQ(rtl::Palette().size(), before);
    EXPECT_TRUE(rtl::LoadedPackages().empty());
}

// ---- Inspection in a child process ------------------------------------------------

// Whatever goes wrong in the child that loads the package ends as an EPackageError in
// the caller, which never loads the package itself.
TEST(InspectPackage, AnswersFromTheChildOrEndsItsFailureInAnError) {
    const std::string file = BuiltPackages().front().File;
    const auto name = [](rtl::TPackage& Package) { return std::string(Package.Info().Name); };
    EXPECT_EQ(rtl::InspectPackage(file, name), rtl::PackageNameOfFile(file));
    rtl::TInspectionLimits quick;
    quick.Time = std::chrono::milliseconds(300);
    quick.AnswerSize = 1000;
    struct TCase {
        std::string File, Message;
        std::function<std::string(rtl::TPackage&)> Inspect;
    } cases[] = {
        {file, "crashed the process that loaded it",
         [](rtl::TPackage&) -> std::string {
             std::raise(SIGSEGV);
             return {};
         }},
        {file, "crashed the process that loaded it", [](rtl::TPackage&) -> std::string { std::abort(); }},
        {file, "took longer than 300 ms",
         [](rtl::TPackage&) -> std::string {
             for (;;) pause();
         }},
        {file, "answered more than 1000 bytes", [](rtl::TPackage&) { return std::string(5000, 'x'); }},
        {file, "it has no such thing",
         [](rtl::TPackage&) -> std::string { throw rtl::Exception("it has no such thing"); }},
        {file + ".missing", "not found", name},
    };
    for (const TCase& c : cases) {
        try {
            rtl::InspectPackage(c.File, c.Inspect, quick);
            ADD_FAILURE() << "no error; expected: " << c.Message;
        } catch (const rtl::EPackageError& e) {
            EXPECT_NE(e.Message().find(c.Message), std::string::npos) << e.Message();
        }
    }
#ifndef __SANITIZE_ADDRESS__  // the sanitizer's shadow memory needs more address space than any limit
    // A runaway allocation meets the child's limit.
    try {
        rtl::InspectPackage(file, [](rtl::TPackage&) { return std::string(std::size_t{4} << 30, 'x'); });
        ADD_FAILURE() << "no error";
    } catch (const rtl::EPackageError& e) {
        EXPECT_NE(e.Message().find("bad_alloc"), std::string::npos) << e.Message();
    }
#endif
    EXPECT_TRUE(rtl::LoadedPackages().empty());
}

// ---- Localised resource modules ---------------------------------------------------

namespace {

// A copy of a package and its runtime libraries in a directory of its own, so that a
// satellite file can sit beside it.
std::string CopyWithRuntime(const TempDir& Dir, const std::string& sPackage) {
    for (const auto& entry : fs::directory_iterator(fs::path(sPackage).parent_path()))
        if (entry.path().filename().string().find(".so") != std::string::npos)
            fs::copy(entry.path(), Dir.Path() / entry.path().filename(), fs::copy_options::copy_symlinks);
    return Dir.File(fs::path(sPackage).filename().string());
}

void WriteSatellite(const TempDir& Dir, const std::string& sName, const std::string& sDescription) {
    const auto image = rtl::BuildResourceModule(
        {{rtl::TResourceType::Data, rtl::kDescriptionResource, rtl::ToUtf16Z(sDescription)}});
    Dir.Write(sName, std::string(image.begin(), image.end()));
}

bool IsMapped(const std::string& sFile) {
    void* handle = dlopen(sFile.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (handle != nullptr) dlclose(handle);
    return handle != nullptr;
}

bool InModuleList(const std::string& sFile) {
    return std::ranges::any_of(rtl::ModuleList(), [&](auto* m) { return m->FileName() == sFile; });
}

struct TLocale {
    explicit TLocale(const std::string& sLocale) : FSaved(rtl::ResourceLocale()) {
        rtl::SetResourceLocale(sLocale);
    }
    ~TLocale() { rtl::SetResourceLocale(FSaved); }
    std::string FSaved;
};

TEST(ImageFiles, RefusesBitmapSizesOutOfRangeIncludingTheMostNegativeHeight) {
    // Negating the most negative stored height overflowed.
    for (const uint32_t iHeight : {0x80000000u, 0u, 4097u, 0xFFFFEFFFu}) {
        std::vector<uint8_t> file{'B', 'M'};
        for (const uint32_t v : {0u, 0u, 0u}) rtl::PutU32(file, v);
        file.resize(14);
        for (const uint32_t v : {40u, 1u, iHeight}) rtl::PutU32(file, v);
        rtl::PutU16(file, 1);
        rtl::PutU16(file, 4);
        for (const uint32_t v : {0u, 0u, 0u, 0u, 0u, 0u}) rtl::PutU32(file, v);
        file.resize(file.size() + 64 + 4096 * 4);
        EXPECT_THROW(quorix::art::DecodeBmp(file), rtl::EReadError) << iHeight;
    }
}

}  // namespace

TEST_F(Packages, TakeResourcesFromASatelliteFileBesideThemWhenThereIsOne) {
    TempDir dir;
    const std::string file = CopyWithRuntime(dir, BuiltPackages().front().File);
    WriteSatellite(dir, fs::path(file).filename().string() + ".de", "Quorix-Komponenten");
    TLocale german("de_DE");
    const rtl::TPackage& package = rtl::LoadPackage(file);
    EXPECT_EQ(package.Module().ResourceModuleFile(), file + ".de");
    EXPECT_EQ(package.Module().Description(), "Quorix-Komponenten");
    // What the satellite lacks still comes from the package itself.
    EXPECT_TRUE(package.Module().FindResource(rtl::TResourceType::Bitmap, "TQUORIX"));
    EXPECT_EQ(package.Module().Version().Text(), "2.1.0.0");
}

TEST_F(Packages, LeaveTheProcessWhenUnloadedAndComeBackAfreshInTheNewLocale) {
    TempDir dir;
    const std::string file = CopyWithRuntime(dir, BuiltPackages().front().File);
    const std::string name = fs::path(file).filename().string();
    WriteSatellite(dir, name + ".de", "Quorix-Komponenten");
    WriteSatellite(dir, name + ".fr", "Composants Quorix");
    TLocale german("de_DE");
    rtl::TPackage* package = &rtl::LoadPackage(file);
    EXPECT_EQ(package->Module().Description(), "Quorix-Komponenten");
    std::vector<std::string> libraries{file};
    for (const char* runtime : package->Info().Requires)
        libraries.push_back(dir.File("lib" + std::string(runtime) + ".so"));

    rtl::UnloadPackage(*package);
    for (const std::string& library : libraries) EXPECT_FALSE(IsMapped(library)) << library;
    EXPECT_FALSE(InModuleList(file));

    rtl::SetResourceLocale("fr_FR");
    package = &rtl::LoadPackage(file);
    EXPECT_TRUE(IsMapped(file));
    EXPECT_TRUE(InModuleList(file));
    EXPECT_EQ(package->Module().ResourceModuleFile(), file + ".fr");
    EXPECT_EQ(package->Module().Description(), "Composants Quorix");
}

TEST_F(Packages, UseTheirOwnResourcesWhenTheSatelliteIsMissingOrBroken) {
    TempDir dir;
    const std::string file = CopyWithRuntime(dir, BuiltPackages().front().File);
    TLocale french("fr_FR");
    {
        const rtl::TPackage& package = rtl::LoadPackage(file);
        EXPECT_EQ(package.Module().ResourceModuleFile(), "");
        EXPECT_EQ(package.Module().ResourceModuleError(), "");
        EXPECT_EQ(package.Module().Description(), "Quorix expression-evaluating components");
        rtl::UnloadPackages();
    }
    const std::string copy = dir.File("libCopy.so");
    fs::copy(fs::canonical(file), copy);
    dir.Write("libCopy.so.fr", "QRES\xff\xff\xff\xff");
    const rtl::TPackage& package = rtl::LoadPackage(copy);
    EXPECT_EQ(package.Module().ResourceModuleFile(), "");
    EXPECT_NE(package.Module().ResourceModuleError().find("Malformed resource module"), std::string::npos);
    EXPECT_EQ(package.Module().Description(), "Quorix expression-evaluating components");
}

#endif
