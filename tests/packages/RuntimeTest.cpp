// The package runtime on its own: palette, unit start and stop, resource modules,
// satellite files, version information and the reading of library files.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <elf.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "framework/base/Exceptions.hpp"
#include "framework/base/Properties.hpp"
#include "framework/packages/ModuleFile.hpp"
#include "framework/packages/Packages.hpp"
#include "tests/packages/CraftedLibraries.hpp"
#include "tests/packages/TempDir.hpp"

namespace fs = std::filesystem;

namespace {

// Runs Action and expects an EPackageError whose message contains sMessage.
template <class F>
void ExpectPackageError(F Action, const std::string& sMessage) {
    try {
        Action();
        ADD_FAILURE() << "no error; expected: " << sMessage;
    } catch (const rtl::EPackageError& e) {
        EXPECT_NE(e.Message().find(sMessage), std::string::npos) << e.Message();
    }
}

rtl::TClassInfo Named(const std::string& sName) {
    rtl::TClassInfo info;
    info.ClassName = sName;
    return info;
}

std::vector<const rtl::TPaletteEntry*> EntriesFrom(size_t First) {
    std::vector<const rtl::TPaletteEntry*> entries;
    for (size_t i = First; i < rtl::Palette().size(); ++i) entries.push_back(&rtl::Palette()[i]);
    return entries;
}

}  // namespace

TEST(Palette, KeepsClassesInRegistrationOrderOnTheirPages) {
    static const rtl::TClassInfo first = Named("TFirst"), second = Named("TSecond"), third = Named("TThird");
    const size_t before = rtl::Palette().size();
    rtl::RegisterComponents("Math", {&first, &second});
    rtl::RegisterComponents("Other", {&third});
    const auto added = EntriesFrom(before);
    ASSERT_EQ(added.size(), 3u);
    EXPECT_EQ(added[0]->ComponentClass, &first);
    EXPECT_EQ(added[1]->ComponentClass, &second);
    EXPECT_EQ(added[2]->ComponentClass, &third);
    EXPECT_EQ(added[1]->Page, "Math");
    EXPECT_EQ(added[2]->Page, "Other");
    EXPECT_EQ(added[0]->Module, nullptr);  // not registered through a loaded package
}

TEST(Palette, RefusesBadRegistrationsWithoutAddingAnyOfTheirClasses) {
    static const rtl::TClassInfo fresh = Named("TFresh"), taken = Named("TTaken");
    rtl::RegisterComponents("Math", {&taken});
    const size_t before = rtl::Palette().size();
    struct TCase {
        std::string Page;
        std::vector<const rtl::TClassInfo*> Classes;
        std::string Message;
    };
    const TCase cases[] = {
        {"", {&fresh}, "the page name is empty"},
        {"Math", {&fresh, nullptr}, "a class reference is nil"},
        {"Math", {&fresh, &taken}, "Class TTaken is already on the palette"},
    };
    for (const TCase& c : cases) {
        ExpectPackageError([&] { rtl::RegisterComponents(c.Page, c.Classes); }, c.Message);
        EXPECT_EQ(rtl::Palette().size(), before) << c.Message;
    }
}

// ---- Unit start and stop ----------------------------------------------------------

namespace {

std::vector<std::string> gCalls;
bool gFailInit = false;

void InitA() { gCalls.push_back("init A"); }
void FinalA() { gCalls.push_back("final A"); }
void InitB() {
    gCalls.push_back("init B");
    if (gFailInit) throw std::runtime_error("B cannot start");
}
void FinalB() { gCalls.push_back("final B"); }
void FinalC() {
    gCalls.push_back("final C");
    throw std::runtime_error("C cannot stop");
}

constexpr rtl::TUnitInit kUnits[] = {
    {"A", InitA, FinalA}, {"Quiet", nullptr, nullptr}, {"B", InitB, FinalB}, {"C", nullptr, FinalC}};
constexpr rtl::TPackageInfoTable kTable{"Fake", 0, {}, {}, kUnits};

}  // namespace

