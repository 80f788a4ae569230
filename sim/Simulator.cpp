#include "Simulator.h"

#include "Escape.h"
#include "Samples.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <netinet/in.h>
#include <arpa/inet.h>
#include <termios.h>
#include <unistd.h>

namespace sxsim {

const char* const controlCommandHelp =
    "Control commands, one per line; the last line of every answer begins\n"
    "with OK or ERR:\n"
    "  PING                     answers OK\n"
    "  PATH                     the pseudo-terminal's path\n"
    "  STATE                    product, conditions, flags, busy polls, remote, sample\n"
    "  PRODUCT n                product ID 0-99 (3 SX-4810k, 13 SX-4800k)\n"
    "  CONDITIONS area mode     area 0-1 (8 mm, 3 mm), mode 0-5\n"
    "  FLAGS dddddddd           the eight calibration flags (0 none, 1 zero, 2 white)\n"
    "  BUSY n                   answer the next n status polls as busy\n"
    "  SAMPLES                  the sample surfaces\n"
    "  SAMPLE name|cycle        keep one sample under the aperture, or a new\n"
    "                           one for every measurement (the default)\n"
    "  PRESS [LAB ill obs]      the measuring button; in remote mode the data\n"
    "                           lines go out, spectral or L*a*b* for illuminant\n"
    "                           0-10 and observer 0-1; answers OK and the count\n"
    "Faults for the next reply lines, one line each, in the order given:\n"
    "  CODE cccc                this reply code instead of the instrument's; an\n"
    "                           ER code goes alone and ends the reply, any other\n"
    "                           keeps the line's fields\n"
    "  REPLY text               this text instead of the line (escapes \\r \\n \\0\n"
    "                           \\xNN); a line of class ER ends the reply\n"
    "  EMPTY                    a bare LF\n"
    "  GARBAGE                  line noise, then CR LF\n"
    "  NUL                      the line with a NUL byte after each code character\n"
    "  NOLF                     the line without its LF\n"
    "For the next reply as a whole:\n"
    "  SILENT                   no reply at all\n"
    "  DELAY seconds            the reply that much later\n"
    "An injected ER line in the first reply line undoes the command's effect.\n"
    "  SEND text                these bytes on the line now, outside any reply\n"
    "                           (escapes as for REPLY)\n"
    "  LOG                      received command lines: monotonic ms, escaped bytes\n"
    "  CLEARLOG                 empties the log\n"
    "  QUIT                     ends the simulator\n"
    "  HELP                     this text\n";

namespace {

// One character of 8N1 at 9600 baud: ten bit times.
constexpr auto byteTime = std::chrono::nanoseconds(1'041'667);

// The longest command line the instrument buffers before reporting overrun.
constexpr std::size_t lineLimit = 256;

const std::string garbage = std::string("\xFE\x7F#~*\x81%q\x05", 9);

std::runtime_error systemError(const std::string& what)
{
    return std::runtime_error(what + ": " + std::strerror(errno));
}

std::optional<int> integer(std::string_view text, int low, int high)
{
    int value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

std::vector<std::string> words(std::string_view line)
{
    std::istringstream in{std::string(line)};
    std::vector<std::string> result;
    for (std::string word; in >> word;)
        result.push_back(word);
    return result;
}

std::string upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

long long monotonicMs(std::chrono::steady_clock::time_point when)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch())
        .count();
}

// The text after a command word of the given length and one blank, spaces
// included.
std::string_view restOf(std::string_view line, std::size_t wordLength)
{
    const std::size_t start = std::min(line.find_first_not_of(' '), line.size());
    std::string_view rest = line.substr(std::min(start + wordLength, line.size()));
    if (!rest.empty() && rest.front() == ' ')
        rest.remove_prefix(1);
    return rest;
}

void setNonBlocking(int fd)
{
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

} // namespace

Simulator::Simulator(const SimulatorOptions& opts)
    : options(opts), colorimeter(opts.colordDir),
      device(colorimeter, opts.measureTime, opts.calibrateTime)
{
    device.state.productId = options.productId;

    // The stop signals arrive through a descriptor so that the link is
    // always removed; a disposition inherited as "ignore" would swallow them.
    sigset_t stop;
    sigemptyset(&stop);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(s, SIG_DFL);
        sigaddset(&stop, s);
    }
    std::signal(SIGPIPE, SIG_IGN);
    sigprocmask(SIG_BLOCK, &stop, nullptr);
    signals = signalfd(-1, &stop, SFD_CLOEXEC | SFD_NONBLOCK);
    if (signals < 0)
        throw systemError("signalfd");

    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        throw systemError("pseudo-terminal");
    fcntl(master, F_SETFD, FD_CLOEXEC);
    setNonBlocking(master);
    char name[128];
    if (ptsname_r(master, name, sizeof name) != 0)
        throw systemError("ptsname");
    slave = name;

