#pragma once
// Writing a whole file so that it is replaced completely or not at all: the
// bytes go to a temporary file beside the target, are flushed to the disk and
// only then renamed over the target. A crash, a full disk or a write error
// leaves the old file as it was.

#include <string>
#include <string_view>
#include <system_error>

namespace tonvale {

// Replaces the file at path by contents; an empty error code on success.
std::error_code writeFileAtomically(const std::string& path, std::string_view contents);

enum class FileAccess { Read, Write };

// The message shown when a file could not be read or written: the file's
// name and the system's reason.
std::string fileErrorText(const std::string& path, const std::error_code& error, FileAccess access);

} // namespace tonvale
