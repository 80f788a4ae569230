#pragma once
// The simulated instrument on a pseudo-terminal: the line at 9600 baud
// (optionally paced), the instrument's working time, injected faults, the
// log of received commands and the control socket that drives all of it.

#include "Colorimetry.h"
#include "Device.h"
#include "PortLink.h"

#include <chrono>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sxsim {

struct SimulatorOptions {
    std::string portName;    // published under this port name when not empty
    std::string controlPath; // control socket when not empty
    bool pace = false;
    std::chrono::milliseconds measureTime{0};
    std::chrono::milliseconds calibrateTime{0};
    int productId = 3;
    std::string colordDir;
};

// The control commands, as HELP and sxsim --help show them.
extern const char* const controlCommandHelp;

class Simulator {
public:
    // Opens the pseudo-terminal, the link and the control socket.
    // Throws std::runtime_error.
    explicit Simulator(const SimulatorOptions& options);
    ~Simulator();

    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    const std::string& slavePath() const { return slave; }
    std::string linkPath() const { return link ? link->path() : std::string(); }
    const Colorimeter& colours() const { return colorimeter; }

    // Serves the line and the control socket until SIGINT, SIGTERM, SIGHUP
    // or QUIT.
    void run();

private:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;

    enum class LineFault { Code, Reply, Empty, Garbage, Nul, NoLf };
    struct Injection {
        LineFault kind;
        std::string text;
    };
    struct RxByte {
        char byte;
        TimePoint arrival;
    };
    struct TxChunk {
        TimePoint due;
        std::string bytes;
        std::string line; // for the trace
    };
    struct LogEntry {
        TimePoint arrival;
        std::string bytes;
    };
    struct Peer {
        int fd;
        std::string input;
    };

    void readLine(TimePoint now);
    void takeArrivedCommands(TimePoint now);
    void handleCommand(const std::string& line, TimePoint arrival);
    bool queueReply(Reply reply, TimePoint start);
    void sendDueBytes(TimePoint now);
    std::optional<TimePoint> nextWake() const;
    void portClosed();
    void acceptPeer();
    bool servePeer(Peer& peer);
    std::string control(std::string_view line);
    void trace(TimePoint when, const char* direction, std::string_view bytes);

    SimulatorOptions options;
    Colorimeter colorimeter;
    Device device;

    int signals = -1;
    int master = -1;
    int watch = -1; // notices the program opening the line
    int listener = -1;
    std::string slave;
    std::unique_ptr<PortLink> link;
    std::vector<Peer> peers;

    bool portOpen = true;
    bool running = true;
    std::deque<RxByte> rxPending;
    std::string rxLine;
    bool overrun = false;
    TimePoint rxLineFree;
    std::deque<TxChunk> tx;
    TimePoint txLineFree;
    bool txBlocked = false;

    std::deque<Injection> injections;
    std::optional<std::chrono::milliseconds> nextDelay;
    bool nextSilent = false;
    std::vector<LogEntry> log;
};

} // namespace sxsim
