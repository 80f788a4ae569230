#include "SettingsPath.h"

#include "AtomicFilePlatform.h"

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
        !executable.empty() && platform::mayCreateFilesIn(fs::path(wide(executable)).parent_path());
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
