#include "framework/ModuleFile.hpp"

#include <dlfcn.h>
#include <elf.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "framework/Exceptions.hpp"

namespace rtl {

namespace {

// Library names and search paths are short; longer ones, or more of them than any
// real library lists, mark a damaged or hostile file, whose reading must stay cheap.
constexpr uint64_t kMaxNameLength = 4096;
constexpr std::size_t kMaxNames = 4096;

class TElfReader {
public:
    explicit TElfReader(const std::string& sFileName) : FName(sFileName), FIn(sFileName, std::ios::binary) {
        if (!FIn) throw EPackageError("Cannot open " + sFileName);
        FIn.seekg(0, std::ios::end);
        FSize = static_cast<uint64_t>(FIn.tellg());
    }

    template <class T>
    T Read(uint64_t Offset) {
        T value;
        ReadInto(Offset, sizeof(T), reinterpret_cast<char*>(&value));
        return value;
    }

    // Size bytes at Offset in one read; the range must lie inside the file.
    std::string ReadBlock(uint64_t Offset, uint64_t Size) {
        std::string block(static_cast<std::size_t>(Fits(Offset, Size) ? Size : 0), '\0');
        ReadInto(Offset, Size, block.data());
        return block;
    }

    [[noreturn]] void Fail(const std::string& sWhy) {
        throw EPackageError(FName + " is not a loadable shared library: " + sWhy);
    }

private:
    bool Fits(uint64_t Offset, uint64_t Size) const { return Offset <= FSize && Size <= FSize - Offset; }

    void ReadInto(uint64_t Offset, uint64_t Size, char* pOut) {
        if (!Fits(Offset, Size)) Fail("it is truncated");
        FIn.seekg(static_cast<std::streamoff>(Offset));
        FIn.read(pOut, static_cast<std::streamsize>(Size));
        if (!FIn) Fail("it cannot be read");
    }

    std::string FName;
    std::ifstream FIn;
    uint64_t FSize = 0;
};

std::vector<std::string> SplitPath(const std::string& sPath, const std::string& sOrigin) {
    std::vector<std::string> dirs;
    size_t start = 0;
    while (start <= sPath.size()) {
        size_t end = sPath.find(':', start);
        if (end == std::string::npos) end = sPath.size();
        std::string dir = sPath.substr(start, end - start);
        // Searching on after each replacement: the origin may itself contain "$ORIGIN".
        for (const char* token : {"${ORIGIN}", "$ORIGIN"})
            for (size_t at = 0; (at = dir.find(token, at)) != std::string::npos; at += sOrigin.size())
                dir.replace(at, std::strlen(token), sOrigin);
        if (!dir.empty()) dirs.push_back(dir);
        start = end + 1;
    }
    return dirs;
}

}  // namespace

TModuleDependencies ReadModuleDependencies(const std::string& sFileName) {
    TElfReader elf(sFileName);
    const auto header = elf.Read<Elf64_Ehdr>(0);
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0) elf.Fail("it is not an ELF file");
    if (header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_ident[EI_DATA] != ELFDATA2LSB ||
        header.e_machine != EM_X86_64)
        elf.Fail("it is built for another kind of machine");
    if (header.e_type != ET_DYN) elf.Fail("it is not a shared library");

    std::vector<Elf64_Phdr> loads;
    Elf64_Phdr dynamic{};
    for (unsigned i = 0; i < header.e_phnum; ++i) {
        const auto ph = elf.Read<Elf64_Phdr>(header.e_phoff + uint64_t{i} * sizeof(Elf64_Phdr));
        if (ph.p_type == PT_LOAD) loads.push_back(ph);
        if (ph.p_type == PT_DYNAMIC) dynamic = ph;
    }
    if (dynamic.p_type != PT_DYNAMIC) elf.Fail("it has no dynamic section");

    std::vector<uint64_t> needed, runPath, rPath;
    uint64_t strtab = 0, strsz = 0;
    const std::string section = elf.ReadBlock(dynamic.p_offset, dynamic.p_filesz);
    for (std::size_t at = 0; at + sizeof(Elf64_Dyn) <= section.size(); at += sizeof(Elf64_Dyn)) {
        Elf64_Dyn entry;
        std::memcpy(&entry, section.data() + at, sizeof entry);
        if (entry.d_tag == DT_NULL) break;
        if (entry.d_tag == DT_NEEDED) needed.push_back(entry.d_un.d_val);
        if (entry.d_tag == DT_RUNPATH) runPath.push_back(entry.d_un.d_val);
        if (entry.d_tag == DT_RPATH) rPath.push_back(entry.d_un.d_val);
        if (entry.d_tag == DT_STRTAB) strtab = entry.d_un.d_ptr;
        if (entry.d_tag == DT_STRSZ) strsz = entry.d_un.d_val;
    }
    // The string table is given by address: find the file offset of the segment holding it.
    uint64_t strtabOffset = 0;
    bool mapped = false;
    for (const auto& ph : loads)
        if (strtab >= ph.p_vaddr && strtab - ph.p_vaddr < ph.p_filesz) {
            strtabOffset = ph.p_offset + (strtab - ph.p_vaddr);
            mapped = true;
        }
    if (!mapped) elf.Fail("its string table is outside the file");
    if (needed.size() + runPath.size() + rPath.size() > kMaxNames) elf.Fail("it names too many libraries");

    const std::string strings = elf.ReadBlock(strtabOffset, strsz);
    auto text = [&](uint64_t offset) {
        if (offset >= strings.size()) elf.Fail("a name lies outside its string table");
        const char* first = strings.data() + offset;
        const std::size_t room = std::min<std::size_t>(strings.size() - offset, kMaxNameLength + 1);
        const auto* end = static_cast<const char*>(std::memchr(first, '\0', room));
        if (!end) elf.Fail(room > kMaxNameLength ? "a name is too long" : "a name runs past its string table");
        return std::string(first, end);
    };
    const std::string origin =
        std::filesystem::absolute(std::filesystem::path(sFileName)).parent_path().string();
    TModuleDependencies result;
    for (uint64_t offset : needed) result.Needed.push_back(text(offset));
    // As the loader does: RPATH only counts when there is no RUNPATH.
    for (uint64_t offset : runPath.empty() ? rPath : runPath)
        for (std::string& dir : SplitPath(text(offset), origin))
            result.SearchPath.push_back(std::move(dir));
    return result;
}

bool CanLocateLibrary(const std::string& sName, const std::vector<std::string>& SearchPath) {
    std::error_code ec;
    if (sName.find('/') != std::string::npos) return std::filesystem::is_regular_file(sName, ec);
    for (const std::string& dir : SearchPath)
        if (std::filesystem::is_regular_file(std::filesystem::path(dir) / sName, ec)) return true;
    if (void* loaded = dlopen(sName.c_str(), RTLD_LAZY | RTLD_NOLOAD)) {
        dlclose(loaded);
        return true;
    }
    // Whatever else the loader would find (LD_LIBRARY_PATH, its cache, the system's
    // directories): ask it, without binding any symbol.
    if (void* probe = dlopen(sName.c_str(), RTLD_LAZY | RTLD_LOCAL)) {
        dlclose(probe);
        return true;
    }
    return false;
}

}  // namespace rtl
