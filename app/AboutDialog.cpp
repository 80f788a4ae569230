#include "AboutDialog.h"

#include "Resources.h"
#include "uikit/Xrc.h"

namespace tonvale {

AboutDialog::AboutDialog(wxWindow* parent)
{
    ensureResources();
    uikit::loadDialog(*this, parent, "TONVALE_ABOUT_100");
}

} // namespace tonvale
