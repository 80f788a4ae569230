#include "OpenFolder.h"

#include <wx/utils.h>

namespace tonvale {

void openFolder(const std::string& folder, std::function<void()> failed)
{
    // The shell answers at once whether it could open the folder.
    if (!wxLaunchDefaultApplication(wxString::FromUTF8(folder)))
        failed();
}

} // namespace tonvale
