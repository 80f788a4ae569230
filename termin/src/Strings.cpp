#include "Strings.h"

namespace termin {

const uikit::StringTable& strings()
{
    static const uikit::StringTable table{
        {IdsTimeout, "通訊錯誤: 連接超時"},
    };
    return table;
}

} // namespace termin