    // Raw from the start: a cooked line would turn the CR of every command
    // into LF and echo the replies. The settings outlive this descriptor.
    const int fd = open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        throw systemError(slave);
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    tcsetattr(fd, TCSANOW, &tio);
    close(fd);

    watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch < 0 || inotify_add_watch(watch, slave.c_str(), IN_OPEN) < 0)
        throw systemError("inotify " + slave);

    if (isTcpEndpoint(options.controlPath))
        listenOnTcp(options.controlPath.substr(4));
    else if (!options.controlPath.empty())
        listenOnUnixSocket(options.controlPath);

    // Last, so that a simulator that cannot start never takes the port name
    // from one that runs.
    if (!options.portName.empty()) {
        try {
            link = std::make_unique<PortLink>(options.portName, slave);
        } catch (const std::runtime_error&) {
            if (listener >= 0) {
                close(listener);
                if (!isTcpEndpoint(options.controlPath))
                    unlink(options.controlPath.c_str());
            }
            throw;
        }
    }
}

void Simulator::listenOnUnixSocket(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        throw std::runtime_error("control socket path too long: " + path);
    std::strcpy(address.sun_path, path.c_str());
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0) {
        if (!S_ISSOCK(info.st_mode))
            throw std::runtime_error(path + " exists and is not a socket");
        // A socket somebody still answers on belongs to a running
        // simulator; only a leftover one may go.
        const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const bool live =
            probe >= 0 &&
            connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        if (probe >= 0)
            close(probe);
        if (live)
            throw std::runtime_error(path + " is in use by a running simulator");
        unlink(path.c_str());
    }
    listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener < 0 ||
        bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 8) != 0)
        throw systemError("control socket " + path);
    endpoint = path;
}

// For programs that cannot reach a Unix socket (the Windows edition's tests
// under Wine): a loopback port, 0 for one the system picks.
void Simulator::listenOnTcp(const std::string& port)
{
    const auto number = integer(port, 0, 65535);
    if (!number)
        throw std::runtime_error("control port 0-65535: " + port);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(*number));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    socklen_t length = sizeof address;
    if (listener < 0 ||
        bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 8) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw systemError("control port " + port);
    endpoint = "tcp:127.0.0.1:" + std::to_string(ntohs(address.sin_port));
}

Simulator::~Simulator()
{
    for (const Peer& peer : peers)
        close(peer.fd);
    if (listener >= 0) {
        close(listener);
        if (!isTcpEndpoint(options.controlPath))
            unlink(options.controlPath.c_str());
    }
    for (int fd : {watch, master, signals})
        if (fd >= 0)
            close(fd);
}

