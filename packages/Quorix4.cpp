// Unit Quorix4: the package of the engine with built-in functions and the evaluating
// edit controls, for the generation-4 runtime and its database runtime.
#include "builtins/ExtParser.hpp"
#include "edits/DBParserEdit.hpp"
#include "edits/ParserEdit.hpp"
#include "engine/Quorix.hpp"
#include "framework/base/Properties.hpp"
#include "framework/packages/Packages.hpp"

extern "C" const unsigned char Quorix4Resources[];
extern "C" const std::size_t Quorix4Resources_size;

namespace {

constexpr const char* kUnits[] = {
    "Quorix4",          "ExtParser",          "Quorix",    "SysInit", "DBParserEdit",
    "CustomParserEdit", "CustomDBParserEdit", "ParserEdit"};
constexpr const char* kRequires[] = {"VCLDB40", "vcl40"};
// None of these units has work of its own at start or stop.
constexpr rtl::TUnitInit kInitOrder[] = {
    {"SysInit", nullptr, nullptr},
    {"Quorix", nullptr, nullptr},
    {"CustomParserEdit", nullptr, nullptr},
    {"ParserEdit", nullptr, nullptr},
    {"CustomDBParserEdit", nullptr, nullptr},
    {"DBParserEdit", nullptr, nullptr},
    {"ExtParser", nullptr, nullptr},
};
constexpr rtl::TPackageInfoTable kInfo{"Quorix4", rtl::pfNeverBuild, kUnits, kRequires, kInitOrder};

const rtl::TPackageModule gModule(kInfo, {Quorix4Resources, Quorix4Resources_size});

}  // namespace

RTL_PACKAGE_INFO_ENTRY { return &kInfo; }

RTL_REGISTER_ENTRY(Quorix) {
    rtl::RegisterComponents(QUORIX_PALETTE_PAGE, {&quorix::TQuorix::StaticClassInfo()});
}
RTL_REGISTER_ENTRY(ParserEdit) {
    rtl::RegisterComponents(QUORIX_PALETTE_PAGE, {&quorix::TParserEdit::StaticClassInfo()});
}
RTL_REGISTER_ENTRY(DBParserEdit) {
    rtl::RegisterComponents(QUORIX_PALETTE_PAGE, {&quorix::TDBParserEdit::StaticClassInfo()});
}
RTL_REGISTER_ENTRY(ExtParser) {
    rtl::RegisterComponents(QUORIX_PALETTE_PAGE, {&quorix::TExtParser::StaticClassInfo()});
}
