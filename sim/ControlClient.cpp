#include "ControlClient.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace sxsim {

ControlClient::ControlClient(const std::string& socketPath)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path)
        throw std::runtime_error("control socket path too long: " + socketPath);
    std::strcpy(address.sun_path, socketPath.c_str());
    fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const std::string reason = std::strerror(errno);
        if (fd >= 0)
            close(fd);
        throw std::runtime_error("cannot reach " + socketPath + ": " + reason);
    }
}

ControlClient::~ControlClient()
{
    close(fd);
}

std::vector<std::string> ControlClient::request(const std::string& line,
                                                std::chrono::milliseconds limit)
{
    const std::string out = line + "\n";
    for (std::size_t sent = 0; sent < out.size();) {
        const ssize_t n = send(fd, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
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
        pollfd p{fd, POLLIN, 0};
        const int ready = left.count() > 0 ? poll(&p, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            throw std::runtime_error("simulator did not answer " + line);
        char buffer[4096];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            throw std::runtime_error("simulator gone while answering " + line);
        pending.append(buffer, static_cast<std::size_t>(n));
    }
}

} // namespace sxsim
