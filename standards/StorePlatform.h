#pragma once
// What the standards library's file needs from the platform. One
// implementation per platform: StorePosix.cpp, StoreWin32.cpp.

#include <string>

namespace standards::platform {

// Whether the program may change the existing file at path (UTF-8) and make
// its rollback journal beside it. A file without write permission counts as
// read-only even for an administrator, who could write it all the same.
bool mayWrite(const std::string& path);

} // namespace standards::platform
