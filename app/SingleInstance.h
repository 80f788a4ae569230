#pragma once
// One Tonvale per user session, named "CRAZY_SX4810K". On Linux the first
// instance holds an exclusive lock and listens on a socket beside it; a
// second start finds the lock taken, asks the first to come forward and
// ends. On Windows the first instance owns the named mutex and marks its
// main window with a window property of the same name; a second start finds
// the mutex taken, looks for the marked window, brings it forward and ends.
// One implementation per platform: SingleInstancePosix.cpp,
// SingleInstanceWin32.cpp.

#include <functional>
#include <string>
#include <thread>

class wxWindow;

namespace tonvale {

class SingleInstance {
public:
    // dir holds the lock and the socket; by default the user's runtime
    // directory ($XDG_RUNTIME_DIR, else /tmp with the user id in the name).
    // Windows has no use for it: the mutex lives in the user's session.
    explicit SingleInstance(std::string name, std::string dir = defaultDirectory());
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Takes the lock. True when this is the first instance: it then listens
    // and calls onActivate on the UI thread for each later start.
    bool claim(std::function<void()> onActivate);

    // Asks the instance holding the lock to come forward; true when it was
    // reached.
    bool activateFirst() const;

    // The first instance's main window, which a later start brings forward
    // (marked while it lives on Windows; Linux needs no mark).
    void markMainWindow(wxWindow& window);

    static std::string defaultDirectory();

private:
#ifdef _WIN32
    std::string name;
    void* mutex = nullptr; // HANDLE
#else
    void listen();

    std::string lockPath;
    std::string socketPath;
    int lockFd = -1;
    int listenFd = -1;
    int stopFd = -1;
    std::function<void()> onActivate;
    std::thread listener;
#endif
};

// Restores the main window if minimised and raises the topmost window of the
// process: an open modal dialog or message box, else the main window.
void bringProcessToFront();

} // namespace tonvale
