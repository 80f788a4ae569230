#include "AboutCommand.h"

#include "Strings.h"

#include <wx/frame.h>

#include <windows.h>

namespace tonvale {
namespace {

// System commands 16 to 31 show the about box; the system keeps the low
// four bits of a system command for itself.
constexpr WXWPARAM aboutCommand = 16;

bool onSystemCommand(wxWindowMSW* window, WXUINT, WXWPARAM command, WXLPARAM)
{
    if ((command & 0xFFF0) != aboutCommand)
        return false;
    wxCommandEvent about(wxEVT_MENU, wxID_ABOUT);
    about.SetEventObject(window);
    window->GetEventHandler()->ProcessEvent(about);
    return true;
}

} // namespace

void placeAboutCommand(wxFrame& window)
{
    const std::string text = strings().get(101);
    const HMENU system = GetSystemMenu(window.GetHWND(), FALSE);
    if (text.empty() || system == nullptr)
        return;
    AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(system, MF_STRING, aboutCommand, wxString::FromUTF8(text).wc_str());
    static const bool registered = wxWindow::MSWRegisterMessageHandler(WM_SYSCOMMAND, onSystemCommand);
    (void)registered;
}

} // namespace tonvale
