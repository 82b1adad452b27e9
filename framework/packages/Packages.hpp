// The package runtime: component packages as shared libraries that a host loads.
// A package carries a package information table and its resources; it enters itself
// into the module list when it is loaded into a process. A host loads it with
// LoadPackage (which refuses a package whose required libraries cannot be found),
// calls its units' Register entries, which fill the palette through
// RegisterComponents, and unloads it again, last loaded first.
//
// This runtime is one shared library used by hosts and by every generation of the
// framework's runtime libraries alike, so a process has one palette and one module
// list whichever packages it loads.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "framework/packages/Resources.hpp"
#include "framework/packages/VersionInfo.hpp"

#define RTL_EXPORT __attribute__((visibility("default")))

namespace rtl {

struct TClassInfo;

// ---- What a package exports -------------------------------------------------------

enum TPackageFlag : uint32_t {
    pfNeverBuild = 1u << 0,  // the toolchain never rebuilds it implicitly
    pfDesignOnly = 1u << 1,
    pfRunOnly = 1u << 2,
};

// One unit in initialization order; a unit with no work of its own has null entries.
struct TUnitInit {
    const char* Name;
    void (*Initialization)();
    void (*Finalization)();
};

struct TPackageInfoTable {
    const char* Name;
    uint32_t Flags;
    std::span<const char* const> Units;     // the package's unit list, in its order
    std::span<const char* const> Requires;  // runtime packages, in order
    std::span<const TUnitInit> InitOrder;
};

// The exported names a host binds to: the package information table, and one
// registration entry per unit that registers components, "<Unit>_Register".
inline constexpr const char* kPackageInfoEntry = "GetPackageInfoTable";
std::string RegisterEntryName(const std::string& sUnit);
#define RTL_PACKAGE_INFO_ENTRY extern "C" RTL_EXPORT const rtl::TPackageInfoTable* GetPackageInfoTable()
#define RTL_REGISTER_ENTRY(Unit) extern "C" RTL_EXPORT void Unit##_Register()

// Resource names every package carries besides one palette glyph per registered
// class (a bitmap named by the upper-cased class name).
inline constexpr const char* kDescriptionResource = "DESCRIPTION";  // Data: UTF-16 text
inline constexpr const char* kVersionResource = "VERSION";          // Version
inline constexpr const char* kMainIconResource = "MAINICON";        // Icon

// ---- Module list ------------------------------------------------------------------

// A package's presence in a process. Each package holds one as a static object, so it
// lives exactly as long as the library is mapped: it finds the package's own file,
// takes a localised resource module (satellite file) for the present resource locale
// when one is beside it, and enters the module list; when the library leaves the
// process it leaves the list and releases that module. A package loaded again after
// it left gets a new one, with a new choice of satellite.
class TPackageModule {
public:
    TPackageModule(const TPackageInfoTable& Info, std::span<const uint8_t> ResourceImage);
    ~TPackageModule();
    TPackageModule(const TPackageModule&) = delete;
    TPackageModule& operator=(const TPackageModule&) = delete;

    const TPackageInfoTable& Info() const { return FInfo; }
    const std::string& FileName() const { return FFileName; }

    // Looks in the localised module first, then in the package's own resources.
    std::optional<std::span<const uint8_t>> FindResource(TResourceType Type, const std::string& sName) const;
    std::vector<std::string> ResourceNames(TResourceType Type) const;         // own resources
    const std::string& ResourceModuleFile() const { return FLocalisedFile; }  // empty: none
    // Why a satellite file beside the package was not used; empty when none failed.
    const std::string& ResourceModuleError() const { return FLocalisedError; }

    // Finds the package's description and version in its resources.
    std::string Description() const;
    TVersionNumber Version() const;

private:
    const TPackageInfoTable& FInfo;
    std::string FFileName;
    std::optional<TResourceModule> FOwn;
    std::optional<TResourceModule> FLocalised;
    std::string FLocalisedFile;
    std::string FLocalisedError;
};

const std::vector<const TPackageModule*>& ModuleList();

// ---- Palette ----------------------------------------------------------------------

struct TPaletteEntry {
    std::string Page;
    const TClassInfo* ComponentClass;
    const TPackageModule* Module;  // the package whose Register call added it, or null
};

// Adds the classes to the named page; raises EPackageError for an empty page name, a
// null class, or a class that is already on the palette.
void RegisterComponents(const std::string& sPage, std::span<const TClassInfo* const> Classes);
void RegisterComponents(const std::string& sPage, std::initializer_list<const TClassInfo*> Classes);
const std::vector<TPaletteEntry>& Palette();

// ---- Package start and stop -------------------------------------------------------

// Runs the units' initialization in order. When one raises, the units already
// initialized are finalized, last first, and the exception passes on.
void InitializePackage(const TPackageInfoTable& Info);
// Runs the finalization in reverse order; every unit gets its turn, and the first
// failure is raised afterwards.
void FinalizePackage(const TPackageInfoTable& Info);

// ---- Loading (the host's side) ----------------------------------------------------

class TPackage {
public:
    ~TPackage();
    TPackage(const TPackage&) = delete;
    TPackage& operator=(const TPackage&) = delete;

    const TPackageModule& Module() const { return *FModule; }
    const TPackageInfoTable& Info() const { return FModule->Info(); }
    const std::string& FileName() const { return FFileName; }

    // Calls the Register entry of every unit that has one, in unit-list order; the
    // classes land on the palette tagged with this package. Only the first call acts.
    void Register();
    // The units that export a Register entry, in unit-list order.
    std::vector<std::string> RegisteringUnits() const;

private:
    friend TPackage& LoadPackage(const std::string& sFileName);
    TPackage(std::string sFileName, void* Handle, const TPackageModule& Module);

    std::string FFileName;
    void* FHandle;
    const TPackageModule* FModule;
    bool FRegistered = false;
};

// Checks that every library the package needs can be found, loads it, finds its
// module and runs its units' initialization. Raises EPackageError naming the missing
// runtime package, saying why the file is not a package, or with the message of a
// unit that failed to start (the package is then closed again).
TPackage& LoadPackage(const std::string& sFileName);
// Takes its classes off the palette, finalizes its units and closes the library. When
// nothing else holds it, the library leaves the process, and with it the package's
// module (off the module list, its localised resource module released) and the
// runtime libraries only it needed; the Package reference is gone either way. A unit
// that fails to stop raises EPackageError with its message, after the library is closed.
void UnloadPackage(TPackage& Package);
void UnloadPackages();                    // every loaded package, last loaded first
std::vector<TPackage*> LoadedPackages();  // in load order

// "libQuorix4.so.2.1.0" -> "Quorix4": the package or runtime-package name of a file.
std::string PackageNameOfFile(const std::string& sFileName);

}  // namespace rtl
