#pragma once
// Where the settings file lives. Every load and save of the program's
// settings takes its path from settingsPath().

#include <string>
#include <vector>

namespace tonvale {

inline constexpr const char* settingsFileName = "Tonvale.INI";

// Where the settings file lives for this run, created when missing: on
// Linux "Tonvale.INI" beside the running executable when it runs as a
// portable copy (see portableDirectory), otherwise
// $XDG_CONFIG_HOME/tonvale/Tonvale.INI (~/.config/tonvale when the variable
// is unset); on Windows beside the executable when it runs as a portable
// copy (see portableFolder), otherwise Tonvale\Tonvale.INI in the user's
// application-data folder.
std::string settingsPath();

// Where settingsPath() leads for this run, without creating anything.
std::string locateSettings();

#ifdef _WIN32
// Whether the settings may live beside an executable in folder: a portable
// copy in a folder the user may write. An installed program never keeps
// them beside itself, whoever starts it (an administrator, or anyone under
// Wine, may write to Program Files): not below any of the Program Files
// folders, nor in a folder the installer marked (it puts its uninstaller
// there). Folders compare as Windows compares them, without regard to case.
bool portableFolder(const std::string& folder, bool writable, bool markedByInstaller,
                    const std::vector<std::string>& programFilesFolders);

// The rule of settingsPath() for a given executable, whether its folder is
// portable, and the user's application-data folder. Never names the
// executable itself.
std::string settingsPathFor(const std::string& executable, bool portable,
                            const std::string& appData);
#else
// Whether the settings may live beside an executable in directory: a
// portable copy (the build tree, a folder of one's own) whose directory the
// user may write. An installed program never writes beside itself, whoever
// runs it (root may write to /usr/bin): never in installDirectory, where
// this build installs its executables, nor anywhere below /usr.
bool portableDirectory(const std::string& directory, bool writable,
                       const std::string& installDirectory);

// The rule of settingsPath() for a given executable, whether its directory
// is portable, and the environment's XDG_CONFIG_HOME and HOME (null when
// unset). Never names the executable itself.
std::string settingsPathFor(const std::string& executable, bool portable,
                            const char* xdgConfigHome, const char* home);
#endif

} // namespace tonvale
