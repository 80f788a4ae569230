// The files behind writeFileAtomically on Windows: a temporary file beside
// the target, flushed to the disk, then put in the target's place by
// ReplaceFileW (which keeps the target's attributes and security) or, for a
// new file, by MoveFileExW.

#include "AtomicFilePlatform.h"
#include "Win32Error.h"

#include <wx/string.h>

#include <atomic>
#include <filesystem>

#include <windows.h>

namespace tonvale::platform {
namespace {

std::wstring wide(const std::string& path)
{
    return wxString::FromUTF8(path).ToStdWstring();
}

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

std::wstring directoryOf(const std::wstring& path)
{
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

} // namespace

SaveTarget inspectSaveTarget(const std::string& path)
{
    const std::wstring file = wide(path);
    SaveTarget target;
    const DWORD attributes = GetFileAttributesW(file.c_str());
    target.exists = attributes != INVALID_FILE_ATTRIBUTES;
    target.directoryWritable = mayCreateFilesIn(std::filesystem::path(directoryOf(file)));
    // ReplaceFileW gives the new file the old one's attributes and security.
    target.ownerKept = true;
    if (target.exists && (attributes & FILE_ATTRIBUTE_READONLY) == 0) {
        const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        target.writable = handle != INVALID_HANDLE_VALUE;
        if (target.writable)
            CloseHandle(handle);
    }
    return target;
}

std::error_code replaceFile(const std::string& path, std::string_view contents)
{
    static std::atomic<unsigned> counter{0};
    const std::wstring target = wide(path);
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

std::error_code overwriteFile(const std::string& path, std::string_view contents)
{
    const HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return lastWin32Error();
    // Cut only after everything is written, so that the file is never empty
    // on the way.
    std::error_code error = writeAll(file, contents);
    if (!error && !SetEndOfFile(file))
        error = lastWin32Error();
    if (!error && !FlushFileBuffers(file))
        error = lastWin32Error();
    if (!CloseHandle(file) && !error)
        error = lastWin32Error();
    return error;
}

std::error_code accessDenied()
{
    return {int(ERROR_ACCESS_DENIED), win32Category()};
}

bool mayCreateFilesIn(const std::filesystem::path& directory)
{
    const std::filesystem::path probe =
        directory / (L".tonvale-probe-" + std::to_wstring(GetCurrentProcessId()));
    const HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

} // namespace tonvale::platform
