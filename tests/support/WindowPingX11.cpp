#include "WindowPing.h"

#include <wx/toplevel.h>
#include <wx/window.h>

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <X11/Xlib.h>

#include <poll.h>

#include <atomic>

unsigned long nativeWindowId(wxWindow& window)
{
    GtkWidget* widget = wxGetTopLevelParent(&window)->GetHandle();
    GdkWindow* gdkWindow = gtk_widget_get_window(widget);
    return gdkWindow != nullptr ? GDK_WINDOW_XID(gdkWindow) : 0;
}

std::optional<std::chrono::milliseconds> pingWindow(unsigned long window,
                                                    std::chrono::milliseconds limit)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return std::nullopt;
    // The answer goes to the root window, where a window manager hears it.
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom ping = XInternAtom(display, "_NET_WM_PING", False);
    static std::atomic<long> serial{1};
    const long stamp = serial++;

    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = window;
    request.xclient.message_type = protocols;
    request.xclient.format = 32;
    request.xclient.data.l[0] = static_cast<long>(ping);
    request.xclient.data.l[1] = stamp;
    request.xclient.data.l[2] = static_cast<long>(window);
    const auto start = std::chrono::steady_clock::now();
    XSendEvent(display, window, False, NoEventMask, &request);
    XFlush(display);

    std::optional<std::chrono::milliseconds> answered;
    while (!answered) {
        while (!answered && XPending(display) > 0) {
            XEvent event{};
            XNextEvent(display, &event);
            if (event.type == ClientMessage && event.xclient.message_type == protocols &&
                static_cast<Atom>(event.xclient.data.l[0]) == ping && event.xclient.data.l[1] == stamp)
                answered = std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now() - start);
        }
        const auto left = limit - (std::chrono::steady_clock::now() - start);
        if (answered || left <= std::chrono::steady_clock::duration::zero())
            break;
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1,
             static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(left).count()) + 1);
    }
    XCloseDisplay(display);
    return answered;
}
