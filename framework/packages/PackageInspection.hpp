// Looking into a package that may be damaged or hostile. A damaged file can crash
// the system's loader before any of the package's code runs, and loading a package
// runs its code, as loading any plugin does. A host that only inspects a package
// (its palette, its information, its pictures) therefore loads it in a child
// process: a crash, a hang or a runaway allocation there ends as an error message,
// and the host goes on. The child runs with the host's rights: this contains
// failures, it does not make a hostile package harmless.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace rtl {

class TPackage;

struct TInspectionLimits {
    std::chrono::milliseconds Time{30000};     // for loading and inspecting, wall-clock
    std::size_t ExtraAddressSpace = 1u << 30;  // what the child may map beyond the host's size
    std::size_t AnswerSize = 64u << 20;        // bytes the inspection may hand back
};

// Loads the package in a child process (LoadPackage), calls Inspect there and returns
// what it returned. Raises EPackageError with the reason when loading or Inspect
// raised, or when the child crashed, ran out of time or answered too much.
std::string InspectPackage(const std::string& sFileName, const std::function<std::string(TPackage&)>& Inspect,
                           const TInspectionLimits& Limits = {});

}  // namespace rtl
