#include "framework/packages/Packages.hpp"

#include <dlfcn.h>

#include <algorithm>
#include <exception>
#include <filesystem>

#include "framework/base/Exceptions.hpp"
#include "framework/base/Properties.hpp"
#include "framework/packages/ModuleFile.hpp"

namespace rtl {

namespace {

// Process-wide state, never destroyed: packages may leave the module list from their
// own static destructors at process exit, after this library's statics would be gone.
std::vector<const TPackageModule*>& Modules() {
    static auto* modules = new std::vector<const TPackageModule*>;
    return *modules;
}

std::vector<TPaletteEntry>& PaletteEntries() {
    static auto* entries = new std::vector<TPaletteEntry>;
    return *entries;
}

std::vector<std::unique_ptr<TPackage>>& Loaded() {
    static auto* loaded = new std::vector<std::unique_ptr<TPackage>>;
    return *loaded;
}

// The package whose Register entries are running, so its classes are tagged with it.
const TPackageModule* gRegistering = nullptr;

std::string FileOfAddress(const void* Address) {
    Dl_info info{};
    if (dladdr(Address, &info) == 0 || info.dli_fname == nullptr) return {};
    std::error_code ec;
    const auto path = std::filesystem::absolute(info.dli_fname, ec);
    return ec ? std::string(info.dli_fname) : path.string();
}

// Runs a step of a package's units and tells why it failed, if it did. What a unit
// raises may be of a class defined in the package, so it is not passed on: it could
// outlive the library that holds its code.
template <class TStep>
std::optional<std::string> FailureOf(TStep Step) {
    try {
        Step();
        return std::nullopt;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "an exception of unknown type";
    }
}

void CheckIsFile(const std::string& sFileName) {
    std::error_code ec;
    const auto status = std::filesystem::status(sFileName, ec);
    if (!std::filesystem::exists(status)) throw EPackageError("Package file " + sFileName + " not found");
    if (std::filesystem::is_directory(status))
        throw EPackageError("Package file " + sFileName + " is a directory");
    if (!std::filesystem::is_regular_file(status))
        throw EPackageError("Package file " + sFileName + " is not a regular file");
}

}  // namespace

std::string RegisterEntryName(const std::string& sUnit) { return sUnit + "_Register"; }

// ---- Module list ------------------------------------------------------------------

TPackageModule::TPackageModule(const TPackageInfoTable& Info, std::span<const uint8_t> ResourceImage)
    : FInfo(Info), FFileName(FileOfAddress(&Info)) {
    // Runs while the package is being loaded: nothing may escape from here.
    try {
        FOwn = TResourceModule::FromImage(ResourceImage);
    } catch (const Exception& e) {
        FLocalisedError = e.Message();
    }
    const std::string satellite = FindResourceModuleFile(FFileName, ResourceLocale());
    if (!satellite.empty()) {
        try {
            FLocalised = TResourceModule::FromFile(satellite);
            FLocalisedFile = satellite;
        } catch (const Exception& e) {
            FLocalisedError = e.Message();
        }
    }
    Modules().push_back(this);
}

TPackageModule::~TPackageModule() { std::erase(Modules(), this); }

std::optional<std::span<const uint8_t>> TPackageModule::FindResource(TResourceType Type,
                                                                     const std::string& sName) const {
    if (FLocalised)
        if (auto found = FLocalised->Find(Type, sName)) return found;
    return FOwn ? FOwn->Find(Type, sName) : std::nullopt;
}

std::vector<std::string> TPackageModule::ResourceNames(TResourceType Type) const {
    return FOwn ? FOwn->Names(Type) : std::vector<std::string>{};
}

std::string TPackageModule::Description() const {
    const auto text = FindResource(TResourceType::Data, kDescriptionResource);
    if (!text) throw EPackageError(std::string("Package ") + FInfo.Name + " has no description");
    return FromUtf16Z(*text);
}

TVersionNumber TPackageModule::Version() const {
    const auto block = FindResource(TResourceType::Version, kVersionResource);
    if (!block) throw EPackageError(std::string("Package ") + FInfo.Name + " has no version information");
    return ReadVersionInfo(*block).FileVersion;
}

const std::vector<const TPackageModule*>& ModuleList() { return Modules(); }

// ---- Palette ----------------------------------------------------------------------

void RegisterComponents(const std::string& sPage, std::span<const TClassInfo* const> Classes) {
    if (sPage.empty()) throw EPackageError("RegisterComponents: the page name is empty");
    for (const TClassInfo* cls : Classes) {
        if (cls == nullptr) throw EPackageError("RegisterComponents: a class reference is nil");
        const auto& entries = PaletteEntries();
        const auto same = [&](const TPaletteEntry& e) { return e.ComponentClass == cls; };
        if (std::ranges::any_of(entries, same))
            throw EPackageError("Class " + cls->ClassName + " is already on the palette");
    }
    for (const TClassInfo* cls : Classes) PaletteEntries().push_back({sPage, cls, gRegistering});
}

void RegisterComponents(const std::string& sPage, std::initializer_list<const TClassInfo*> Classes) {
    RegisterComponents(sPage, std::span<const TClassInfo* const>(Classes.begin(), Classes.size()));
}

const std::vector<TPaletteEntry>& Palette() { return PaletteEntries(); }

// ---- Package start and stop -------------------------------------------------------

void InitializePackage(const TPackageInfoTable& Info) {
    size_t done = 0;
    try {
        for (; done < Info.InitOrder.size(); ++done)
            if (Info.InitOrder[done].Initialization) Info.InitOrder[done].Initialization();
    } catch (...) {
        while (done-- > 0)
            if (Info.InitOrder[done].Finalization) try {
                    Info.InitOrder[done].Finalization();
                } catch (...) {
                    // The initialization failure is the one to report.
                }
        throw;
    }
}

void FinalizePackage(const TPackageInfoTable& Info) {
    std::exception_ptr first;
    for (size_t i = Info.InitOrder.size(); i-- > 0;)
        if (Info.InitOrder[i].Finalization) try {
                Info.InitOrder[i].Finalization();
            } catch (...) {
                if (!first) first = std::current_exception();
            }
    if (first) std::rethrow_exception(first);
}

// ---- Loading ----------------------------------------------------------------------

std::string PackageNameOfFile(const std::string& sFileName) {
    std::string name = std::filesystem::path(sFileName).filename().string();
    if (name.starts_with("lib")) name.erase(0, 3);
    if (const size_t so = name.find(".so"); so != std::string::npos) name.erase(so);
    return name;
}

TPackage::TPackage(std::string sFileName, void* Handle, const TPackageModule& Module)
    : FFileName(std::move(sFileName)), FHandle(Handle), FModule(&Module) {}

TPackage::~TPackage() { dlclose(FHandle); }

std::vector<std::string> TPackage::RegisteringUnits() const {
    std::vector<std::string> units;
    for (const char* unit : Info().Units)
        if (dlsym(FHandle, RegisterEntryName(unit).c_str()) != nullptr) units.emplace_back(unit);
    return units;
}

void TPackage::Register() {
    if (FRegistered) return;
    FRegistered = true;
    struct TRegistering {
        explicit TRegistering(const TPackageModule* m) { gRegistering = m; }
        ~TRegistering() { gRegistering = nullptr; }
    } registering(FModule);
    for (const std::string& unit : RegisteringUnits()) {
        auto entry = reinterpret_cast<void (*)()>(dlsym(FHandle, RegisterEntryName(unit).c_str()));
        entry();
    }
}

TPackage& LoadPackage(const std::string& sFileName) {
    const std::string name = PackageNameOfFile(sFileName);
    CheckIsFile(sFileName);
    if (const auto library = FindMissingLibrary(ReadModuleDependencies(sFileName)))
        throw EPackageError("Cannot load package " + name + ": it requires the runtime package " +
                            PackageNameOfFile(*library) + " (" + *library + "), which cannot be found");

    void* handle = dlopen(sFileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) throw EPackageError("Cannot load package " + name + ": " + dlerror());
    auto fail = [&](const std::string& sWhy) {
        dlclose(handle);
        throw EPackageError("Cannot load package " + name + ": " + sWhy);
    };
    using TInfoEntry = const TPackageInfoTable* (*)();
    auto infoEntry = reinterpret_cast<TInfoEntry>(dlsym(handle, kPackageInfoEntry));
    if (infoEntry == nullptr) fail("it exports no package information");
    const TPackageInfoTable* info = infoEntry();
    for (const auto& loaded : Loaded())
        if (&loaded->Info() == info) fail("it is already loaded");
    const auto& modules = Modules();
    const auto module = std::ranges::find_if(modules, [&](auto* m) { return &m->Info() == info; });
    if (module == modules.end()) fail("it did not enter the module list");

    auto package = std::unique_ptr<TPackage>(new TPackage(sFileName, handle, **module));
    if (const auto failure = FailureOf([&] { InitializePackage(*info); }))
        throw EPackageError("Cannot load package " + name + ": a unit failed to initialize: " + *failure);
    Loaded().push_back(std::move(package));
    return *Loaded().back();
}

void UnloadPackage(TPackage& Package) {
    auto& loaded = Loaded();
    const auto at = std::ranges::find_if(loaded, [&](auto& p) { return p.get() == &Package; });
    if (at == loaded.end()) throw EPackageError("UnloadPackage: the package is not loaded");
    std::erase_if(PaletteEntries(), [&](const TPaletteEntry& e) { return e.Module == &Package.Module(); });
    std::unique_ptr<TPackage> owned = std::move(*at);
    loaded.erase(at);
    const std::string name = owned->Info().Name;
    const auto failure = FailureOf([&] { FinalizePackage(owned->Info()); });
    owned.reset();  // the library is closed whether or not its units stopped cleanly
    if (failure) throw EPackageError("Package " + name + ": a unit failed to finalize: " + *failure);
}

void UnloadPackages() {
    while (!Loaded().empty()) UnloadPackage(*Loaded().back());
}

std::vector<TPackage*> LoadedPackages() {
    std::vector<TPackage*> packages;
    for (const auto& p : Loaded()) packages.push_back(p.get());
    return packages;
}

}  // namespace rtl
