#include "PlatformStyle.h"

namespace uikit {

// The templates are Win32's own: the native controls fit them as they are.
void applyPlatformStyle() {}

} // namespace uikit
