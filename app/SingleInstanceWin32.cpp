#include "SingleInstance.h"

#include <wx/app.h>
#include <wx/log.h>
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

struct SingleInstance::Rendezvous {
    std::wstring name;
    HANDLE mutex = nullptr;
    std::string failure;
};

std::string SingleInstance::defaultDirectory()
{
    return {};
}

SingleInstance::SingleInstance(std::string name, std::string)
    : rendezvous(std::make_unique<Rendezvous>())
{
    rendezvous->name = wxString::FromUTF8(name).ToStdWstring();
}

// The system releases the mutex with the process; until then it marks this
// process as the first instance.
SingleInstance::~SingleInstance() = default;

const std::string& SingleInstance::failure() const
{
    return rendezvous->failure;
}

// A later start brings this instance forward itself (activateFirst): the
// first instance listens for nothing.
SingleInstance::Claim SingleInstance::claim(std::function<void()>)
{
    rendezvous->mutex = CreateMutexW(nullptr, TRUE, rendezvous->name.c_str());
    if (rendezvous->mutex == nullptr) {
        rendezvous->failure = "多重起動を防ぐためのミューテックス " + wxString(rendezvous->name).utf8_string() +
                              " を使用できません。\n" + wxSysErrorMsgStr(GetLastError()).utf8_string() +
                              "\n処理を中止します。";
        return Claim::Failed;
    }
    return GetLastError() == ERROR_ALREADY_EXISTS ? Claim::Second : Claim::First;
}

bool SingleInstance::activateFirst() const
{
    Search search{rendezvous->name.c_str()};
    EnumWindows(findMarked, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr)
        return false;
    bringForward(search.found);
    return true;
}

void SingleInstance::markMainWindow(wxWindow& window)
{
    const HWND handle = window.GetHWND();
    const std::wstring property = rendezvous->name;
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
