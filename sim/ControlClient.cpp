#include "ControlClient.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#ifdef _WIN32
// The Windows edition's tests reach the simulator over loopback TCP only.
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace sxsim {
namespace {

#ifdef _WIN32
using Socket = SOCKET;
constexpr Socket noSocket = INVALID_SOCKET;
constexpr int noSignal = 0;

void closeSocket(Socket s)
{
    closesocket(s);
}

int pollOne(Socket s, int ms)
{
    WSAPOLLFD p{s, POLLIN, 0};
    return WSAPoll(&p, 1, ms);
}

std::string lastError()
{
    return "socket error " + std::to_string(WSAGetLastError());
}

bool interrupted()
{
    return false;
}

// Winsock is started once for the process and left running.
void startSockets()
{
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    if (!started)
        throw std::runtime_error("cannot start Winsock");
}
#else
using Socket = int;
constexpr Socket noSocket = -1;
constexpr int noSignal = MSG_NOSIGNAL;

void closeSocket(Socket s)
{
    close(s);
}

int pollOne(Socket s, int ms)
{
    pollfd p{s, POLLIN, 0};
    return poll(&p, 1, ms);
}

std::string lastError()
{
    return std::strerror(errno);
}

bool interrupted()
{
    return errno == EINTR;
}

void startSockets() {}

Socket connectUnix(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        throw std::runtime_error("control socket path too long: " + path);
    std::strcpy(address.sun_path, path.c_str());
    const Socket s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0 || connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const std::string reason = lastError();
        if (s >= 0)
            closeSocket(s);
        throw std::runtime_error("cannot reach " + path + ": " + reason);
    }
    return s;
}
#endif

Socket connectTcp(const std::string& endpoint)
{
    std::string rest = endpoint.substr(4);
    std::string host = "127.0.0.1";
    if (const auto colon = rest.rfind(':'); colon != std::string::npos) {
        host = rest.substr(0, colon);
        rest = rest.substr(colon + 1);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    char* end = nullptr;
    const long port = std::strtol(rest.c_str(), &end, 10);
    if (rest.empty() || *end != '\0' || port <= 0 || port > 65535 ||
        inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1)
        throw std::runtime_error("not a control endpoint: " + endpoint);
    address.sin_port = htons(static_cast<unsigned short>(port));
    startSockets();
    const Socket s = socket(AF_INET, SOCK_STREAM, 0);
    if (s == noSocket ||
        connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const std::string reason = lastError();
        if (s != noSocket)
            closeSocket(s);
        throw std::runtime_error("cannot reach " + endpoint + ": " + reason);
    }
    return s;
}

} // namespace

ControlClient::ControlClient(const std::string& endpoint)
{
#ifdef _WIN32
    fd = connectTcp(endpoint);
#else
    fd = endpoint.compare(0, 4, "tcp:") == 0 ? connectTcp(endpoint) : connectUnix(endpoint);
#endif
}

ControlClient::~ControlClient()
{
    closeSocket(Socket(fd));
}

std::vector<std::string> ControlClient::request(const std::string& line,
                                                std::chrono::milliseconds limit)
{
    const Socket s = Socket(fd);
    const std::string out = line + "\n";
    for (std::size_t sent = 0; sent < out.size();) {
        const auto n = send(s, out.data() + sent, int(out.size() - sent), noSignal);
        if (n <= 0)
            throw std::runtime_error("simulator gone while sending " + line);
        sent += static_cast<std::size_t>(n);
    }

    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::vector<std::string> answer;
    for (;;) {
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            answer.push_back(pending.substr(0, end));
            pending.erase(0, end + 1);
            const std::string& last = answer.back();
            if (last.compare(0, 2, "OK") == 0 || last.compare(0, 3, "ERR") == 0)
                return answer;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const int ready = left.count() > 0 ? pollOne(s, static_cast<int>(left.count())) : 0;
        if (ready < 0 && interrupted())
            continue;
        if (ready <= 0)
            throw std::runtime_error("simulator did not answer " + line);
        char buffer[4096];
        const auto n = recv(s, buffer, sizeof buffer, 0);
        if (n <= 0)
            throw std::runtime_error("simulator gone while answering " + line);
        pending.append(buffer, static_cast<std::size_t>(n));
    }
}

} // namespace sxsim
