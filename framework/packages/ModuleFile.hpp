// What a shared library file needs before it can be loaded, read from the file itself
// without loading it: the libraries it names and the directories it asks the loader
// to search first. This lets a host refuse a package with a clear message naming the
// missing runtime package instead of a loader failure.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace rtl {

struct TModuleDependencies {
    std::vector<std::string> Needed;      // library file names, in the file's order
    std::vector<std::string> SearchPath;  // its run path, $ORIGIN expanded
};

// Raises EPackageError when the file is missing or is not a shared library of this
// machine's kind (64-bit little-endian ELF), and when it names more libraries or
// search directories, or longer ones, than any real library does: reading and
// searching stay cheap whatever the file holds.
TModuleDependencies ReadModuleDependencies(const std::string& sFileName);

// The first needed library that the loader cannot find: in the search path, among
// the libraries already loaded, or in the system's own places. Nothing when all are
// found. Each directory of the search path is read once.
std::optional<std::string> FindMissingLibrary(const TModuleDependencies& Needs);

}  // namespace rtl
