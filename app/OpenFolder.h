#pragma once
// Shows a folder in the desktop's file manager. On Linux the desktop's
// opener (xdg-open) runs apart from the program and may fail after it has
// started (no file manager, no desktop); its exit status tells. One
// implementation per platform: OpenFolderPosix.cpp, OpenFolderMsw.cpp.

#include <functional>
#include <string>

namespace tonvale {

// Opens folder (UTF-8); failed() runs on the UI thread when the folder could
// not be shown, at once or once the opener has ended.
void openFolder(const std::string& folder, std::function<void()> failed);

} // namespace tonvale
