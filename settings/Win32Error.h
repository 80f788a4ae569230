#pragma once
// Win32 error codes as std::error_code, with the system's own text (in the
// system's language) as their message.

#include <system_error>

namespace tonvale {

const std::error_category& win32Category();

// GetLastError() of the calling thread.
std::error_code lastWin32Error();

} // namespace tonvale
