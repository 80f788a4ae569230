#include "ColourTables.h"

namespace tonvale {

std::string colourTablesDirectory() { return TONVALE_COLORD_DIR; }

} // namespace tonvale
