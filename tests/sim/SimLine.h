#pragma once
// The PC's end of the simulator's line for tests: a raw termios descriptor
// read byte by byte, plus the receiver's rule for locating data values.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace simtest {

using namespace std::chrono_literals;

class SimLine {
public:
    // Opens the device (or the port link) raw at 9600 baud; fails the test
    // by throwing when it cannot.
    explicit SimLine(const std::string& path);
    ~SimLine();

    SimLine(const SimLine&) = delete;
    SimLine& operator=(const SimLine&) = delete;

    void send(std::string_view bytes);
    // The next line with its LF, or nothing within the limit (bytes read so
    // far stay for the next call).
    std::optional<std::string> readLine(std::chrono::milliseconds limit = 3s);
    // Sends command + CR LF and reads one reply line.
    std::optional<std::string> exchange(std::string_view command);
    // Bytes received and not yet returned as a line.
    const std::string& partial() const { return pending; }

private:
    int fd = -1;
    std::string pending;
};

// The values of a data line as a receiver finds them: value k's comma is the
// first ',' after the previous value's comma, its point the first '.' after
// the previous point, and its text runs from the comma to two digits past
// the point, 4 to 6 characters. Nothing when any value breaks the rule or
// the count differs.
std::optional<std::vector<double>> dataValues(std::string_view line, std::size_t count);

} // namespace simtest
