#include "MainDialog.h"

#include "AboutDialog.h"
#include "Messages.h"
#include "Resources.h"
#include "Strings.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/xrc/xmlres.h>

namespace tonvale {
namespace {

struct DestinationEntry {
    int code;
    int stringId;
};
constexpr DestinationEntry destinations[] = {{0, 150}, {1, 151}, {2, 152}};

} // namespace

MainDialog::MainDialog()
    : wxFrame(nullptr, wxID_ANY, wxString::FromUTF8(appTitle), wxDefaultPosition, wxDefaultSize,
              wxDEFAULT_FRAME_STYLE & ~(wxRESIZE_BORDER | wxMAXIMIZE_BOX))
{
    ensureResources();
    panel = wxXmlResource::Get()->LoadPanel(this, wxT("TONVALE_MAIN_102"));
    SetMenuBar(wxXmlResource::Get()->LoadMenuBar(wxT("TONVALE_MENU_129")));
    SetClientSize(panel->ConvertDialogToPixels(wxSize(148, 137)));
    wxIcon icon;
    icon.CopyFromBitmap(wxXmlResource::Get()->LoadBitmap(wxT("TONVALE_ICON_128")));
    SetIcon(icon);
    destination = XRCCTRL(*panel, "1072", wxChoice);
    measureButton = XRCCTRL(*panel, "1001", wxButton);

    Bind(wxEVT_CLOSE_WINDOW, &MainDialog::onClose, this);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { Close(); }, wxID_EXIT);
    Bind(wxEVT_MENU, &MainDialog::onAbout, this, wxID_ABOUT);
    panel->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Close(); }, XRCID("1076"));
}

bool MainDialog::start()
{
    for (const auto& entry : destinations)
        destination->Append(wxString::FromUTF8(strings().get(entry.stringId)),
                            reinterpret_cast<void*>(static_cast<intptr_t>(entry.code)));
    destination->SetSelection(0);
    measureButton->SetLabel(wxString::FromUTF8(strings().get(144)));
    Show();
    return true;
}

bool MainDialog::confirmExit()
{
    if (showMessage(158, MessageIcon::Stop, MessageButtons::OkCancel) != wxID_OK)
        return false;
    Destroy();
    return true;
}

void MainDialog::onClose(wxCloseEvent& event)
{
    if (!confirmExit() && event.CanVeto())
        event.Veto();
}

void MainDialog::onAbout(wxCommandEvent&)
{
    AboutDialog about(this);
    about.ShowModal();
}

} // namespace tonvale
