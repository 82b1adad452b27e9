#include "framework/packages/ModuleFile.hpp"

#include <dlfcn.h>
#include <elf.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <unordered_set>

#include "framework/base/Exceptions.hpp"

namespace rtl {

namespace {

// Library names and search paths are short and few; longer ones, or more of them
// than any real library lists, mark a damaged or hostile file, whose reading and
// whose search for libraries must stay cheap.
constexpr uint64_t kMaxNameLength = 4096;
constexpr std::size_t kMaxNeeded = 64;  // twice what the largest system libraries name
constexpr std::size_t kMaxSearchDirs = 64;
constexpr std::size_t kMaxDirLength = 4096;  // a directory of the search path, $ORIGIN expanded

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

    // Up to Size bytes from the file's start; fewer when the file is shorter.
    std::string Prefix(uint64_t Size) { return ReadBlock(0, std::min(Size, FSize)); }

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

// "$ORIGIN/lib" -> "/opt/app/lib". Searching on after each replacement: the origin
// may itself contain "$ORIGIN". Returns false when the result would be too long.
bool ExpandOrigin(std::string& sDir, const std::string& sOrigin) {
    for (const char* token : {"${ORIGIN}", "$ORIGIN"}) {
        const std::size_t tokenLength = std::strlen(token);
        for (size_t at = 0; (at = sDir.find(token, at)) != std::string::npos; at += sOrigin.size()) {
            if (sDir.size() - tokenLength + sOrigin.size() > kMaxDirLength) return false;
            sDir.replace(at, tokenLength, sOrigin);
        }
    }
    return true;
}

// Adds the directories of a colon-separated search path.
void SplitPath(TElfReader& Elf, const std::string& sPath, const std::string& sOrigin,
               std::vector<std::string>& Dirs) {
    size_t start = 0;
    while (start <= sPath.size()) {
        size_t end = sPath.find(':', start);
        if (end == std::string::npos) end = sPath.size();
        std::string dir = sPath.substr(start, end - start);
        if (!ExpandOrigin(dir, sOrigin)) Elf.Fail("a directory of its search path is too long");
        if (!dir.empty()) Dirs.push_back(std::move(dir));
        if (Dirs.size() > kMaxSearchDirs) Elf.Fail("its search path has too many directories");
        start = end + 1;
    }
}

// The directories the loader searches for every library, as it reports them for the
// C library, which has no run path of its own: LD_LIBRARY_PATH and the system's
// directories. (This program's run path serves its own libraries only.)
std::vector<std::string> LoaderSearchPath() {
    std::vector<std::string> dirs;
    void* libc = dlopen("libc.so.6", RTLD_LAZY | RTLD_NOLOAD);
    Dl_serinfo size{};
    if (libc && dlinfo(libc, RTLD_DI_SERINFOSIZE, &size) == 0) {
        const std::unique_ptr<Dl_serinfo, decltype(&std::free)> info(
            static_cast<Dl_serinfo*>(std::malloc(size.dls_size)), &std::free);
        if (info) {
            *info = size;
            if (dlinfo(libc, RTLD_DI_SERINFO, info.get()) == 0)
                for (unsigned i = 0; i < info->dls_cnt; ++i) dirs.emplace_back(info->dls_serpath[i].dls_name);
        }
    }
    if (libc) dlclose(libc);
    return dirs;
}

// Whatever else the loader would find (a library already loaded, one in a directory
// known only to its cache): ask it, without binding any symbol.
bool LoaderFinds(const std::string& sName) {
    if (void* loaded = dlopen(sName.c_str(), RTLD_LAZY | RTLD_NOLOAD)) {
        dlclose(loaded);
        return true;
    }
    if (void* probe = dlopen(sName.c_str(), RTLD_LAZY | RTLD_LOCAL)) {
        dlclose(probe);
        return true;
    }
    return false;
}

}  // namespace

TModuleDependencies ReadModuleDependencies(const std::string& sFileName) {
    TElfReader elf(sFileName);
    // The magic first: a short file of text is no ELF file rather than a truncated one.
    const std::string magic = elf.Prefix(SELFMAG);
    if (magic.size() < SELFMAG || std::memcmp(magic.data(), ELFMAG, SELFMAG) != 0)
        elf.Fail("it is not an ELF file");
    const auto header = elf.Read<Elf64_Ehdr>(0);
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
    if (needed.size() > kMaxNeeded) elf.Fail("it names too many libraries");
    if (runPath.size() + rPath.size() > kMaxSearchDirs) elf.Fail("its search path has too many directories");

    const std::string strings = elf.ReadBlock(strtabOffset, strsz);
    auto text = [&](uint64_t offset) {
        if (offset >= strings.size()) elf.Fail("a name lies outside its string table");
        const char* first = strings.data() + offset;
        const std::size_t room = std::min<std::size_t>(strings.size() - offset, kMaxNameLength + 1);
        const auto* end = static_cast<const char*>(std::memchr(first, '\0', room));
        if (!end)
            elf.Fail(room > kMaxNameLength ? "a name is too long" : "a name runs past its string table");
        return std::string(first, end);
    };
    const std::string origin =
        std::filesystem::absolute(std::filesystem::path(sFileName)).parent_path().string();
    TModuleDependencies result;
    for (uint64_t offset : needed) result.Needed.push_back(text(offset));
    // As the loader does: RPATH only counts when there is no RUNPATH.
    for (uint64_t offset : runPath.empty() ? rPath : runPath)
        SplitPath(elf, text(offset), origin, result.SearchPath);
    return result;
}

std::optional<std::string> FindMissingLibrary(const TModuleDependencies& Needs) {
    const auto isPath = [](const std::string& sName) { return sName.find('/') != std::string::npos; };
    std::unordered_set<std::string> sought;  // each name once, however often it is needed
    for (const std::string& name : Needs.Needed)
        if (!isPath(name)) sought.insert(name);
    // Each directory is read once, whatever the number of libraries sought in it and
    // however many names the search path gives it.
    std::set<std::pair<dev_t, ino_t>> searched;
    std::error_code ec;
    const auto search = [&](const std::vector<std::string>& Dirs) {
        for (const std::string& dir : Dirs) {
            struct stat identity {};
            if (sought.empty()) return;
            if (stat(dir.c_str(), &identity) != 0 ||
                !searched.insert({identity.st_dev, identity.st_ino}).second)
                continue;
            for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
                const std::string name = it->path().filename().string();
                std::error_code typeError;
                if (sought.contains(name) && it->is_regular_file(typeError)) sought.erase(name);
            }
        }
    };
    // The file's own search path first, then the loader's: loading a library only to
    // learn whether it exists would run its code.
    search(Needs.SearchPath);
    search(LoaderSearchPath());
    std::unordered_set<std::string> asked;
    for (const std::string& name : Needs.Needed) {
        if (isPath(name) ? !std::filesystem::is_regular_file(name, ec)
                         : sought.contains(name) && asked.insert(name).second && !LoaderFinds(name))
            return name;
    }
    return std::nullopt;
}

}  // namespace rtl
