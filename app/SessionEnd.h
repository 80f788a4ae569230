#pragma once
// The session asking the program to end: logging out of the desktop, a
// shutdown, kill. On POSIX these are the signals SIGTERM and SIGHUP.

#include <functional>

namespace tonvale {

// onEnd runs on the UI thread, from its event loop (also a dialog's), when
// the session asks the program to end. An empty function gives the signals
// back their default: the program ends at once.
void callOnSessionEnd(std::function<void()> onEnd);

} // namespace tonvale
