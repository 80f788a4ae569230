#include "SingleInstance.h"

#include <wx/app.h>
#include <wx/toplevel.h>

#include <gtk/gtk.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace tonvale {
namespace {

bool fillAddress(const std::string& path, sockaddr_un& addr)
{
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

} // namespace

std::string SingleInstance::defaultDirectory()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return runtime;
    return "/tmp";
}

SingleInstance::SingleInstance(std::string name, std::string dir)
{
    // /tmp is shared between users: keep each user's instance apart there.
    const std::string base = dir + "/" + name + "-" + std::to_string(getuid());
    lockPath = base + ".lock";
    socketPath = base + ".sock";
}

SingleInstance::~SingleInstance()
{
    if (listener.joinable()) {
        const uint64_t one = 1;
        if (write(stopFd, &one, sizeof one) < 0) {
            // The listener also ends when its socket closes below.
        }
        listener.join();
    }
    if (listenFd >= 0) {
        close(listenFd);
        unlink(socketPath.c_str());
    }
    if (stopFd >= 0)
        close(stopFd);
    if (lockFd >= 0)
        close(lockFd); // releases the lock
}

bool SingleInstance::claim(std::function<void()> activate)
{
    lockFd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd < 0 || flock(lockFd, LOCK_EX | LOCK_NB) != 0)
        return false;

    onActivate = std::move(activate);
    sockaddr_un addr;
    if (!fillAddress(socketPath, addr))
        return true; // first instance all the same, just unreachable
    unlink(socketPath.c_str()); // left over by a crashed instance; we hold the lock
    listenFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd < 0 || bind(listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0
        || ::listen(listenFd, 4) != 0) {
        if (listenFd >= 0)
            close(listenFd);
        listenFd = -1;
        return true;
    }
    stopFd = eventfd(0, EFD_CLOEXEC);
    listener = std::thread([this] { listen(); });
    return true;
}

void SingleInstance::listen()
{
    for (;;) {
        pollfd fds[2] = {{listenFd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents != 0)
            return;
        const int peer = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (peer < 0)
            continue;
        close(peer);
        if (wxTheApp != nullptr)
            wxTheApp->CallAfter(onActivate);
    }
}

// A later start reaches this instance through its socket instead.
void SingleInstance::markMainWindow(wxWindow&) {}

bool SingleInstance::activateFirst() const
{
    sockaddr_un addr;
    if (!fillAddress(socketPath, addr))
        return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool reached = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return reached;
}

void bringProcessToFront()
{
    if (wxTheApp == nullptr)
        return;
    if (auto* main = dynamic_cast<wxTopLevelWindow*>(wxTheApp->GetTopWindow())) {
        if (main->IsIconized())
            main->Iconize(false);
        main->Raise();
    }
    // The topmost pop-up may be a native message box that wx does not list:
    // ask GTK for the visible modal windows and present the last one.
    GtkWindow* front = nullptr;
    GList* all = gtk_window_list_toplevels();
    for (GList* w = all; w != nullptr; w = w->next) {
        auto* win = GTK_WINDOW(w->data);
        if (gtk_widget_get_visible(GTK_WIDGET(win)) && gtk_window_get_modal(win))
            front = win;
    }
    g_list_free(all);
    if (front != nullptr)
        gtk_window_present(front);
}

} // namespace tonvale
