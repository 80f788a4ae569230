#include "uikit/Xrc.h"
#include "PlatformStyle.h"

#include <wx/dialog.h>
#include <wx/xrc/xmlres.h>
#include <wx/xrc/xh_dlg.h>
#include <wx/tokenzr.h>

#include <stdexcept>
#include <string>

namespace uikit {
namespace {

// The stock handler converts "<size>w,hd</size>" with the default font, before
// the dialog's own <font> is set; Win32 measures dialog units in the
// template's font. Re-apply the client size once the font is in place.
class DialogUnitsDialogHandler : public wxDialogXmlHandler {
public:
    wxObject* DoCreateResource() override
    {
        wxObject* made = wxDialogXmlHandler::DoCreateResource();
        auto* dlg = dynamic_cast<wxDialog*>(made);
        const wxString size = GetParamValue(wxT("size"));
        if (dlg != nullptr && size.EndsWith(wxT("d"))) {
            long w = 0, h = 0;
            wxStringTokenizer parts(size.BeforeLast('d'), wxT(","));
            if (parts.GetNextToken().ToLong(&w) && parts.GetNextToken().ToLong(&h))
                dlg->SetClientSize(dlg->ConvertDialogToPixels(wxSize(int(w), int(h))));
        }
        return made;
    }
};

} // namespace

void prepareXrc()
{
    wxXmlResource* res = wxXmlResource::Get();
    res->InitAllHandlers();
    res->InsertHandler(new DialogUnitsDialogHandler);
    applyPlatformStyle();
}

void loadDialog(wxDialog& dlg, wxWindow* parent, const char* name)
{
    if (!wxXmlResource::Get()->LoadDialog(&dlg, parent, wxString::FromUTF8(name)))
        throw std::runtime_error(std::string("missing dialog resource ") + name);
}

} // namespace uikit
