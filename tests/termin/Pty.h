#pragma once
// Test doubles for a serial line: a pseudo-terminal whose master side plays
// the instrument, and a private port directory that names it "COMn".

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

class Pty {
public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const std::string& slavePath() const { return path; }
    // The test's own descriptor of the line side, for looking at its state.
    int slaveFd() const { return slave; }

    // Sends bytes to whoever has the line open.
    void send(std::string_view bytes);
    // Everything the line side has written within the time limit.
    std::string receive(std::chrono::milliseconds limit = std::chrono::milliseconds(200));
    // The instrument goes away: the line hangs up.
    void closeMaster();

private:
    int master = -1;
    int slave = -1;
    std::string path;
};

// Points XDG_CONFIG_HOME at a fresh directory for the test's lifetime.
class PortDirectory {
public:
    PortDirectory();
    ~PortDirectory();
    PortDirectory(const PortDirectory&) = delete;
    PortDirectory& operator=(const PortDirectory&) = delete;

    const std::filesystem::path& configHome() const { return root; }
    // Makes portName ("COM3") lead to target.
    void link(const std::string& portName, const std::string& target);

private:
    std::filesystem::path root;
    std::string previous;
    bool hadPrevious = false;
};
