// The serial device on termios. The descriptor is opened for this process
// alone (an advisory lock that cooperating programs, root included, respect,
// and TIOCEXCL for everyone else), set raw with reads that return at once,
// and every wait for a byte happens in poll(), never in a spinning read.

#include "PortDevice.h"
#include "PosixBaudRate.h"
#include "PosixLineState.h"
#include "termin/PortLink.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace termin {
namespace {

std::string configHome()
{
    // The XDG base directory rules ignore a relative XDG_CONFIG_HOME.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    if (home == nullptr) {
        const passwd* user = getpwuid(getuid());
        home = user != nullptr ? user->pw_dir : "";
    }
    return std::string(home) + "/.config";
}

} // namespace

std::string portLinkPath(const std::string& portName)
{
    return configHome() + "/termin/ports/" + portName;
}

std::string portDevicePath(const std::string& portName)
{
    std::string link = portLinkPath(portName);
    struct stat info {};
    if (lstat(link.c_str(), &info) == 0)
        return link;
    const bool comN = portName.size() == 4 && portName.compare(0, 3, "COM") == 0 &&
                      portName[3] >= '1' && portName[3] <= '9';
    return comN ? "/dev/ttyS" + std::to_string(portName[3] - '1') : link;
}

std::string portNamingRule()
{
    return "Ports are COM1 to COM9. COMn opens the device that the symbolic link\n" +
           configHome() + "/termin/ports/COMn points to;\n"
           "without that link it opens /dev/ttyS<n-1> (COM1 is /dev/ttyS0).\n"
           "Using a serial device needs membership of its group (on Debian: dialout).\n";
}

namespace detail {

PortDevice::PortDevice()
    // Should the eventfd be missing, a cancel is still seen when the bounded
    // wait of recvString ends.
    : wakeFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

PortDevice::~PortDevice()
{
    if (fd >= 0)
        close();
    if (wakeFd >= 0)
        ::close(wakeFd);
}

OpenFailure PortDevice::open(const std::string& portName)
{
    if (fd >= 0) {
        errno = EBUSY;
        return OpenFailure::Failed;
    }
    // O_NONBLOCK only so that opening does not wait for carrier detect;
    // configure() makes the descriptor blocking again.
    const int opened = ::open(portDevicePath(portName).c_str(),
                              O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (opened < 0)
        return errno == EACCES || errno == EPERM ? OpenFailure::AccessDenied : OpenFailure::Failed;
    if (flock(opened, LOCK_EX | LOCK_NB) != 0 || ioctl(opened, TIOCEXCL) != 0) {
        const int reason = errno;
        ::close(opened);
        errno = reason;
        return OpenFailure::Failed;
    }
    fd = opened;
    return OpenFailure::None;
}

std::string PortDevice::deviceName(const std::string& portName)
{
    // The device itself rather than the link that leads to it.
    const std::string path = portDevicePath(portName);
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

ConfigureFailure PortDevice::configure(const LineSettings& settings)
{
    // Writes block until the driver has taken every byte, as writes without
    // a time-out do; reads return at once through VMIN = VTIME = 0.
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0)
        return ConfigureFailure::ReadTimeouts;
    if (fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return ConfigureFailure::WriteTimeouts;

    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return ConfigureFailure::ReadState;
    bool customRate = false;
    if (!makeLineState(settings, tio, customRate)) {
        errno = EINVAL;
        return ConfigureFailure::WriteState;
    }
    if (tcsetattr(fd, TCSANOW, &tio) != 0)
        return ConfigureFailure::WriteState;
    if (customRate && !setCustomBaudRate(fd, settings.baudRate))
        return ConfigureFailure::WriteState;
    return ConfigureFailure::None;
}

bool PortDevice::close()
{
    // The exclusive mode belongs to the terminal, not to this descriptor:
    // leave none behind for whoever opens the line next.
    if (fd >= 0)
        ioctl(fd, TIOCNXCL);
    // Linux releases the descriptor even when close reports an error.
    return ::close(std::exchange(fd, -1)) == 0;
}

long PortDevice::write(const char* data, int length)
{
    if (length < 0) {
        errno = EINVAL;
        return -1;
    }
    ssize_t written;
    do
        written = ::write(fd, data, std::size_t(length));
    while (written < 0 && errno == EINTR);
    return long(written);
}

ReadResult PortDevice::readByte(char& byte, std::chrono::milliseconds wait, bool cancellable)
{
    if (fd < 0) {
        errno = EBADF;
        return ReadResult::Failed;
    }
    pollfd fds[2] = {{fd, POLLIN, 0}, {cancellable ? wakeFd : -1, POLLIN, 0}};
    const auto waitMs = std::clamp<std::chrono::milliseconds::rep>(wait.count(), 0, INT_MAX);
    const int ready = poll(fds, 2, int(waitMs));
    if (ready < 0)
        return errno == EINTR ? ReadResult::Nothing : ReadResult::Failed;
    if (fds[0].revents == 0)
        return ReadResult::Nothing;

    const ssize_t got = ::read(fd, &byte, 1);
    if (got == 1)
        return ReadResult::Byte;
    if (got < 0)
        return errno == EAGAIN || errno == EINTR ? ReadResult::Nothing : ReadResult::Failed;
    // Zero bytes is an empty line buffer, unless the line has hung up (a USB
    // adapter pulled out reads as end of file).
    if ((fds[0].revents & (POLLHUP | POLLERR)) == 0)
        return ReadResult::Nothing;
    errno = EIO;
    return ReadResult::Failed;
}

void PortDevice::wake()
{
    eventfd_write(wakeFd, 1);
}

void PortDevice::clearWake()
{
    eventfd_t count = 0;
    eventfd_read(wakeFd, &count);
}

std::string lastSystemErrorText()
{
    return std::system_category().message(errno);
}

} // namespace detail
} // namespace termin
