#pragma once
// One Tonvale per user session, named "CRAZY_SX4810K". The first instance
// holds an exclusive lock and listens on a socket beside it; a second start
// finds the lock taken, asks the first to come forward and ends.

#include <functional>
#include <string>
#include <thread>

namespace tonvale {

class SingleInstance {
public:
    // dir holds the lock and the socket; by default the user's runtime
    // directory ($XDG_RUNTIME_DIR, else /tmp with the user id in the name).
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

    static std::string defaultDirectory();

private:
    void listen();

    std::string lockPath;
    std::string socketPath;
    int lockFd = -1;
    int listenFd = -1;
    int stopFd = -1;
    std::function<void()> onActivate;
    std::thread listener;
};

// Restores the main window if minimised and raises the topmost window of the
// process: an open modal dialog or message box, else the main window.
void bringProcessToFront();

} // namespace tonvale
