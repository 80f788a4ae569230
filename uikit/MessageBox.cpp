#include "uikit/MessageBox.h"
#include "uikit/UiThread.h"

#include <wx/msgdlg.h>
#include <wx/toplevel.h>

namespace uikit {

int messageBox(const std::string& text, const std::string& caption,
               MessageIcon icon, MessageButtons buttons)
{
    return runOnUiThread([&]() -> int {
        long style = buttons == MessageButtons::OkCancel ? (wxOK | wxCANCEL) : wxOK;
        switch (icon) {
        case MessageIcon::Stop: style |= wxICON_ERROR; break;
        case MessageIcon::Information: style |= wxICON_INFORMATION; break;
        case MessageIcon::Question: style |= wxICON_QUESTION; break;
        }
        // Owned by the active window, as a Windows message box without an
        // owner is by the thread's active window.
        wxWindow* owner = wxGetActiveWindow();
        if (owner == nullptr && wxTheApp != nullptr)
            owner = wxTheApp->GetTopWindow();
        wxMessageDialog box(owner, wxString::FromUTF8(text), wxString::FromUTF8(caption), style);
        if (buttons == MessageButtons::OkCancel)
            box.SetOKCancelLabels(wxString::FromUTF8("OK"), wxString::FromUTF8("ｷｬﾝｾﾙ"));
        else
            box.SetOKLabel(wxString::FromUTF8("OK"));
        return box.ShowModal();
    });
}

} // namespace uikit
