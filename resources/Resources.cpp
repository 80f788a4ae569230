#include "Resources.h"

#include "uikit/Xrc.h"

#include <wx/image.h>
#include <wx/xrc/xmlres.h>

#include <mutex>

void InitTonvaleXrc();

namespace tonvale {

void ensureResources()
{
    static std::once_flag once;
    std::call_once(once, [] {
        uikit::prepareXrc();
        // The icon is a PNG embedded with the dialogs.
        if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr)
            wxImage::AddHandler(new wxPNGHandler);
        InitTonvaleXrc();
    });
}

wxIcon programIcon()
{
    ensureResources();
    wxIcon icon;
    icon.CopyFromBitmap(wxXmlResource::Get()->LoadBitmap("TONVALE_ICON_128"));
    return icon;
}

} // namespace tonvale
