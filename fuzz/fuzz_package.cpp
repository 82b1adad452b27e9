// What a package host reads from files it is handed: resource modules (a package's
// own or a satellite), version blocks, UTF-16 texts, BMP and ICO glyphs, and the
// dependency list of a shared library file.
//
// Properties:
// - malformed input raises EPackageError or EReadError, never anything else;
// - every resource found lies inside the image, and a module rebuilt from what was
//   read reads back to the same resources in the same order;
// - a decoded image has one palette index per pixel, each inside its palette, and
//   encodes to PNG;
// - the dependency reader names at most a bounded number of libraries and search
//   directories, each short;
// - the host's inspection of a library file (loading it in a child process) ends
//   with an answer or EPackageError, never by taking the caller down.
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "framework/base/Exceptions.hpp"
#include "framework/packages/ModuleFile.hpp"
#include "framework/packages/PackageInspection.hpp"
#include "framework/packages/Packages.hpp"
#include "framework/packages/Resources.hpp"
#include "framework/packages/VersionInfo.hpp"
#include "fuzz/FuzzSupport.hpp"
#include "packages/art/ImageFiles.hpp"

namespace {

using quorix::fuzz::Require;

constexpr rtl::TResourceType Types[] = {rtl::TResourceType::Bitmap, rtl::TResourceType::Icon,
                                        rtl::TResourceType::Data, rtl::TResourceType::Version};

// Runs Read; a clear refusal of malformed bytes is fine, any other exception is a finding.
template <class F>
void Refusable(F Read) {
    try {
        Read();
    } catch (const rtl::EPackageError&) {
    } catch (const rtl::EReadError&) {}
}

bool Inside(std::span<const uint8_t> Part, std::span<const uint8_t> Whole) {
    return Part.empty() ||
           (Part.data() >= Whole.data() && Part.data() + Part.size() <= Whole.data() + Whole.size());
}

void CheckImage(const quorix::art::TIndexedImage& Image) {
    Require(Image.Width > 0 && Image.Height > 0, "a decoded image has a size");
    Require(Image.Indices.size() ==
                static_cast<std::size_t>(Image.Width) * static_cast<std::size_t>(Image.Height),
            "one index per pixel");
    for (const uint8_t iIndex : Image.Indices)
        Require(iIndex < Image.Palette.size(), "indices lie inside the palette");
    Require(!quorix::art::EncodePng(Image).empty(), "a decoded image encodes");
}

void CheckResource(rtl::TResourceType Type, std::span<const uint8_t> Data) {
    switch (Type) {
        case rtl::TResourceType::Bitmap: Refusable([&] { CheckImage(quorix::art::DecodeBmp(Data)); }); break;
        case rtl::TResourceType::Icon: Refusable([&] { CheckImage(quorix::art::DecodeIco(Data)); }); break;
        case rtl::TResourceType::Data: Refusable([&] { rtl::FromUtf16Z(Data); }); break;
        case rtl::TResourceType::Version: Refusable([&] { rtl::ReadVersionInfo(Data); }); break;
    }
}

void CheckModule(std::span<const uint8_t> Image) {
    Refusable([&] {
        const rtl::TResourceModule Module = rtl::TResourceModule::FromImage(Image);
        std::vector<rtl::TResource> Read;
        for (const rtl::TResourceType Type : Types)
            for (const std::string& sName : Module.Names(Type)) {
                const auto Data = Module.Find(Type, sName);
                Require(Data.has_value(), "every listed name is found");
                Require(Inside(*Data, Image), "a resource lies inside its image");
                CheckResource(Type, *Data);
                // Find answers the first of equal names; rebuilding keeps that one.
                Read.push_back({Type, sName, std::vector<uint8_t>(Data->begin(), Data->end())});
            }
        const std::vector<uint8_t> Rebuilt = rtl::BuildResourceModule(Read);
        const rtl::TResourceModule Again = rtl::TResourceModule::FromImage(Rebuilt);
        for (const rtl::TResource& Resource : Read) {
            const auto Data = Again.Find(Resource.Type, Resource.Name);
            Require(
                Data && std::equal(Data->begin(), Data->end(), Resource.Data.begin(), Resource.Data.end()),
                "a rebuilt module holds what was read");
        }
    });
}

// The dependency reader takes a file name, as the host does.
void CheckLibraryFile(std::span<const uint8_t> Bytes) {
    struct TScratch {
        std::string sName = "/tmp/quorix-fuzz-package-" + std::to_string(getpid()) + ".so";
        ~TScratch() { std::remove(sName.c_str()); }
    };
    static const TScratch Scratch;
    const std::string& sFile = Scratch.sName;
    std::FILE* pFile = std::fopen(sFile.c_str(), "wb");
    Require(pFile != nullptr, "the scratch file opens");
    const std::size_t iWritten = std::fwrite(Bytes.data(), 1, Bytes.size(), pFile);
    std::fclose(pFile);
    Require(iWritten == Bytes.size(), "the scratch file is written");
    Refusable([&] {
        const rtl::TModuleDependencies Needs = rtl::ReadModuleDependencies(sFile);
        Require(Needs.Needed.size() <= 64, "a bounded number of libraries");
        for (const std::string& sName : Needs.Needed)
            Require(sName.size() <= 4096, "library names are short");
        Require(Needs.SearchPath.size() <= 64, "a bounded search path");
        for (const std::string& sDir : Needs.SearchPath)
            Require(sDir.size() <= 4096, "search directories are short");
        // What the host does with it: load it in a child process and register it there.
        rtl::InspectPackage(sFile,
                            [](rtl::TPackage& Package) {
                                Package.Register();
                                return std::string(Package.Info().Name);
                            },
                            {std::chrono::seconds(5)});
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t iSize) {
    const std::span<const uint8_t> Bytes(pData, iSize);
    CheckModule(Bytes);
    for (const rtl::TResourceType Type : Types) CheckResource(Type, Bytes);
    CheckLibraryFile(Bytes);
    return 0;
}
