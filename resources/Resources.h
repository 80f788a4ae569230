#pragma once

#include <wx/icon.h>

namespace tonvale {

// Makes the program's dialogs loadable; cheap after the first call.
void ensureResources();

// The program's icon, for the title bars of its own windows.
wxIcon programIcon();

} // namespace tonvale
