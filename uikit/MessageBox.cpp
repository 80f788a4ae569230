#include "uikit/MessageBox.h"
#include "uikit/UiThread.h"

#include <wx/msgdlg.h>
#include <wx/toplevel.h>

#include <atomic>
#include <cstdio>

namespace uikit {
namespace {

std::atomic<bool> boxesEnded{false};

// True, after writing the text where it can still be read, once the boxes
// have ended.
bool setAside(const std::string& text)
{
    if (!boxesEnded)
        return false;
    std::fprintf(stderr, "%s\n", text.c_str());
    return true;
}

} // namespace

void endMessageBoxes()
{
    boxesEnded = true;
}

int messageBox(const std::string& text, const std::string& caption,
               MessageIcon icon, MessageButtons buttons)
{
    if (setAside(text))
        return wxID_CANCEL;
    return runOnUiThread([&]() -> int {
        // The program may have begun to end while the request waited.
        if (setAside(text))
            return wxID_CANCEL;
        long style = wxOK;
        if (buttons == MessageButtons::OkCancel)
            style = wxOK | wxCANCEL;
        else if (buttons == MessageButtons::SaveDontSaveCancel)
            style = wxYES_NO | wxCANCEL;
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
        switch (buttons) {
        case MessageButtons::Ok:
            box.SetOKLabel(wxString::FromUTF8("OK"));
            break;
        case MessageButtons::OkCancel:
            box.SetOKCancelLabels(wxString::FromUTF8("OK"), wxString::FromUTF8("ｷｬﾝｾﾙ"));
            break;
        case MessageButtons::SaveDontSaveCancel:
            box.SetYesNoCancelLabels(wxString::FromUTF8("保存する(&S)"),
                                     wxString::FromUTF8("保存しない(&N)"),
                                     wxString::FromUTF8("ｷｬﾝｾﾙ"));
            break;
        }
        return box.ShowModal();
    });
}

} // namespace uikit
