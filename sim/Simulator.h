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
    // Control socket when not empty: a Unix socket's path, or "tcp:PORT" for
    // a loopback port (0: the system picks one).
    std::string controlPath;
    bool pace = false;
    std::chrono::milliseconds measureTime{0};
    std::chrono::milliseconds calibrateTime{0};
    int productId = 3;
    std::string colordDir;
};

// True for a control endpoint "tcp:PORT" (or "tcp:HOST:PORT" on the client's
// side) rather than a Unix socket's path.
inline bool isTcpEndpoint(const std::string& endpoint)
{
    return endpoint.compare(0, 4, "tcp:") == 0;
}

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
    // Where the control socket listens: its path, or "tcp:127.0.0.1:PORT".
    const std::string& controlEndpoint() const { return endpoint; }

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
    void listenOnUnixSocket(const std::string& path);
    void listenOnTcp(const std::string& port);
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
    std::string endpoint;
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
