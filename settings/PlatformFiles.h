#pragma once
// What the program's own files (settings, saved text) need from the
// platform, besides replacing them atomically (AtomicFile.h): reading in
// chunks, and the encoding text is kept in on disk. One implementation per
// platform: PlatformFilesPosix.cpp, PlatformFilesWin32.cpp.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>

namespace tonvale {

enum class ReadResult { Read, Missing, Failed };

// Hands the bytes of the file at path to take as they arrive, so that a read
// error part-way keeps what came before it. Missing (nothing read) when the
// file or a directory above it does not exist; Failed with the system's
// reason in error.
ReadResult readFileChunks(const std::string& path,
                          const std::function<void(std::string_view)>& take,
                          std::error_code& error);

// Text inside the program is UTF-8. On disk it is what other programs of the
// platform expect: UTF-8 on Linux, the system's ANSI code page on Windows
// (code page 932 on a Japanese Windows), where a character the code page
// lacks becomes its nearest one ("é" becomes "e") or its default character.
std::string toFileText(std::string_view utf8);
std::string fromFileText(std::string_view fileText);

// Paths inside the program are UTF-8 strings; a std::filesystem::path made
// from a plain string would take it for the ANSI code page on Windows.
inline std::filesystem::path pathOf(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string utf8Of(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace tonvale
