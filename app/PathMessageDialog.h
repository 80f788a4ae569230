#pragma once
// A failure that names a file or folder the operator may want to reach by
// hand: the message, then the path in a read-only field whose text can be
// selected and copied, the reason (if any) and OK.

#include <wx/dialog.h>

#include <string>

namespace tonvale {

class PathMessageDialog : public wxDialog {
public:
    PathMessageDialog(wxWindow* parent, const std::string& message, const std::string& path,
                      const std::string& reason);
};

} // namespace tonvale
