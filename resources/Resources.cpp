#include "Resources.h"

#include "uikit/Xrc.h"

#include <wx/image.h>

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

} // namespace tonvale
