#pragma once
// Runs the instrument simulator for a test: SimProcess starts build/sxsim
// with a private control socket and a private XDG_CONFIG_HOME in which the
// simulator links its line as the port (COM1 unless told otherwise), waits
// until it answers, and ends it when destroyed.
//
// The Windows edition's tests run under Wine and start the very same Linux
// simulator (Wine runs Unix programs too); there COMn leads to
// $TONVALE_WINE_PORTS/termin/ports/COMn through the prefix's port mapping,
// the simulator links its line there, and control goes over loopback TCP.
//
//   sxsim::SimProcess sim;                 // COM1 now leads to the simulator
//   sim.command("FLAGS 22000000");         // calibrated for every condition
//   ... open "COM1" with termin::SerialPort and talk ...
//   auto received = sim.log();             // what arrived, and when
//
// On Linux, while a SimProcess lives, XDG_CONFIG_HOME of the test process
// points at its private directory, so that Termin finds the port there; the
// old value comes back when it is destroyed. One SimProcess at a time per
// process (under Wine: per prefix, since the port mapping is the prefix's).

#include "ControlClient.h"

#include <csignal>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/types.h>
#endif

namespace sxsim {

struct SimOptions {
    std::string portName = "COM1";
    bool pace = false;
    int measureMs = 0;
    int calibrateMs = 0;
    int productId = 3;
};

// A control command that the simulator refused (answer "ERR ...").
class SimError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ReceivedCommand {
    std::int64_t ms;   // arrival, CLOCK_MONOTONIC (std::chrono::steady_clock) in ms
    std::string bytes; // the command line as received, CR LF included
};

class SimProcess {
public:
    // Throws std::runtime_error (with the simulator's output) when it does
    // not come up within a few seconds.
    explicit SimProcess(const SimOptions& options = {});
    ~SimProcess();

    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const std::string& slavePath() const { return slave; }
    const std::string& portName() const { return port; }
    const std::string& configHome() const { return config; }
    const std::string& linkPath() const { return link; }
    const std::string& controlPath() const { return controlSocket; }

    // One control command (see sxsim --help); returns what follows "OK" on
    // its last line, without the blank. Throws SimError on "ERR".
    std::string command(const std::string& line);
    std::vector<ReceivedCommand> log();

    // Sends the signal and waits for the simulator to end; returns its exit
    // status, or 128 + signal number when a signal killed it. Under Wine the
    // simulator is asked to quit whatever the signal; 0 once it has.
    int stop(int signal = SIGTERM);

    // Everything the simulator printed: its start-up lines and the traffic.
    std::string output() const;

private:
    std::string directory;
    std::string config;
    std::string port;
    std::string slave;
    std::string link;
    std::string controlSocket;
#ifdef _WIN32
    bool running = false;
#else
    pid_t pid = -1;
    std::optional<std::string> savedConfigHome;
#endif
    std::unique_ptr<ControlClient> client;
};

} // namespace sxsim
