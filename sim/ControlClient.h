#pragma once
// A connection to a running simulator's control socket.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace sxsim {

class ControlClient {
public:
    // endpoint: a Unix socket's path (not on Windows), or "tcp:PORT" or
    // "tcp:HOST:PORT" (HOST an IPv4 address, 127.0.0.1 when left out).
    // Throws std::runtime_error when nobody listens there.
    explicit ControlClient(const std::string& endpoint);
    ~ControlClient();

    ControlClient(const ControlClient&) = delete;
    ControlClient& operator=(const ControlClient&) = delete;

    // Sends one command line and returns the answer's lines; the last one
    // begins with "OK" or "ERR". Throws std::runtime_error when the
    // simulator goes away or does not answer within the time limit.
    std::vector<std::string> request(const std::string& line,
                                     std::chrono::milliseconds limit = std::chrono::seconds(10));

private:
#ifdef _WIN32
    std::uintptr_t fd; // SOCKET
#else
    int fd = -1;
#endif
    std::string pending;
};

} // namespace sxsim
