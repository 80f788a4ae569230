#include "SessionEnd.h"

#include <wx/app.h>

namespace tonvale {
namespace {

std::function<void()>& handler()
{
    static std::function<void()> onEnd;
    return onEnd;
}

} // namespace

// Windows ends a session (logging off, shutting down) with WM_ENDSESSION,
// which wx hands the application as wxEVT_END_SESSION; without a handler wx
// closes every window, as it does by default.
void callOnSessionEnd(std::function<void()> onEnd)
{
    handler() = std::move(onEnd);
    static const bool bound = [] {
        wxTheApp->Bind(wxEVT_END_SESSION, [](wxCloseEvent& event) {
            if (handler())
                handler()();
            else
                event.Skip();
        });
        return true;
    }();
    (void)bound;
}

} // namespace tonvale
