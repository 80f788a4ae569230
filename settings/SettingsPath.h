#pragma once
// Where the settings file lives. Every load and save of the program's
// settings takes its path from settingsPath().

#include <string>

namespace tonvale {

inline constexpr const char* settingsFileName = "Tonvale.INI";

// "Tonvale.INI" beside the running executable when that directory is
// writable (a portable installation, the build tree), otherwise in the
// user's own settings folder, which is created when missing:
// $XDG_CONFIG_HOME/tonvale/ (~/.config/tonvale when the variable is unset)
// on Linux, the application-data folder's Tonvale\ on Windows.
std::string settingsPath();

#ifdef _WIN32
// The rule of settingsPath() for a given executable, whether its directory
// is writable, and the user's application-data folder. Never names the
// executable itself.
std::string settingsPathFor(const std::string& executable, bool directoryWritable,
                            const std::string& appData);
#else
// The rule of settingsPath() for a given executable, whether its directory
// is writable, and the environment's XDG_CONFIG_HOME and HOME (null when
// unset). Never names the executable itself.
std::string settingsPathFor(const std::string& executable, bool directoryWritable,
                            const char* xdgConfigHome, const char* home);
#endif

} // namespace tonvale
