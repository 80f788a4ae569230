#pragma once
// Termin's own string table, whatever the host's language.

#include "uikit/StringTable.h"

namespace termin {

enum StringId { IdsTimeout = 1 };

const uikit::StringTable& strings();

} // namespace termin
