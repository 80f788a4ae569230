#pragma once
#include "uikit/StringTable.h"

namespace tonvale {

// The program's title, the caption of every message box it shows.
inline constexpr const char* appTitle = "SX-4810k用アクセサリーソフトウェア";

// Tonvale's string table.
const uikit::StringTable& strings();

} // namespace tonvale
