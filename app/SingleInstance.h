#pragma once
// One Tonvale per user session, named "CRAZY_SX4810K". The first instance
// holds the name; a second start finds it taken, asks the first to come
// forward and ends. On Linux the name is a lock file with a socket beside
// it, on which the first instance listens; on Windows it is the named mutex,
// and the first instance marks its main window with a window property of
// the same name, which a second start looks for. One implementation per
// platform: SingleInstancePosix.cpp, SingleInstanceWin32.cpp.

#include <functional>
#include <memory>
#include <string>

class wxWindow;

namespace tonvale {

class SingleInstance {
public:
    // dir holds the rendezvous (on POSIX a lock file and a socket); by
    // default defaultDirectory(). Windows has no use for it: the mutex lives
    // in the user's session.
    explicit SingleInstance(std::string name, std::string dir = defaultDirectory());
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    enum class Claim {
        First,  // this is the first instance: it calls onActivate on the UI
                // thread for each later start
        Second, // another instance holds the name
        Failed, // the name could not be taken: failure() says why
    };
    Claim claim(std::function<void()> onActivate);

    // Why the claim failed, for the operator: the file and the reason.
    const std::string& failure() const;

    // Asks the instance holding the name to come forward; true when it was
    // reached.
    bool activateFirst() const;

    // The first instance's main window, which a later start brings forward
    // (marked while it lives on Windows; Linux needs no mark).
    void markMainWindow(wxWindow& window);

    // A directory of the user's own: $XDG_RUNTIME_DIR, else "tonvale-" and
    // the user id in the temporary directory. Made when missing; the claim
    // refuses one that is not a real directory of the user's alone. Empty on
    // Windows.
    static std::string defaultDirectory();

private:
    struct Rendezvous;
    std::unique_ptr<Rendezvous> rendezvous;
};

// Restores the main window if minimised and raises the topmost window of the
// process: an open modal dialog or message box, else the main window.
void bringProcessToFront();

} // namespace tonvale
