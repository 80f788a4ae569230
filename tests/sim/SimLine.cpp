#include "SimLine.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace simtest {

SimLine::SimLine(const std::string& path)
{
    fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error("cannot open " + path + ": " + std::strerror(errno));
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    tcsetattr(fd, TCSANOW, &tio);
}

SimLine::~SimLine()
{
    close(fd);
}

void SimLine::send(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR)
                continue;
            throw std::runtime_error(std::string("write: ") + std::strerror(errno));
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

std::optional<std::string> SimLine::readLine(std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (const std::size_t end = pending.find('\n'); end != std::string::npos) {
            std::string line = pending.substr(0, end + 1);
            pending.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char buffer[512];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0)
            pending.append(buffer, static_cast<std::size_t>(n));
    }
}

std::optional<std::string> SimLine::exchange(std::string_view command)
{
    send(std::string(command) + "\r\n");
    return readLine();
}

std::optional<std::vector<double>> dataValues(std::string_view line, std::size_t count)
{
    std::vector<double> values;
    std::size_t comma = 0;
    std::size_t point = 0;
    for (std::size_t k = 0; k < count; ++k) {
        comma = line.find(',', k == 0 ? 1 : comma + 1);
        point = line.find('.', k == 0 ? 1 : point + 1);
        if (comma == std::string_view::npos || point == std::string_view::npos ||
            point < comma)
            return std::nullopt;
        const std::size_t length = point - comma + 2;
        if (length < 4 || length > 6)
            return std::nullopt;
        const std::string_view text = line.substr(comma + 1, length);
        double value = 0;
        auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || ptr != text.data() + text.size())
            return std::nullopt;
        values.push_back(value);
    }
    // Nothing but the line end may follow the last value.
    const std::string_view rest = line.substr(std::min(point + 3, line.size()));
    if (rest != "\r\n")
        return std::nullopt;
    return values;
}

} // namespace simtest
