#include "ExceptionReport.h"

#include "Messages.h"

#include <exception>
#include <string>

namespace tonvale {

void callHandlerReportingErrors(wxEvtHandler* handler, wxEventFunction func, wxEvent& event)
{
    std::string what;
    try {
        (handler->*func)(event);
        return;
    } catch (const std::exception& e) {
        what = e.what();
    } catch (...) {
        what = "Unknown error";
    }
    showText(what);
}

} // namespace tonvale
