#pragma once
// Dialogs are XRC resources laid out in Win32 dialog units. GTK controls are
// taller than Win32 ones and XRC sizes a dialog before applying its font, so
// loading goes through here: prepareXrc() installs the stock handlers, a
// dialog handler that re-applies the template size in the dialog's own font,
// and a compact style for buttons, entries and drop-down lists.

#include <mutex>

class wxDialog;
class wxWindow;

namespace uikit {

// Once per owner (the program and each library call it through their own
// std::once_flag before loading their first resource).
void prepareXrc();

// Two-step creation of dlg from the resource name; throws std::runtime_error
// when the resource is missing.
void loadDialog(wxDialog& dlg, wxWindow* parent, const char* name);

} // namespace uikit
