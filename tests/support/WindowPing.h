#pragma once
// Whether a window's program is alive, asked as a window manager asks it:
// the desktop's _NET_WM_PING message, which the toolkit answers from its
// event loop. A program that runs no event loop (a busy or blocked UI
// thread) does not answer.

#include <chrono>
#include <optional>

class wxWindow;

// The window system's id of the top-level window; on the UI thread.
unsigned long nativeWindowId(wxWindow& window);

// Pings the window with that id over a connection of its own (any thread
// may call it); the time the answer took, or nothing within limit.
std::optional<std::chrono::milliseconds> pingWindow(unsigned long window,
                                                    std::chrono::milliseconds limit);
