#pragma once

namespace tonvale {

// Makes the program's dialogs loadable; cheap after the first call.
void ensureResources();

} // namespace tonvale
