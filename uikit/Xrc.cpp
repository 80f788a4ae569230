#include "uikit/Xrc.h"

#include <wx/dialog.h>
#include <wx/xrc/xmlres.h>
#include <wx/xrc/xh_dlg.h>
#include <wx/tokenzr.h>

#include <gtk/gtk.h>

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
        auto* dlg = wxDynamicCast(made, wxDialog);
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

// Win32 templates give buttons and drop-down lists 12-15 dialog units; the
// default GTK theme wants 34 px for them. Trim padding and minimum heights so
// that the templates' geometry holds.
void applyCompactStyle()
{
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css,
        "button { min-height: 0; min-width: 0; padding: 1px 4px; }"
        "combobox button, combobox box { min-height: 0; padding-top: 0; padding-bottom: 0; }"
        "entry { min-height: 0; padding-top: 1px; padding-bottom: 1px; }"
        "spinbutton, spinbutton entry, spinbutton button { min-height: 0; padding-top: 0; padding-bottom: 0; }"
        "checkbutton, radiobutton { min-height: 0; padding-top: 0; padding-bottom: 0; }",
        -1, nullptr);
    if (GdkScreen* screen = gdk_screen_get_default())
        gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(css),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(css);
}

} // namespace

void prepareXrc()
{
    wxXmlResource* res = wxXmlResource::Get();
    res->InitAllHandlers();
    res->InsertHandler(new DialogUnitsDialogHandler);
    applyCompactStyle();
}

void loadDialog(wxDialog& dlg, wxWindow* parent, const char* name)
{
    if (!wxXmlResource::Get()->LoadDialog(&dlg, parent, wxString::FromUTF8(name)))
        throw std::runtime_error(std::string("missing dialog resource ") + name);
}

} // namespace uikit
