#include "Resources.h"

#include "uikit/Xrc.h"

#include <mutex>

void InitTonvaleXrc();

namespace tonvale {

void ensureResources()
{
    static std::once_flag once;
    std::call_once(once, [] {
        uikit::prepareXrc();
        InitTonvaleXrc();
    });
}

} // namespace tonvale
