#include "SingleInstance.h"

#include <wx/app.h>
#include <wx/toplevel.h>

#include <windows.h>

namespace tonvale {
namespace {

struct Search {
    const wchar_t* property;
    HWND found = nullptr;
};

BOOL CALLBACK findMarked(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<Search*>(context);
    if (GetPropW(window, search->property) == nullptr)
        return TRUE;
    search->found = window;
    return FALSE;
}

// Restores the window if minimised and brings forward its last active pop-up
// (an open message box or dialog), else the window itself.
void bringForward(HWND window)
{
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(GetLastActivePopup(window));
}

} // namespace

std::string SingleInstance::defaultDirectory()
{
    return {};
}

SingleInstance::SingleInstance(std::string name, std::string) : name(std::move(name)) {}

// The system releases the mutex with the process; until then it marks this
// process as the first instance.
SingleInstance::~SingleInstance() = default;

// A later start brings this instance forward itself (activateFirst): the
// first instance listens for nothing.
bool SingleInstance::claim(std::function<void()>)
{
    mutex = CreateMutexW(nullptr, TRUE, wxString::FromUTF8(name).wc_str());
    return mutex != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
}

bool SingleInstance::activateFirst() const
{
    const wxString property = wxString::FromUTF8(name);
    Search search{property.wc_str()};
    EnumWindows(findMarked, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr)
        return false;
    bringForward(search.found);
    return true;
}

void SingleInstance::markMainWindow(wxWindow& window)
{
    const HWND handle = window.GetHWND();
    const std::wstring property = wxString::FromUTF8(name).ToStdWstring();
    SetPropW(handle, property.c_str(), reinterpret_cast<HANDLE>(1));
    window.Bind(wxEVT_DESTROY, [handle, property, &window](wxWindowDestroyEvent& event) {
        if (event.GetEventObject() == &window)
            RemovePropW(handle, property.c_str());
        event.Skip();
    });
}

void bringProcessToFront()
{
    if (wxTheApp != nullptr && wxTheApp->GetTopWindow() != nullptr)
        bringForward(wxTheApp->GetTopWindow()->GetHWND());
}

} // namespace tonvale
