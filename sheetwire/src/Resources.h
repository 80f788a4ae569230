#pragma once

namespace sheetwire {

// Makes the library's dialog loadable; cheap after the first call.
void ensureResources();

} // namespace sheetwire
