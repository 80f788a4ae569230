#pragma once
// An exception that escapes a command handler (a spreadsheet automation
// error, say) is reported in an error box and the program goes on.

#include <wx/event.h>

namespace tonvale {

// Calls handler for event; on an exception shows its text and returns.
void callHandlerReportingErrors(wxEvtHandler* handler, wxEventFunction func, wxEvent& event);

} // namespace tonvale