void Simulator::run()
{
    while (running) {
        const TimePoint now = Clock::now();
        takeArrivedCommands(now);
        sendDueBytes(now);
        if (!running)
            break;

        std::vector<pollfd> fds = {
            {signals, POLLIN, 0},
            {portOpen ? master : -1, static_cast<short>(POLLIN | (txBlocked ? POLLOUT : 0)), 0},
            {watch, POLLIN, 0},
            {listener, POLLIN, 0},
        };
        for (const Peer& peer : peers)
            fds.push_back({peer.fd, POLLIN, 0});

        timespec wait{};
        timespec* timeout = nullptr;
        if (auto wake = nextWake()) {
            const auto left = std::max(*wake - Clock::now(), Clock::duration::zero());
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            wait.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
            wait.tv_nsec = static_cast<long>(ns % 1'000'000'000);
            timeout = &wait;
        }
        if (ppoll(fds.data(), fds.size(), timeout, nullptr) < 0) {
            if (errno == EINTR)
                continue;
            throw systemError("ppoll");
        }

        if (fds[0].revents != 0) {
            signalfd_siginfo info{};
            if (read(signals, &info, sizeof info) > 0) {
                std::printf("signal %u: stopping\n", info.ssi_signo);
                running = false;
            }
        }
        if (fds[1].revents & POLLOUT)
            txBlocked = false;
        if (fds[1].revents & POLLIN)
            readLine(Clock::now());
        if (fds[1].revents & (POLLHUP | POLLERR))
            portClosed();
        if (fds[2].revents != 0) {
            char events[4096];
            while (read(watch, events, sizeof events) > 0) {
            }
            if (!portOpen)
                std::printf("%lld line opened\n", monotonicMs(Clock::now()));
            portOpen = true;
        }
        if (fds[3].revents != 0)
            acceptPeer();
        for (std::size_t i = fds.size(); i-- > 4;) {
            if (fds[i].revents != 0 && !servePeer(peers[i - 4])) {
                close(peers[i - 4].fd);
                peers.erase(peers.begin() + static_cast<std::ptrdiff_t>(i - 4));
            }
        }
    }
}

void Simulator::readLine(TimePoint now)
{
    char buffer[512];
    for (;;) {
        const ssize_t count = read(master, buffer, sizeof buffer);
        if (count <= 0) {
            if (count < 0 && errno == EIO)
                portClosed();
            return;
        }
        for (ssize_t i = 0; i < count; ++i) {
            TimePoint arrival = now;
            if (options.pace) {
                rxLineFree = std::max(now, rxLineFree) + byteTime;
                arrival = rxLineFree;
            }
            rxPending.push_back({buffer[i], arrival});
        }
    }
}

void Simulator::takeArrivedCommands(TimePoint now)
{
    while (!rxPending.empty() && rxPending.front().arrival <= now) {
        const RxByte next = rxPending.front();
        rxPending.pop_front();
        if (next.byte == '\n') {
            if (!overrun)
                handleCommand(rxLine + '\n', next.arrival);
            overrun = false;
            rxLine.clear();
        } else if (!overrun) {
            rxLine += next.byte;
            if (rxLine.size() >= lineLimit) {
                // The rest of the line up to its LF is dropped with it.
                trace(next.arrival, "PC>", rxLine + " (overrun)");
                rxLine.clear();
                overrun = true;
                queueReply(Reply{{"ER08"}, {}}, next.arrival);
            }
        }
    }
}

void Simulator::handleCommand(const std::string& line, TimePoint arrival)
{
    log.push_back({arrival, line});
    trace(arrival, "PC>", line);
    const DeviceState before = device.state;
    if (queueReply(device.handle(line), arrival))
        device.state = before;
}

// Queues the reply lines with the pending faults applied. True when an
// injected error took the place of the first line: the instrument then
// refused the command.
bool Simulator::queueReply(Reply reply, TimePoint start)
{
    if (reply.lines.empty())
        return false;
    TimePoint due = start + reply.work;
    if (nextDelay) {
        due += *nextDelay;
        nextDelay.reset();
    }
    if (nextSilent) {
        nextSilent = false;
        trace(start, "SX>", "(silent)");
        return false;
    }
    for (std::size_t i = 0; i < reply.lines.size(); ++i) {
        const std::string& line = reply.lines[i];
        std::string bytes = line + "\r\n";
        bool error = false;
        if (!injections.empty()) {
            const Injection fault = injections.front();
            injections.pop_front();
            switch (fault.kind) {
            case LineFault::Code:
                error = fault.text.compare(0, 2, "ER") == 0;
                bytes = error ? fault.text + "\r\n"
                              : fault.text + line.substr(std::min<std::size_t>(4, line.size())) +
                                    "\r\n";
                break;
            case LineFault::Reply:
                error = fault.text.compare(0, 2, "ER") == 0;
                bytes = fault.text + "\r\n";
                break;
            case LineFault::Empty:
                bytes = "\n";
                break;
            case LineFault::Garbage:
                bytes = garbage + "\r\n";
                break;
            case LineFault::Nul:
                bytes.clear();
                for (std::size_t k = 0; k < line.size(); ++k) {
                    bytes += line[k];
                    if (k < 4)
                        bytes += '\0';
                }
                bytes += "\r\n";
                break;
            case LineFault::NoLf:
                bytes = line + "\r";
                break;
            }
        }
        tx.push_back({due, bytes, bytes});
        if (error)
            return i == 0;
    }
    return false;
}

void Simulator::sendDueBytes(TimePoint now)
{
    while (!tx.empty() && !txBlocked) {
        TxChunk& chunk = tx.front();
        if (chunk.due > now)
            return;
        if (!portOpen) {
            // Nobody has the line open: the bytes go nowhere, as on a cable.
            trace(now, "SX>", chunk.line + " (line closed, lost)");
            tx.pop_front();
            continue;
        }
        std::size_t count = chunk.bytes.size();
        if (options.pace) {
            count = 0;
            for (TimePoint at = std::max(chunk.due, txLineFree) + byteTime;
                 count < chunk.bytes.size() && at <= now; at += byteTime)
                ++count;
            if (count == 0)
                return;
        }
        const ssize_t written = write(master, chunk.bytes.data(), count);
        if (written < 0) {
            if (errno == EAGAIN) {
                txBlocked = true;
            } else {
                trace(now, "SX>", chunk.line + " (write failed: " + std::strerror(errno) + ")");
                tx.pop_front();
                if (errno == EIO)
                    portClosed();
            }
            continue;
        }
        if (options.pace)
            txLineFree = std::max(chunk.due, txLineFree) + written * byteTime;
        chunk.bytes.erase(0, static_cast<std::size_t>(written));
        if (chunk.bytes.empty()) {
            trace(now, "SX>", chunk.line);
            tx.pop_front();
        }
    }
}

std::optional<Simulator::TimePoint> Simulator::nextWake() const
{
    std::optional<TimePoint> wake;
    if (!rxPending.empty())
        wake = rxPending.front().arrival;
    if (!tx.empty() && !txBlocked) {
        const TxChunk& chunk = tx.front();
        const TimePoint due =
            options.pace && portOpen ? std::max(chunk.due, txLineFree) + byteTime : chunk.due;
        wake = wake ? std::min(*wake, due) : due;
    }
    return wake;
}

void Simulator::portClosed()
{
    if (portOpen)
        std::printf("%lld line closed\n", monotonicMs(Clock::now()));
    portOpen = false;
    txBlocked = false;
}

void Simulator::acceptPeer()
{
    const int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0)
        peers.push_back({fd, {}});
}

