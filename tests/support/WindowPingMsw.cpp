#include "WindowPing.h"

#include <wx/window.h>

#include <windows.h>

// Windows asks a window whether its program is alive with a message the
// window's thread must take from its queue: a program that runs no message
// loop does not answer.
unsigned long nativeWindowId(wxWindow& window)
{
    return static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(window.GetHWND()));
}

std::optional<std::chrono::milliseconds> pingWindow(unsigned long window,
                                                    std::chrono::milliseconds limit)
{
    const auto start = std::chrono::steady_clock::now();
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window)), WM_NULL, 0, 0,
                            SMTO_ABORTIFHUNG | SMTO_BLOCK, UINT(limit.count()), &result) == 0)
        return std::nullopt;
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}
