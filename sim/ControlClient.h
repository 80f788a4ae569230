#pragma once
// A connection to a running simulator's control socket.

#include <chrono>
#include <string>
#include <vector>

namespace sxsim {

class ControlClient {
public:
    // Throws std::runtime_error when nobody listens at socketPath.
    explicit ControlClient(const std::string& socketPath);
    ~ControlClient();

    ControlClient(const ControlClient&) = delete;
    ControlClient& operator=(const ControlClient&) = delete;

    // Sends one command line and returns the answer's lines; the last one
    // begins with "OK" or "ERR". Throws std::runtime_error when the
    // simulator goes away or does not answer within the time limit.
    std::vector<std::string> request(const std::string& line,
                                     std::chrono::milliseconds limit = std::chrono::seconds(10));

private:
    int fd = -1;
    std::string pending;
};

} // namespace sxsim
