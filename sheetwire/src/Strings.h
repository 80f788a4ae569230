#pragma once
#include "uikit/StringTable.h"

#include <string>

namespace sheetwire {

// Sheetwire's own string table: 1000-1004 and the operator's texts of the
// application's errors, 1005-1011.
const uikit::StringTable& strings();

// Shows string id in an error box captioned with the application's title.
void showMessage(int id);

// Shows an error the spreadsheet application raised, the same way.
void showError(const std::string& text);

} // namespace sheetwire
