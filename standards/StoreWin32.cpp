#include "StorePlatform.h"
#include "standards/SqliteStore.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <filesystem>

namespace standards {
namespace {

std::filesystem::path pathOf(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8Of(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace

std::string standardsPathFor(const std::string& appData)
{
    return utf8Of(pathOf(appData) / L"Tonvale" / L"standards.sqlite");
}

std::string standardsPath()
{
    // The variable names the same folder as the system's own query; tests
    // point it at a folder of their own.
    if (const wchar_t* variable = _wgetenv(L"APPDATA");
        variable != nullptr && std::filesystem::path(variable).is_absolute())
        return standardsPathFor(utf8Of(std::filesystem::path(variable)));
    PWSTR folder = nullptr;
    std::string roaming;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &folder)))
        roaming = utf8Of(std::filesystem::path(folder));
    CoTaskMemFree(folder);
    return standardsPathFor(roaming);
}

namespace platform {

bool mayWrite(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(pathOf(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

} // namespace platform
} // namespace standards
