// Shared library files made by hand for the tests: small valid ones, ones whose
// dynamic section lies to the loader, damaged copies of a real package, and files
// that would make a naive library search run for hours.
#pragma once

#include <elf.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace crafted {

// A minimal 64-bit shared library image: one load segment mapping the whole file at
// address 0, a dynamic section with Entries, and the string table Strings after it.
inline std::string SharedLibraryImage(const std::vector<Elf64_Dyn>& Entries, const std::string& Strings) {
    const uint64_t dynamicAt = sizeof(Elf64_Ehdr) + 2 * sizeof(Elf64_Phdr);
    const uint64_t dynamicSize = (Entries.size() + 3) * sizeof(Elf64_Dyn);
    const uint64_t stringsAt = dynamicAt + dynamicSize;
    const uint64_t fileSize = stringsAt + Strings.size();
    Elf64_Ehdr header{};
    std::memcpy(header.e_ident, ELFMAG, SELFMAG);
    header.e_ident[EI_CLASS] = ELFCLASS64;
    header.e_ident[EI_DATA] = ELFDATA2LSB;
    header.e_ident[EI_VERSION] = EV_CURRENT;
    header.e_type = ET_DYN;
    header.e_machine = EM_X86_64;
    header.e_version = EV_CURRENT;
    header.e_phoff = sizeof(Elf64_Ehdr);
    header.e_ehsize = sizeof(Elf64_Ehdr);
    header.e_phentsize = sizeof(Elf64_Phdr);
    header.e_phnum = 2;
    Elf64_Phdr segments[2] = {};
    segments[0] = {PT_LOAD, PF_R | PF_W, 0, 0, 0, fileSize, fileSize, 0x1000};
    segments[1] = {PT_DYNAMIC, PF_R | PF_W, dynamicAt, dynamicAt, dynamicAt, dynamicSize, dynamicSize, 8};
    std::vector<Elf64_Dyn> dynamic = Entries;
    dynamic.push_back({DT_STRTAB, {stringsAt}});
    dynamic.push_back({DT_STRSZ, {Strings.size()}});
    dynamic.push_back({DT_NULL, {0}});
    std::string image(reinterpret_cast<const char*>(&header), sizeof header);
    image.append(reinterpret_cast<const char*>(segments), sizeof segments);
    image.append(reinterpret_cast<const char*>(dynamic.data()), dynamic.size() * sizeof(Elf64_Dyn));
    return image + Strings;
}

inline std::vector<Elf64_Dyn> Repeated(int64_t Tag, std::size_t Count, uint64_t Value) {
    return std::vector<Elf64_Dyn>(Count, Elf64_Dyn{Tag, {Value}});
}

struct TCrafted {
    std::string Name;  // what is wrong with it
    std::string Image;
};

// Libraries that need only the C library and pass every check of their names, but
// whose dynamic section points the loader at tables far outside the file, or at
// code that is no code. Each crashed the loader of the host that opened it.
inline std::vector<TCrafted> BadDynamicEntries() {
    const std::string strings("\0libc.so.6\0", 11);
    const uint64_t farAway = 0x7fff0000;
    const Elf64_Dyn libc{DT_NEEDED, {1}};
    return {
        {"hash table far away", SharedLibraryImage({libc, {DT_HASH, {farAway}}}, strings)},
        {"GNU hash table far away", SharedLibraryImage({libc, {DT_GNU_HASH, {farAway}}}, strings)},
        {"symbol table far away",
         SharedLibraryImage({libc, {DT_SYMTAB, {farAway}}, {DT_HASH, {0}}}, strings)},
        {"initializer in the headers", SharedLibraryImage({libc, {DT_INIT, {0x40}}}, strings)},
        {"relocations far away",
         SharedLibraryImage({libc, {DT_RELA, {farAway}}, {DT_RELASZ, {240}}, {DT_RELAENT, {24}}}, strings)},
    };
}

// Files that make a search in every directory for every library run for hours or
// take gigabytes, unless the reader bounds what it accepts.
inline std::vector<TCrafted> SearchBombs() {
    std::string dirs = "/a";
    while (dirs.size() + 3 < 4096) dirs += ":/a";
    std::string origins = "$ORIGIN";
    for (int i = 1; i < 585; ++i) origins += ":$ORIGIN";
    std::string joined;  // one directory: 585 origins in a row
    for (int i = 0; i < 585; ++i) joined += "$ORIGIN";
    const std::string libc("\0libc.so.6\0", 11);
    auto many = Repeated(DT_NEEDED, 2048, 1);
    const auto paths = Repeated(DT_RUNPATH, 2047, libc.size());
    many.insert(many.end(), paths.begin(), paths.end());
    auto origin = Repeated(DT_RUNPATH, 4094, libc.size());
    origin.insert(origin.begin(), {DT_NEEDED, {1}});
    return {
        {"it names too many libraries", SharedLibraryImage(many, libc + dirs + '\0')},
        {"its search path has too many directories", SharedLibraryImage(origin, libc + origins + '\0')},
        {"its search path has too many directories",
         SharedLibraryImage({{DT_NEEDED, {1}}, {DT_RUNPATH, {libc.size()}}}, libc + dirs + '\0')},
        {"a directory of its search path is too long",
         SharedLibraryImage({{DT_NEEDED, {1}}, {DT_RUNPATH, {libc.size()}}}, libc + joined + '\0')},
    };
}

// A copy of Image with Count random bits flipped among its first Span bytes.
inline std::string Flipped(std::string Image, unsigned Seed, int Count, std::size_t Span) {
    std::mt19937 random(Seed);
    std::uniform_int_distribution<std::size_t> at(0, std::min(Span, Image.size()) - 1);
    std::uniform_int_distribution<int> bit(0, 7);
    for (int i = 0; i < Count; ++i) Image[at(random)] ^= static_cast<char>(1 << bit(random));
    return Image;
}

}  // namespace crafted
