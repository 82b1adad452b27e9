// Unit Quorix5: the package of the engine with variables, for the generation-5 runtime.
#include "engine_vars/Quorix.hpp"
#include "framework/base/Properties.hpp"
#include "framework/packages/Packages.hpp"

extern "C" const unsigned char Quorix5Resources[];
extern "C" const std::size_t Quorix5Resources_size;

namespace {

constexpr const char* kUnits[] = {"Quorix5", "Quorix", "SysInit"};
constexpr const char* kRequires[] = {"vcl50"};
// Neither unit has work of its own at start or stop.
constexpr rtl::TUnitInit kInitOrder[] = {{"SysInit", nullptr, nullptr}, {"Quorix", nullptr, nullptr}};
constexpr rtl::TPackageInfoTable kInfo{"Quorix5", rtl::pfNeverBuild, kUnits, kRequires, kInitOrder};

const rtl::TPackageModule gModule(kInfo, {Quorix5Resources, Quorix5Resources_size});

}  // namespace

RTL_PACKAGE_INFO_ENTRY { return &kInfo; }

RTL_REGISTER_ENTRY(Quorix) {
    rtl::RegisterComponents(QUORIX_PALETTE_PAGE, {&quorix::TQuorix::StaticClassInfo()});
}
