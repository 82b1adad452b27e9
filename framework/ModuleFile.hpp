// What a shared library file needs before it can be loaded, read from the file itself
// without loading it: the libraries it names and the directories it asks the loader
// to search first. This lets a host refuse a package with a clear message naming the
// missing runtime package instead of a loader failure.
#pragma once

#include <string>
#include <vector>

namespace rtl {

struct TModuleDependencies {
    std::vector<std::string> Needed;      // library file names, in the file's order
    std::vector<std::string> SearchPath;  // its run path, $ORIGIN expanded
};

// Raises EPackageError when the file is missing or is not a shared library of this
// machine's kind (64-bit little-endian ELF).
TModuleDependencies ReadModuleDependencies(const std::string& sFileName);

// Whether the loader can find a needed library: in the search path, among the
// libraries already loaded, or in the system's own places.
bool CanLocateLibrary(const std::string& sName, const std::vector<std::string>& SearchPath);

}  // namespace rtl
