#include "SettingsPath.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace tonvale {

std::string settingsPathFor(const std::string& executable, bool directoryWritable,
                            const char* xdgConfigHome, const char* home)
{
    namespace fs = std::filesystem;
    if (directoryWritable && !executable.empty()) {
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

std::string settingsPath()
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    const bool writable = !error && ::access(executable.parent_path().c_str(), W_OK) == 0;
    const std::string path = settingsPathFor(executable.string(), writable,
                                             std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    // When the directory cannot be made, the load finds no file and the save
    // reports the reason to the user.
    fs::create_directories(fs::path(path).parent_path(), error);
    return path;
}

} // namespace tonvale
