#pragma once
// The file that the text output window saves: its text with CR LF line ends
// and, for a name ending in ".csv", commas instead of tabs.

#include <ctime>
#include <string>
#include <string_view>

namespace tonvale {

// The bytes of the file at path for the window's text (lines ending CR LF).
// Only a path ending in exactly ".csv" (lower case) makes a CSV file: there
// tabs become commas, and a field holding a comma, a double quote or a line
// break is written in double quotes with its quotes doubled. Line ends are CR
// LF, never doubled; no byte order mark. The text is in the encoding files
// are kept in (UTF-8 on Linux, the ANSI code page on Windows).
std::string textFileBytes(const std::string& text, const std::string& path);

// A CSV field: in double quotes, its quotes doubled, when it holds a comma,
// a double quote or a line break; otherwise as it is.
std::string csvField(std::string_view field);

// The path with an extension added when its file name has none: that of the
// filter chosen in the file dialog (filterIndex into wildcard, "name|pattern|
// name|pattern"), as the file dialog on Windows adds it, so a bare name saved
// under "*.csv" becomes a CSV file; ".txt" when that filter names no single
// extension ("*.*").
std::string withDefaultExtension(const std::string& path, const std::string& wildcard,
                                 int filterIndex);

// The name the save dialog offers on the local day `day`:
// "Tonvale_2026-03-05.csv".
std::string suggestedFileName(const std::tm& day);

// A file dialog filter of the string table ("name|pattern|...||") in the
// form the file dialog takes (without the closing "||").
std::string fileDialogWildcard(const std::string& filter);

} // namespace tonvale