bool Simulator::servePeer(Peer& peer)
{
    char buffer[1024];
    const ssize_t count = read(peer.fd, buffer, sizeof buffer);
    if (count <= 0)
        return false;
    peer.input.append(buffer, static_cast<std::size_t>(count));
    for (std::size_t end; (end = peer.input.find('\n')) != std::string::npos;) {
        std::string line = peer.input.substr(0, end);
        peer.input.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string answer = control(line);
        for (std::size_t sent = 0; sent < answer.size();) {
            const ssize_t n =
                send(peer.fd, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            sent += static_cast<std::size_t>(n);
        }
    }
    return peer.input.size() <= 65536;
}

std::string Simulator::control(std::string_view line)
{
    const std::vector<std::string> args = words(line);
    if (args.empty())
        return "ERR empty command\n";
    const std::string command = upper(args[0]);
    auto argument = [&](std::size_t i) -> std::string_view {
        return i < args.size() ? std::string_view(args[i]) : std::string_view();
    };
    const TimePoint now = Clock::now();

    if (command == "HELP")
        return controlCommandHelp + std::string("OK\n");
    if (command == "PING")
        return "OK\n";
    if (command == "PATH")
        return "OK " + slave + "\n";
    if (command == "STATE") {
        const DeviceState& s = device.state;
        return "OK product=" + std::to_string(s.productId) + " area=" + std::to_string(s.area) +
               " mode=" + std::to_string(s.mode) + " flags=" + s.flags +
               " busy=" + std::to_string(s.busyPolls) + " remote=" + (s.remote ? "1" : "0") +
               " sample=" + device.sampleName() + "\n";
    }
    if (command == "PRODUCT" && args.size() == 2) {
        if (auto id = integer(argument(1), 0, 99)) {
            device.state.productId = *id;
            return "OK\n";
        }
        return "ERR product ID 0-99\n";
    }
    if (command == "CONDITIONS" && args.size() == 3) {
        auto area = integer(argument(1), 0, 1);
        auto mode = integer(argument(2), 0, 5);
        if (!area || !mode)
            return "ERR area 0-1, mode 0-5\n";
        device.state.area = *area;
        device.state.mode = *mode;
        return "OK\n";
    }
    if (command == "FLAGS" && args.size() == 2) {
        const std::string& flags = args[1];
        if (flags.size() != 8 || !std::all_of(flags.begin(), flags.end(), [](char c) {
                return std::isdigit(static_cast<unsigned char>(c));
            }))
            return "ERR eight digits\n";
        device.state.flags = flags;
        return "OK\n";
    }
    if (command == "BUSY" && args.size() == 2) {
        if (auto polls = integer(argument(1), 0, 1'000'000)) {
            device.state.busyPolls = *polls;
            return "OK\n";
        }
        return "ERR count 0-1000000\n";
    }
    if (command == "SAMPLES") {
        std::string names;
        for (const Sample& sample : samples())
            names += " " + sample.name;
        return "OK" + names + "\n";
    }
    if (command == "SAMPLE" && args.size() == 2) {
        if (upper(args[1]) == "CYCLE") {
            device.holdSample(std::nullopt);
            return "OK\n";
        }
        for (std::size_t i = 0; i < samples().size(); ++i) {
            if (samples()[i].name == args[1]) {
                device.holdSample(i);
                return "OK\n";
            }
        }
        return "ERR no such sample\n";
    }
    if (command == "PRESS" && (args.size() == 1 || args.size() == 4)) {
        std::optional<LabRequest> lab;
        if (args.size() == 4) {
            auto illuminant = integer(argument(2), 0, illuminantCount - 1);
            auto observer = integer(argument(3), 0, observerCount - 1);
            if (upper(args[1]) != "LAB" || !illuminant || !observer)
                return "ERR PRESS or PRESS LAB illuminant(0-10) observer(0-1)\n";
            lab = LabRequest{*illuminant, *observer};
        }
        Reply reply = device.press(lab);
        const std::size_t lines = reply.lines.size();
        queueReply(std::move(reply), now);
        return "OK " + std::to_string(lines) + "\n";
    }
    if (command == "CODE" && args.size() == 2) {
        injections.push_back({LineFault::Code, args[1]});
        return "OK\n";
    }
    if (command == "REPLY") {
        auto text = unescapeBytes(restOf(line, 5));
        if (!text)
            return "ERR bad escape\n";
        injections.push_back({LineFault::Reply, *text});
        return "OK\n";
    }
    const std::pair<const char*, LineFault> simpleFaults[] = {
        {"EMPTY", LineFault::Empty},
        {"GARBAGE", LineFault::Garbage},
        {"NUL", LineFault::Nul},
        {"NOLF", LineFault::NoLf},
    };
    for (const auto& [name, kind] : simpleFaults) {
        if (command == name && args.size() == 1) {
            injections.push_back({kind, {}});
            return "OK\n";
        }
    }
    if (command == "SILENT" && args.size() == 1) {
        nextSilent = true;
        return "OK\n";
    }
    if (command == "DELAY" && args.size() == 2) {
        double seconds = -1;
        auto [ptr, ec] = std::from_chars(args[1].data(), args[1].data() + args[1].size(), seconds);
        if (ec != std::errc() || ptr != args[1].data() + args[1].size() || seconds < 0 ||
            seconds > 3600)
            return "ERR seconds 0-3600\n";
        nextDelay = std::chrono::milliseconds(static_cast<long long>(seconds * 1000 + 0.5));
        return "OK\n";
    }
    if (command == "SEND") {
        auto bytes = unescapeBytes(restOf(line, 4));
        if (!bytes)
            return "ERR bad escape\n";
        if (!bytes->empty())
            tx.push_back({now, *bytes, *bytes});
        return "OK\n";
    }
    if (command == "LOG" && args.size() == 1) {
        std::string answer;
        for (const LogEntry& entry : log)
            answer += std::to_string(monotonicMs(entry.arrival)) + " " +
                      escapeBytes(entry.bytes) + "\n";
        return answer + "OK " + std::to_string(log.size()) + "\n";
    }
    if (command == "CLEARLOG" && args.size() == 1) {
        log.clear();
        return "OK\n";
    }
    if (command == "QUIT" && args.size() == 1) {
        running = false;
        return "OK\n";
    }
    return "ERR unknown command or wrong arguments (HELP lists them)\n";
}

void Simulator::trace(TimePoint when, const char* direction, std::string_view bytes)
{
    std::printf("%lld %s %s\n", monotonicMs(when), direction, escapeBytes(bytes).c_str());
}

} // namespace sxsim