TEST(PackageStart, InitializesInOrderAndFinalizesInReverseGivingEveryUnitItsTurn) {
    gCalls.clear();
    gFailInit = false;
    rtl::InitializePackage(kTable);
    EXPECT_EQ(gCalls, (std::vector<std::string>{"init A", "init B"}));
    gCalls.clear();
    EXPECT_THROW(rtl::FinalizePackage(kTable), std::runtime_error);
    EXPECT_EQ(gCalls, (std::vector<std::string>{"final C", "final B", "final A"}));
}

TEST(PackageStart, FinalizesTheUnitsAlreadyStartedWhenOneFailsToStart) {
    gCalls.clear();
    gFailInit = true;
    EXPECT_THROW(rtl::InitializePackage(kTable), std::runtime_error);
    EXPECT_EQ(gCalls, (std::vector<std::string>{"init A", "init B", "final A"}));
    gFailInit = false;
}

// ---- Resource modules -------------------------------------------------------------

TEST(ResourceModule, FindsResourcesByTypeAndNameWithoutRegardToCase) {
    const auto image = rtl::BuildResourceModule({
        {rtl::TResourceType::Bitmap, "TQUORIX", {1, 2, 3}},
        {rtl::TResourceType::Data, "TQUORIX", {9}},
        {rtl::TResourceType::Bitmap, "TEXTPARSER", {}},
    });
    const auto module = rtl::TResourceModule::FromImage(image);
    const auto bitmap = module.Find(rtl::TResourceType::Bitmap, "tQuorix");
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(std::vector<uint8_t>(bitmap->begin(), bitmap->end()), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(module.Find(rtl::TResourceType::Data, "TQUORIX")->size(), 1u);
    EXPECT_TRUE(module.Find(rtl::TResourceType::Bitmap, "TEXTPARSER"));
    EXPECT_FALSE(module.Find(rtl::TResourceType::Icon, "TQUORIX"));
    EXPECT_FALSE(module.Find(rtl::TResourceType::Bitmap, "TQUORIX2"));
    EXPECT_EQ(module.Names(rtl::TResourceType::Bitmap), (std::vector<std::string>{"TQUORIX", "TEXTPARSER"}));
}

TEST(ResourceModule, RefusesMalformedImages) {
    const auto good = rtl::BuildResourceModule({{rtl::TResourceType::Data, "NAME", {1, 2, 3, 4}}});
    auto withWord = [&](size_t At, uint32_t Value) {
        auto image = good;
        for (int i = 0; i < 4; ++i) image[At + i] = static_cast<uint8_t>(Value >> (8 * i));
        return image;
    };
    const std::vector<std::vector<uint8_t>> bad = {
        {},
        {'Q', 'R', 'E'},
        {'X', 'R', 'E', 'S', 0, 0, 0, 0},
        withWord(4, 1000000),                                 // more entries than bytes
        withWord(8 + 4, static_cast<uint32_t>(good.size())),  // name starts past the end
        withWord(8 + 16, 0xFFFFFFFF),                         // data runs past the end
        std::vector<uint8_t>(good.begin(), good.end() - 1),
    };
    for (size_t i = 0; i < bad.size(); ++i)
        EXPECT_THROW(rtl::TResourceModule::FromImage(bad[i]), rtl::EPackageError) << "case " << i;
}

TEST(ResourceText, RoundTripsUtf16WithItsTerminatingZero) {
    const std::string text = "Quorix \xC3\xA4 \xE2\x82\xAC \xF0\x9D\x91\xA5";  // a-umlaut, euro, math x
    const auto utf16 = rtl::ToUtf16Z(text);
    ASSERT_GE(utf16.size(), 2u);
    EXPECT_EQ(utf16[utf16.size() - 2], 0);
    EXPECT_EQ(utf16.back(), 0);
    EXPECT_EQ(utf16.size(), 2u * (13 + 1));  // the math x takes a surrogate pair
    EXPECT_EQ(rtl::FromUtf16Z(utf16), text);
    EXPECT_THROW(rtl::FromUtf16Z(std::vector<uint8_t>{'A', 0}), rtl::EPackageError);  // no zero
    EXPECT_THROW(rtl::FromUtf16Z(std::vector<uint8_t>{0x00, 0xDC, 0, 0}), rtl::EPackageError);
    // What is not UTF-8 is refused, never turned into UTF-16 that cannot be read back:
    // a cut-off sequence, an overlong form, an encoded surrogate, a value past U+10FFFF.
    for (const char* bad : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"})
        EXPECT_THROW(rtl::ToUtf16Z(bad), rtl::EConvertError) << bad;
}

TEST(VersionInfo, RoundTripsTheFixedVersionNumbers) {
    const rtl::TVersionInfo info{{2, 1, 0, 0}, {2, 1, 7, 9}, {{"ProductName", "Quorix"}}};
    const auto block = rtl::BuildVersionInfo(info);
    EXPECT_EQ(block.size() % 4, 0u);
    EXPECT_EQ(block[0] | block[1] << 8, static_cast<int>(block.size()));
    const auto read = rtl::ReadVersionInfo(block);
    EXPECT_EQ(read.FileVersion.Text(), "2.1.0.0");
    EXPECT_EQ(read.ProductVersion, (rtl::TVersionNumber{2, 1, 7, 9}));
    EXPECT_THROW(rtl::ReadVersionInfo(std::vector<uint8_t>(block.begin(), block.begin() + 50)),
                 rtl::EPackageError);
    EXPECT_THROW(rtl::ReadVersionInfo(std::vector<uint8_t>(120, 0)), rtl::EPackageError);
}

TEST(ResourceModuleFile, PrefersLanguageAndTerritoryThenLanguageAlone) {
    TempDir dir;
    const std::string module = dir.File("libPack.so");
    dir.Write("libPack.so", "");
    EXPECT_EQ(rtl::FindResourceModuleFile(module, "de_DE"), "");
    dir.Write("libPack.so.de", "");
    EXPECT_EQ(rtl::FindResourceModuleFile(module, "de_DE"), module + ".de");
    dir.Write("libPack.so.de_DE", "");
    EXPECT_EQ(rtl::FindResourceModuleFile(module, "de_DE"), module + ".de_DE");
    EXPECT_EQ(rtl::FindResourceModuleFile(module, "de_AT"), module + ".de");
    EXPECT_EQ(rtl::FindResourceModuleFile(module, "fr_FR"), "");
    EXPECT_EQ(rtl::FindResourceModuleFile(module, ""), "");
}

// ---- Library files ----------------------------------------------------------------

TEST(ModuleFile, ReadsNeededLibrariesAndTheRunPathWithOriginExpanded) {
    const auto needs = rtl::ReadModuleDependencies(QUORIX_LIBRARY_DIR "/libvcl40.so");
    EXPECT_NE(std::ranges::find(needs.Needed, "libstdc++.so.6"), needs.Needed.end());
    ASSERT_FALSE(needs.SearchPath.empty());
    EXPECT_EQ(fs::canonical(needs.SearchPath[0]), fs::canonical(QUORIX_LIBRARY_DIR));
    EXPECT_EQ(rtl::FindMissingLibrary(needs), std::nullopt);
    EXPECT_EQ(rtl::FindMissingLibrary({{"libquorix_rtl_packages.so.2"}, needs.SearchPath}), std::nullopt);
    EXPECT_EQ(rtl::FindMissingLibrary({{"libc.so.6"}, {}}), std::nullopt);
    EXPECT_EQ(rtl::FindMissingLibrary({{"libc.so.6", "libvcl99.so", "/no/libvcl98.so"}, needs.SearchPath}),
              "libvcl99.so");
}

TEST(ModuleFile, RefusesFilesThatAreNotSharedLibraries) {
    TempDir dir;
    dir.Write("text.so", "just text, long enough to hold an ELF header but it is not one at all......");
    dir.Write("short.so",
              "\x7f"
              "ELF");
    struct TCase {
        std::string File, Message;
    };
    const TCase cases[] = {
        {dir.File("missing.so"), "Cannot open"},
        {dir.File("text.so"), "not an ELF file"},
        {dir.File("short.so"), "truncated"},
    };
    for (const TCase& c : cases) ExpectPackageError([&] { rtl::ReadModuleDependencies(c.File); }, c.Message);
}

TEST(ModuleFile, ReadsAHandMadeLibraryAndRefusesDamagedNamesCheaply) {
    TempDir dir;
    const auto needs = [&](const std::vector<Elf64_Dyn>& Entries, const std::string& Strings) {
        dir.Write("lib.so", crafted::SharedLibraryImage(Entries, Strings));
        return rtl::ReadModuleDependencies(dir.File("lib.so"));
    };
    const auto tags = crafted::Repeated;
    const std::string names = std::string("\0libA.so\0", 9) + "$ORIGIN/x:/opt" + '\0';
    const auto good = needs({{DT_NEEDED, {1}}, {DT_RUNPATH, {9}}}, names);
    EXPECT_EQ(good.Needed, std::vector<std::string>{"libA.so"});
    ASSERT_EQ(good.SearchPath.size(), 2u);
    EXPECT_EQ(good.SearchPath[0], dir.File("x"));

    // Many entries naming one long string used to be read byte by byte, once for each
    // entry: a small file kept the reader busy for minutes.
    const std::string unended(1 << 20, 'n');
    const std::string ended = unended + '\0';
    ExpectPackageError([&] { needs(tags(DT_NEEDED, 60, 0), unended); }, "a name is too long");
    ExpectPackageError([&] { needs(tags(DT_NEEDED, 60, 0), ended); }, "a name is too long");
    ExpectPackageError([&] { needs(tags(DT_NEEDED, 65, 0), "libA.so"); }, "too many libraries");
    ExpectPackageError([&] { needs(tags(DT_NEEDED, 1, 0), "libA.so"); }, "runs past its string table");
    ExpectPackageError([&] { needs(tags(DT_NEEDED, 1, 99), "libA.so"); }, "outside its string table");
}

TEST(ModuleFile, ExpandsOriginOnceWhenTheDirectoryIsItselfNamedOrigin) {
    // Replacing "$ORIGIN" by a path containing "$ORIGIN" used to loop for ever.
    TempDir dir;
    const fs::path origin = dir.Path() / "$ORIGIN";
    fs::create_directory(origin);
    fs::copy_file(QUORIX_LIBRARY_DIR "/libvcl40.so", origin / "libvcl40.so");
    const auto needs = rtl::ReadModuleDependencies((origin / "libvcl40.so").string());
    ASSERT_FALSE(needs.SearchPath.empty());
    EXPECT_EQ(fs::canonical(needs.SearchPath[0]), fs::canonical(origin));
}

TEST(LoadPackage, RefusesFilesThatAreNotPackages) {
    TempDir dir;
    dir.Write("libNotThere.so", std::string(100, 'x'));
    struct TCase {
        std::string File, Message;
    };
    const TCase cases[] = {
        {dir.File("libMissing.so"), "Package file " + dir.File("libMissing.so") + " not found"},
        {dir.File("libNotThere.so"), "not an ELF file"},
        {QUORIX_LIBRARY_DIR "/libvcl40.so", "Cannot load package vcl40: it exports no package information"},
    };
    for (const TCase& c : cases) ExpectPackageError([&] { rtl::LoadPackage(c.File); }, c.Message);
    EXPECT_TRUE(rtl::LoadedPackages().empty());
}

// The failure is raised once the library is closed, so it must not be the unit's own
// exception, whose class may have left the process with the library.
TEST(UnloadPackage, ReportsAUnitThatFailsToStopAndStillClosesTheLibrary) {
    rtl::TPackage& package = rtl::LoadPackage(STOP_FAILURE_PACKAGE);
    ExpectPackageError([&] { rtl::UnloadPackage(package); },
                       "Package StopFailure: a unit failed to finalize: the unit cannot stop");
    EXPECT_TRUE(rtl::LoadedPackages().empty());
    EXPECT_EQ(dlopen(STOP_FAILURE_PACKAGE, RTLD_LAZY | RTLD_NOLOAD), nullptr);
}

TEST(LoadPackage, NamesPackagesAfterTheirFiles) {
    EXPECT_EQ(rtl::PackageNameOfFile("/opt/lib/libQuorix4.so.2.1.0"), "Quorix4");
    EXPECT_EQ(rtl::PackageNameOfFile("libVCLDB40.so"), "VCLDB40");
    EXPECT_EQ(rtl::PackageNameOfFile("Quorix5"), "Quorix5");
}
