#include "Resources.h"

#include "uikit/Xrc.h"

#include <mutex>

#ifdef TONVALE_HAS_XRC
void InitTonvaleXrc();
#endif

namespace tonvale {

void ensureResources()
{
    static std::once_flag once;
    std::call_once(once, [] {
        uikit::prepareXrc();
#ifdef TONVALE_HAS_XRC
        InitTonvaleXrc();
#endif
    });
}

} // namespace tonvale
