#pragma once
#include <wx/dialog.h>

namespace tonvale {

// Dialog 100: the icon, the version line and OK.
class AboutDialog : public wxDialog {
public:
    explicit AboutDialog(wxWindow* parent);
};

} // namespace tonvale
