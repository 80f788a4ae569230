#pragma once
#include "uikit/StringTable.h"

#include <string>

namespace sheetwire {

// Sheetwire's own string table (ids 1000-1004).
const uikit::StringTable& strings();

// Shows string id in an error box captioned with the application's title.
void showMessage(int id);

// Shows an error the spreadsheet application raised, the same way.
void showError(const std::string& text);

} // namespace sheetwire
