// The line's far end on Linux: a pseudo-terminal the test holds, named by a
// link in a port directory of the test's own.

#include "LinePeer.h"
#include "MissingPort.h"
#include "Pty.h"

#include <cerrno>
#include <cstring>
#include <optional>

namespace {

// One port directory for the whole test program: XDG_CONFIG_HOME can point
// at one place only.
PortDirectory& ports()
{
    static PortDirectory directory;
    return directory;
}

void unlinkPort(const std::string& portName)
{
    std::error_code ignored;
    std::filesystem::remove(ports().configHome() / "termin" / "ports" / portName, ignored);
}

class PtyPeer : public LinePeer {
public:
    explicit PtyPeer(std::string portName) : port(std::move(portName))
    {
        unlinkPort(port);
        ports().link(port, pty.slavePath());
    }
    ~PtyPeer() override { unlinkPort(port); }

    void send(std::string_view bytes) override { pty.send(bytes); }

    std::string receivedLines(std::chrono::milliseconds limit) override
    {
        pending += pty.receive(limit);
        const auto end = pending.rfind('\n');
        if (end == std::string::npos)
            return {};
        std::string lines = pending.substr(0, end + 1);
        pending.erase(0, end + 1);
        return lines;
    }

    void hangUp() override { pty.closeMaster(); }

private:
    std::string port;
    Pty pty;
    std::string pending;
};

} // namespace

std::unique_ptr<LinePeer> makeLinePeer(const std::string& portName)
{
    return std::make_unique<PtyPeer>(portName);
}

void leadNowhere(const std::string& portName)
{
    ports(); // the test's own XDG_CONFIG_HOME from here on
    makeMissingPort(portName);
}

std::string notOpenText()
{
    return std::strerror(EBADF);
}

std::string invalidArgumentText()
{
    return std::strerror(EINVAL);
}
