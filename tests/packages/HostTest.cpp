// The design host quorix-packages, run as a user runs it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "packages/art/ImageFiles.hpp"
#include "tests/packages/CraftedLibraries.hpp"
#include "tests/packages/TempDir.hpp"

#if defined(QUORIX_PACKAGES_HOST) && (defined(Quorix4_FILE) || defined(Quorix5_FILE))

namespace fs = std::filesystem;

namespace {

struct TRun {
    int Status;
    std::string Output;  // standard output and standard error
};

TRun Host(const std::string& sArgs) {
    const std::string command = std::string(QUORIX_PACKAGES_HOST) + " " + sArgs + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return {-1, "popen failed"};
    TRun run{0, ""};
    std::array<char, 4096> buffer;
    while (size_t n = fread(buffer.data(), 1, buffer.size(), pipe)) run.Output.append(buffer.data(), n);
    const int status = pclose(pipe);
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::vector<uint8_t> ReadFile(const std::string& sFile) {
    std::ifstream in(sFile, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

#ifdef Quorix4_FILE
constexpr const char* kPackage = Quorix4_FILE;
constexpr const char* kFirstRuntime = "VCLDB40";
#else
constexpr const char* kPackage = Quorix5_FILE;
constexpr const char* kFirstRuntime = "vcl50";
#endif

}  // namespace

TEST(Host, PrintsOnePageAndClassLinePerRegisteredClass) {
#ifdef Quorix4_FILE
    const TRun q4 = Host(std::string("palette ") + Quorix4_FILE);
    EXPECT_EQ(q4.Status, 0) << q4.Output;
    EXPECT_EQ(q4.Output, "Math\tTExtParser\nMath\tTQuorix\nMath\tTDBParserEdit\nMath\tTParserEdit\n");
#endif
#ifdef Quorix5_FILE
    const TRun q5 = Host(std::string("palette ") + Quorix5_FILE);
    EXPECT_EQ(q5.Status, 0) << q5.Output;
    EXPECT_EQ(q5.Output, "Math\tTQuorix\n");
#endif
}

TEST(Host, ShowsThePackageInformation) {
    const TRun run = Host(std::string("info ") + kPackage);
    EXPECT_EQ(run.Status, 0) << run.Output;
    for (const char* line : {"Description: Quorix expression-evaluating components\n", "Version: 2.1.0.0\n",
                             "Flags: design and run time, never rebuilt implicitly\n"})
        EXPECT_NE(run.Output.find(line), std::string::npos) << line << " in\n" << run.Output;
#ifdef Quorix4_FILE
    EXPECT_NE(run.Output.find("Requires: VCLDB40, vcl40\n"), std::string::npos) << run.Output;
#endif
}

TEST(Host, WritesGlyphsAndTheIconAsStoredOrAsPng) {
    TempDir dir;
    struct TCase {
        std::string Args, Out;
        int Width;
    };
    const TCase cases[] = {
        {"glyph " + std::string(kPackage) + " TQUORIX", dir.File("tquorix.bmp"), 24},
        {"glyph " + std::string(kPackage) + " tquorix", dir.File("tquorix.PNG"), 24},
        {"icon " + std::string(kPackage), dir.File("icon.ico"), 32},
        {"icon " + std::string(kPackage), dir.File("icon.png"), 32},
    };
    for (const TCase& c : cases) {
        const TRun run = Host(c.Args + " " + c.Out);
        ASSERT_EQ(run.Status, 0) << c.Args << ": " << run.Output;
        const auto bytes = ReadFile(c.Out);
        ASSERT_GT(bytes.size(), 24u) << c.Out;
        const std::string ext = fs::path(c.Out).extension().string();
        if (ext == ".bmp") {
            EXPECT_EQ(quorix::art::DecodeBmp(bytes).Width, c.Width);
        } else if (ext == ".ico") {
            EXPECT_EQ(quorix::art::DecodeIco(bytes).Width, c.Width);
        } else {
            EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 4), "PNG") << c.Out;
            EXPECT_EQ(bytes[16] << 24 | bytes[17] << 16 | bytes[18] << 8 | bytes[19], c.Width) << c.Out;
        }
    }
}

TEST(Host, ReportsFailuresWithAClearMessageAndStatus) {
    TempDir dir;
    // The package alone, away from the runtime libraries it requires.
    const std::string lonely = dir.File(fs::path(kPackage).filename().string());
    fs::copy(fs::canonical(kPackage), lonely);
    dir.Write("libText.so", "hello!");
    struct TCase {
        std::string Args;
        int Status;
        std::string Message;
    };
    const TCase cases[] = {
        {"palette " + lonely, 1,
         std::string("it requires the runtime package ") + kFirstRuntime + " (lib" + kFirstRuntime + ".so)"},
        {"glyph " + std::string(kPackage) + " TCUSTOMPARSEREDIT " + dir.File("x.bmp"), 1,
         "has no glyph TCUSTOMPARSEREDIT"},
        {"info " + dir.File("libNone.so"), 1, "not found"},
        {"info " + dir.Path().string(), 1, "is a directory"},
        {"info /dev/zero", 1, "is not a regular file"},
        {"info " + dir.File("libText.so"), 1, "not an ELF file"},
        {"glyph " + std::string(kPackage) + " TQUORIX " + dir.File("no/such/dir.bmp"), 1, "Cannot write"},
        {"", 2, "usage:"},
        {"palette", 2, "usage:"},
        {"paint " + std::string(kPackage), 2, "usage:"},
    };
    for (const TCase& c : cases) {
        const TRun run = Host(c.Args);
        EXPECT_EQ(run.Status, c.Status) << c.Args << ": " << run.Output;
        EXPECT_NE(run.Output.find(c.Message), std::string::npos) << c.Args << ": " << run.Output;
    }
    EXPECT_FALSE(fs::exists(dir.File("x.bmp")));
}

// Every crafted file is answered with an error message and status 1: the loader
// crashes in the process that loads the package, not in the host, and a search
// bomb is refused before any directory is read.
TEST(Host, AnswersCraftedLibrariesWithAnError) {
    TempDir dir;
    auto cases = crafted::BadDynamicEntries();
    for (crafted::TCrafted& bomb : crafted::SearchBombs()) cases.push_back(std::move(bomb));
    for (const crafted::TCrafted& c : cases) {
        dir.Write("libCrafted.so", c.Image);
        for (const char* command : {"info ", "palette "}) {
            const TRun run = Host(command + dir.File("libCrafted.so"));
            EXPECT_EQ(run.Status, 1) << c.Name << ": " << run.Output;
            EXPECT_EQ(run.Output.rfind("quorix-packages: ", 0), 0u) << c.Name << ": " << run.Output;
        }
        if (c.Name.starts_with("it") || c.Name.starts_with("a ")) {
            EXPECT_NE(Host("info " + dir.File("libCrafted.so")).Output.find(c.Name), std::string::npos)
                << c.Name;
        }
    }
}

// Copies of a real package with random bits flipped in their headers and dynamic
// tables, beside the runtime libraries it needs: whatever each copy does to the
// loader, every command ends with the package's answer or an error message.
TEST(Host, NeverCrashesOnAPackageWithFlippedBits) {
    TempDir dir;
    for (const auto& entry : fs::directory_iterator(fs::path(kPackage).parent_path()))
        if (entry.path().filename().string().find(".so") != std::string::npos)
            fs::copy(entry.path(), dir.Path() / entry.path().filename(), fs::copy_options::copy_symlinks);
    const auto bytes = ReadFile(fs::canonical(kPackage).string());
    const std::string image(bytes.begin(), bytes.end());
    int failures = 0;
    for (unsigned seed = 0; seed < 10; ++seed) {
        const std::string name = "libFlipped" + std::to_string(seed) + ".so";
        dir.Write(name, crafted::Flipped(image, seed, 20, 12 * 1024));
        const std::string file = dir.File(name);
        for (const std::string& args : {"info " + file, "icon " + file + " " + dir.File("icon.ico")}) {
            const TRun run = Host(args);
            EXPECT_TRUE(run.Status == 0 || run.Status == 1)
                << seed << ": " << run.Status << " " << run.Output;
            if (run.Status == 1) {
                EXPECT_EQ(run.Output.rfind("quorix-packages: ", 0), 0u) << seed << ": " << run.Output;
                ++failures;
            }
        }
    }
    EXPECT_GT(failures, 0) << "the damage is seen";
}

#endif
