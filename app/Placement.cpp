#include "Placement.h"

namespace tonvale {

Rect centredOn(const Rect& desktop, int width, int height)
{
    return {desktop.right / 2 - width / 2, desktop.bottom / 2 - height / 2,
            desktop.right / 2 + width / 2, desktop.bottom / 2 + height / 2};
}

Rect shiftOntoDesktop(Rect r, const Rect& desktop)
{
    int dx = 0, dy = 0;
    if (r.left < desktop.left)
        dx = desktop.left - r.left;
    if (desktop.right < r.right)
        dx = desktop.right - r.right;
    if (r.top < desktop.top)
        dy = desktop.top - r.top;
    if (desktop.bottom < r.bottom)
        dy = desktop.bottom - r.bottom;
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

} // namespace tonvale
