#include "JournalPlatform.h"

#include "PlatformFiles.h"
#include "Win32Error.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace tonvale {
namespace {

class Handle {
public:
    explicit Handle(HANDLE handle) : handle(handle) {}
    ~Handle()
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE handle;
};

} // namespace

std::string journalDirectoryFor(const std::string& localAppData)
{
    return utf8Of(pathOf(localAppData) / L"Tonvale" / L"journal");
}

std::string journalDirectory()
{
    // The variable names the same folder as the system's own query; tests
    // point it at a folder of their own.
    if (const wchar_t* variable = _wgetenv(L"LOCALAPPDATA");
        variable != nullptr && std::filesystem::path(variable).is_absolute())
        return journalDirectoryFor(utf8Of(std::filesystem::path(variable)));
    PWSTR folder = nullptr;
    std::string local;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder)))
        local = utf8Of(std::filesystem::path(folder));
    CoTaskMemFree(folder);
    return journalDirectoryFor(local);
}

namespace platform {

std::error_code appendDurably(const std::string& path,
                              const std::function<std::string(const FileEnd&)>& bytesFor)
{
    // Others may read the journal while the program appends to it.
    const Handle file(CreateFileW(pathOf(path).c_str(), GENERIC_READ | FILE_APPEND_DATA,
                                  FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (file.handle == INVALID_HANDLE_VALUE)
        return lastWin32Error();
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.handle, &size))
        return lastWin32Error();
    FileEnd end;
    end.empty = size.QuadPart == 0;
    if (!end.empty) {
        OVERLAPPED at{};
        const auto lastByte = static_cast<ULONGLONG>(size.QuadPart - 1);
        at.Offset = static_cast<DWORD>(lastByte);
        at.OffsetHigh = static_cast<DWORD>(lastByte >> 32);
        char last = 0;
        DWORD read = 0;
        if (!ReadFile(file.handle, &last, 1, &read, &at))
            return lastWin32Error();
        end.endsInLineFeed = read == 1 && last == '\n';
    }
    const std::string bytes = bytesFor(end);
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        if (!WriteFile(file.handle, bytes.data() + done, chunk, &written, nullptr))
            return lastWin32Error();
        done += written;
    }
    if (!FlushFileBuffers(file.handle))
        return lastWin32Error();
    return {};
}

} // namespace platform
} // namespace tonvale
