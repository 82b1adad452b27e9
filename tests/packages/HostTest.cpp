// The design host quorix-packages, run as a user runs it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "packages/art/ImageFiles.hpp"
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

#endif
