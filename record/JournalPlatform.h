#pragma once
// What the measurement journal needs from the platform: where it lives and
// a durable append. One implementation per platform: JournalPosix.cpp,
// JournalWin32.cpp. Paths are UTF-8.

#include <functional>
#include <string>
#include <system_error>

namespace tonvale {

// The journal's folder for this user: $XDG_DATA_HOME/tonvale/journal
// (~/.local/share/tonvale/journal when XDG_DATA_HOME is unset or not an
// absolute path) on Linux, %LOCALAPPDATA%\Tonvale\journal on Windows (the
// variable when it is an absolute path, else the system's local application
// data folder). Not made here.
std::string journalDirectory();

#ifdef _WIN32
// The rule of journalDirectory() for a local application-data folder.
std::string journalDirectoryFor(const std::string& localAppData);
#else
// The rule of journalDirectory() for the environment's XDG_DATA_HOME and
// HOME (null when unset).
std::string journalDirectoryFor(const char* xdgDataHome, const char* home);
#endif

namespace platform {

// How the file looked before an append.
struct FileEnd {
    bool empty = true;
    // Its last byte is a line feed (false for an empty file).
    bool endsInLineFeed = false;
};

// Opens the file at path for appending, made when missing and never cut,
// writes bytesFor(its end) after what is there and has the bytes (and a new
// file's name) on the disk before returning: fsync on Linux,
// FlushFileBuffers on Windows. An empty error code on success.
std::error_code appendDurably(const std::string& path,
                              const std::function<std::string(const FileEnd&)>& bytesFor);

} // namespace platform
} // namespace tonvale
