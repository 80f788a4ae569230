#include "PlatformFiles.h"
#include "Win32Error.h"

#include <wx/log.h>
#include <wx/string.h>

#include <windows.h>

namespace tonvale {
namespace {

class Win32Category : public std::error_category {
public:
    const char* name() const noexcept override { return "win32"; }
    std::string message(int code) const override
    {
        return wxSysErrorMsgStr(static_cast<unsigned long>(code)).utf8_string();
    }
};

// Between UTF-8 and a code page through UTF-16, as Windows converts.
std::wstring toUtf16(std::string_view text, UINT codePage)
{
    const int length = MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(std::size_t(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), wide.data(), length);
    return wide;
}

std::string fromUtf16(std::wstring_view wide, UINT codePage)
{
    const int length = WideCharToMultiByte(codePage, 0, wide.data(), int(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string text(std::size_t(length), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), int(wide.size()), text.data(), length, nullptr,
                        nullptr);
    return text;
}

} // namespace

const std::error_category& win32Category()
{
    static const Win32Category category;
    return category;
}

std::error_code lastWin32Error()
{
    return {int(GetLastError()), win32Category()};
}

ReadResult readFileChunks(const std::string& path,
                          const std::function<void(std::string_view)>& take,
                          std::error_code& error)
{
    const HANDLE file = CreateFileW(wxString::FromUTF8(path).wc_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            return ReadResult::Missing;
        error = {int(code), win32Category()};
        return ReadResult::Failed;
    }
    char chunk[8192];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
            error = lastWin32Error();
            CloseHandle(file);
            return ReadResult::Failed;
        }
        if (got == 0)
            break;
        take(std::string_view(chunk, got));
    }
    CloseHandle(file);
    return ReadResult::Read;
}

std::string toFileText(std::string_view utf8)
{
    return fromUtf16(toUtf16(utf8, CP_UTF8), CP_ACP);
}

std::string fromFileText(std::string_view fileText)
{
    return fromUtf16(toUtf16(fileText, CP_ACP), CP_UTF8);
}

} // namespace tonvale
