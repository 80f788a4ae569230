#include "SettingsPath.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace tonvale {

bool portableDirectory(const std::string& directory, bool writable,
                       const std::string& installDirectory)
{
    namespace fs = std::filesystem;
    if (!writable)
        return false;
    const fs::path dir = fs::path(directory).lexically_normal() / "";
    if (!installDirectory.empty() && dir == fs::path(installDirectory).lexically_normal() / "")
        return false;
    const std::string text = dir.string();
    return text.rfind("/usr/", 0) != 0;
}

std::string settingsPathFor(const std::string& executable, bool portable,
                            const char* xdgConfigHome, const char* home)
{
    namespace fs = std::filesystem;
    if (portable && !executable.empty()) {
        const fs::path beside = fs::path(executable).parent_path() / settingsFileName;
        if (beside != fs::path(executable))
            return beside.string();
    }
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    const fs::path config = xdgConfigHome != nullptr && xdgConfigHome[0] == '/'
                                ? fs::path(xdgConfigHome)
                                : fs::path(home != nullptr ? home : "") / ".config";
    return (config / "tonvale" / settingsFileName).string();
}

std::string locateSettings()
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    const fs::path directory = executable.parent_path();
    const bool writable = !error && ::access(directory.c_str(), W_OK) == 0;
    return settingsPathFor(executable.string(),
                           portableDirectory(directory.string(), writable, TONVALE_INSTALL_BINDIR),
                           std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

std::string settingsPath()
{
    namespace fs = std::filesystem;
    const std::string path = locateSettings();
    // When the directory cannot be made, the load finds no file and the save
    // reports the reason to the user.
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
    return path;
}

} // namespace tonvale
