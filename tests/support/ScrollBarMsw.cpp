#include "ScrollBar.h"

#include <wx/textctrl.h>

#include <windows.h>

bool hasHorizontalScrollBar(wxTextCtrl& text)
{
    const HWND window = static_cast<HWND>(text.GetHandle());
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    return (GetWindowLongW(window, GWL_STYLE) & WS_HSCROLL) != 0 &&
           GetScrollInfo(window, SB_HORZ, &info) && info.nMax - info.nMin + 1 > int(info.nPage);
}
