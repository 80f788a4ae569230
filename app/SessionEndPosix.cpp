#include "SessionEnd.h"

#include <wx/app.h>

#include <csignal>

namespace tonvale {
namespace {

std::function<void()>& handler()
{
    static std::function<void()> onEnd;
    return onEnd;
}

// Not a signal handler: wx notes the signal and calls this from the event
// loop.
void sessionEnds(int)
{
    if (handler())
        handler()();
}

} // namespace

void callOnSessionEnd(std::function<void()> onEnd)
{
    handler() = std::move(onEnd);
    for (const int signal : {SIGTERM, SIGHUP})
        wxTheApp->SetSignalHandler(signal, handler() ? sessionEnds : SIG_DFL);
}

} // namespace tonvale
