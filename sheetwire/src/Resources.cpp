#include "Resources.h"

#include "uikit/Xrc.h"

#include <mutex>

void InitSheetwireXrc();

namespace sheetwire {

void ensureResources()
{
    static std::once_flag once;
    std::call_once(once, [] {
        uikit::prepareXrc();
        InitSheetwireXrc();
    });
}

} // namespace sheetwire
