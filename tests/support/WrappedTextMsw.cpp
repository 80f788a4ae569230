#include "WrappedText.h"

#include <wx/stattext.h>

#include <windows.h>

// A Windows static text breaks its lines at words (and between Japanese
// characters) within its width, as DrawText lays it out.
wxSize shownTextSize(wxStaticText& text)
{
    const HWND window = text.GetHWND();
    const HDC dc = GetDC(window);
    const HGDIOBJ old = SelectObject(dc, text.GetFont().GetHFONT());
    const std::wstring label = text.GetLabel().ToStdWstring();
    RECT area{0, 0, text.GetSize().x, 0};
    DrawTextW(dc, label.c_str(), int(label.size()), &area,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return {area.right - area.left, area.bottom - area.top};
}
