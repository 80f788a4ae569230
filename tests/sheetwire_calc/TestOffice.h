#pragma once
// Offices of the tests' own: each on a throw-away profile and its own pipe
// name, visible on the test display. Whatever office runs on that profile,
// whether the test or the backend started it, is killed by process id when
// the TestOffice goes, and its profile and pipe files are removed.

#include "sheetwire/CalcBackend.h"

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <set>
#include <string>
#include <vector>

class TestOffice {
public:
    // A profile nobody uses yet and a pipe name nobody listens on. The
    // profile is a copy of one an office has set up before, unless fresh
    // asks for an empty one as a new user has (on its first start the
    // office sets it up and restarts itself, which takes seconds).
    explicit TestOffice(bool fresh = false);
    ~TestOffice();

    TestOffice(const TestOffice&) = delete;
    TestOffice& operator=(const TestOffice&) = delete;

    // What a backend for this office is made with.
    sheetwire::CalcOffice office() const { return {profileUrl, pipeName}; }

    // Starts soffice on the profile and waits until the office runs. With
    // accept it listens on our pipe from the start; extra arguments go on
    // its command line (e.g. "--calc" for a first document).
    void start(bool accept, const std::vector<std::string>& extra = {});

    // The office's processes (the launcher and soffice.bin), found by the
    // profile on their command line or as our own child.
    std::vector<pid_t> pids() const;
    bool running() const { return !pids().empty(); }

    // Kills every process of the office and waits until they are gone.
    void kill();
    // Waits for the office to end by itself.
    bool waitGone(std::chrono::milliseconds limit);

    // Whether the local pipe of this name (in the office's per-user naming)
    // has a listener, and where its file lies.
    static bool pipeAnswers(const std::string& name);
    static std::string pipePath(const std::string& name);
    // The office's single-instance pipe for a profile URL.
    static std::string singleInstancePipe(const std::string& profileUrl);

    std::string profileDir;
    std::string profileUrl;
    std::string pipeName;
    // Makes this an office on the default profile of a user whose
    // configuration directory is configHome: started without a profile
    // argument, with that XDG_CONFIG_HOME.
    void useDefaultProfileUnder(const std::string& configHome);

private:
    bool waitUntil(const std::function<bool()>& ready, std::chrono::milliseconds limit) const;

    std::string configHome;
    pid_t child = -1;
    // Every process pids() has found since the office was last gone.
    mutable std::set<pid_t> seen;
};
