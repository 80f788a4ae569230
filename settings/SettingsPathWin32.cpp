#include "SettingsPath.h"

#include <wx/string.h>

#include <filesystem>
#include <system_error>

#include <windows.h>
#include <shlobj.h>

namespace tonvale {
namespace {

std::wstring wide(const std::string& utf8)
{
    return wxString::FromUTF8(utf8).ToStdWstring();
}

std::string utf8(const std::wstring& text)
{
    return wxString(text).utf8_string();
}

std::string executablePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return utf8(path);
        }
        path.resize(path.size() * 2);
    }
}

// Whether this user may create files in the directory. The read-only
// attribute says nothing about a folder's permissions (Program Files is
// not read-only, yet closed to ordinary users): try it.
bool mayCreateFilesIn(const std::filesystem::path& directory)
{
    const std::filesystem::path probe =
        directory / (L"Tonvale.INI.probe" + std::to_wstring(GetCurrentProcessId()));
    const HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

std::string applicationData()
{
    wchar_t* folder = nullptr;
    std::string path;
    if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &folder) == S_OK)
        path = utf8(folder);
    CoTaskMemFree(folder);
    return path;
}

} // namespace

std::string settingsPathFor(const std::string& executable, bool directoryWritable,
                            const std::string& appData)
{
    namespace fs = std::filesystem;
    if (directoryWritable && !executable.empty()) {
        const fs::path beside = fs::path(wide(executable)).parent_path() / settingsFileName;
        if (beside != fs::path(wide(executable)))
            return utf8(beside.wstring());
    }
    return utf8((fs::path(wide(appData)) / L"Tonvale" / settingsFileName).wstring());
}

std::string locateSettings()
{
    namespace fs = std::filesystem;
    const std::string executable = executablePath();
    const bool writable =
        !executable.empty() && mayCreateFilesIn(fs::path(wide(executable)).parent_path());
    return settingsPathFor(executable, writable, applicationData());
}

std::string settingsPath()
{
    namespace fs = std::filesystem;
    const std::string path = locateSettings();
    // When the folder cannot be made, the load finds no file and the save
    // reports the reason to the user.
    std::error_code error;
    fs::create_directories(fs::path(wide(path)).parent_path(), error);
    return path;
}

} // namespace tonvale
