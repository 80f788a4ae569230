#include "ColourTables.h"

#include <wx/filename.h>
#include <wx/stdpaths.h>

namespace tonvale {

std::string colourTablesDirectory()
{
    const wxFileName program(wxStandardPaths::Get().GetExecutablePath());
    return (program.GetPath() + "\\colord").utf8_string();
}

} // namespace tonvale
