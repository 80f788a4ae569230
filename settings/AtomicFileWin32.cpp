// Replacing a file atomically on Windows: a temporary file beside the target,
// flushed to the disk, then put in the target's place by ReplaceFileW (which
// keeps the target's attributes and security) or, for a new file, by
// MoveFileExW. A read-only target is refused by both, and stays as it was.

#include "AtomicFile.h"
#include "Win32Error.h"

#include <wx/string.h>

#include <atomic>

#include <windows.h>

namespace tonvale {
namespace {

std::error_code writeAll(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr))
            return lastWin32Error();
        bytes.remove_prefix(written);
    }
    return {};
}

} // namespace

std::error_code writeFileAtomically(const std::string& path, std::string_view contents)
{
    static std::atomic<unsigned> counter{0};
    const std::wstring target = wxString::FromUTF8(path).ToStdWstring();
    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    while (file == INVALID_HANDLE_VALUE) {
        temporary = target + L".tmp" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                    std::to_wstring(counter++);
        file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            return lastWin32Error();
    }

    std::error_code error = writeAll(file, contents);
    if (!error && !FlushFileBuffers(file))
        error = lastWin32Error();
    if (!CloseHandle(file) && !error)
        error = lastWin32Error();
    if (!error) {
        const bool exists = GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;
        const bool replaced =
            exists ? ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                  REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0
                   : MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
        if (!replaced)
            error = lastWin32Error();
    }
    if (error)
        DeleteFileW(temporary.c_str());
    return error;
}

} // namespace tonvale
