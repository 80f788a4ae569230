#include "SettingsPath.h"

#include "AtomicFilePlatform.h"

#include <wx/string.h>

#include <filesystem>
#include <system_error>
#include <vector>

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

std::string knownFolder(REFKNOWNFOLDERID id)
{
    wchar_t* folder = nullptr;
    std::string path;
    if (SHGetKnownFolderPath(id, 0, nullptr, &folder) == S_OK)
        path = utf8(folder);
    CoTaskMemFree(folder);
    return path;
}

std::vector<std::string> programFilesFolders()
{
    std::vector<std::string> folders;
    for (const KNOWNFOLDERID& id : {FOLDERID_ProgramFiles, FOLDERID_ProgramFilesX64,
                                    FOLDERID_ProgramFilesX86}) {
        if (std::string folder = knownFolder(id); !folder.empty())
            folders.push_back(std::move(folder));
    }
    return folders;
}

// The installer puts its uninstaller beside the program it installs.
constexpr const wchar_t* installerMark = L"uninstall.exe";

std::wstring normalFolder(const std::string& folder)
{
    std::wstring path = std::filesystem::path(wide(folder)).lexically_normal().wstring();
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/'))
        path.pop_back();
    return path;
}

bool isWithin(const std::wstring& inner, const std::wstring& outer)
{
    if (outer.empty() || inner.size() < outer.size())
        return false;
    if (CompareStringOrdinal(inner.data(), int(outer.size()), outer.data(), int(outer.size()),
                             TRUE) != CSTR_EQUAL)
        return false;
    return inner.size() == outer.size() || outer.back() == L'\\' || inner[outer.size()] == L'\\';
}

} // namespace

bool portableFolder(const std::string& folder, bool writable, bool markedByInstaller,
                    const std::vector<std::string>& programFilesFolders)
{
    if (!writable || markedByInstaller || folder.empty())
        return false;
    const std::wstring inner = normalFolder(folder);
    for (const std::string& programFiles : programFilesFolders) {
        if (isWithin(inner, normalFolder(programFiles)))
            return false;
    }
    return true;
}

std::string settingsPathFor(const std::string& executable, bool portable,
                            const std::string& appData)
{
    namespace fs = std::filesystem;
    if (portable && !executable.empty()) {
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
    if (executable.empty())
        return settingsPathFor(executable, false, knownFolder(FOLDERID_RoamingAppData));
    const fs::path folder = fs::path(wide(executable)).parent_path();
    std::error_code error;
    const bool portable = portableFolder(utf8(folder.wstring()), platform::mayCreateFilesIn(folder),
                                         fs::exists(folder / installerMark, error),
                                         programFilesFolders());
    return settingsPathFor(executable, portable, knownFolder(FOLDERID_RoamingAppData));
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
