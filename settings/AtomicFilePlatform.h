#pragma once
// What writeFileAtomically needs from the platform; one implementation per
// platform (AtomicFilePosix.cpp, AtomicFileWin32.cpp). Paths are UTF-8.

#include "AtomicFile.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace tonvale::platform {

// Looks at the file at path, which is not a symbolic link.
SaveTarget inspectSaveTarget(const std::string& path);

// Writes contents to a new file beside path, flushes it, gives it the mode,
// owner and group of the file at path (when there is one) and renames it
// over path. Nothing is left behind on failure.
std::error_code replaceFile(const std::string& path, std::string_view contents);

// Overwrites the existing file at path with contents and cuts it to their
// length.
std::error_code overwriteFile(const std::string& path, std::string_view contents);

// The system's error for a file this user may not write.
std::error_code accessDenied();

#ifdef _WIN32
// Whether this user may create files in directory. The read-only attribute
// says nothing about a folder's permissions (Program Files is not
// read-only, yet closed to ordinary users): try it.
bool mayCreateFilesIn(const std::filesystem::path& directory);
#endif

} // namespace tonvale::platform
