#include "AboutCommand.h"

#include "Strings.h"

#include <wx/frame.h>
#include <wx/menu.h>

namespace tonvale {

void placeAboutCommand(wxFrame& window)
{
    const std::string text = strings().get(101);
    if (text.empty() || window.GetMenuBar() == nullptr)
        return;
    auto* help = new wxMenu;
    help->Append(wxID_ABOUT, wxString::FromUTF8(text));
    window.GetMenuBar()->Append(help, wxString::FromUTF8("ヘルプ(&H)"));
}

} // namespace tonvale
