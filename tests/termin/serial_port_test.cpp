// What the serial link does on Linux alone: the COMn links, the termios line
// state, the terminal's exclusive mode and reading no further than a line.
// The behaviour every platform shares is in serial_link_test.cpp.

#include "LineSpeed.h"
#include "Pty.h"
#include "Unprivileged.h"

#include "termin/PortLink.h"
#include "termin/SerialPort.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <chrono>
#include <cstdlib>
#include <string>
#include <system_error>
#include <thread>

#include <sys/ioctl.h>
#include <termios.h>

using namespace std::chrono_literals;
using termin::SerialPort;
using Clock = std::chrono::steady_clock;

namespace {

// Bytes waiting in the line's input queue, not yet taken by anyone.
int pendingInput(int fd)
{
    int count = -1;
    ioctl(fd, FIONREAD, &count);
    return count;
}

// The pseudo-terminal hands bytes over asynchronously.
bool waitForInput(int fd, int count)
{
    const auto limit = Clock::now() + 2s;
    while (pendingInput(fd) < count && Clock::now() < limit)
        std::this_thread::sleep_for(1ms);
    return pendingInput(fd) >= count;
}

class OpenPort : public ::testing::Test {
protected:
    void SetUp() override
    {
        ports.link("COM3", pty.slavePath());
        ASSERT_TRUE(port.setPortName("COM3"));
        port.open();
        ASSERT_TRUE(port.isOpen());
    }

    Pty pty;
    PortDirectory ports;
    SerialPort port;
};

} // namespace

TEST(PortLink, FollowsTheConfigDirectoryAndFallsBackToTtyS)
{
    PortDirectory ports;
    const std::string dir = ports.configHome().string() + "/termin/ports/";
    EXPECT_EQ(termin::portLinkPath("COM1"), dir + "COM1");
    EXPECT_EQ(termin::portDevicePath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(termin::portDevicePath("COM9"), "/dev/ttyS8");
    ports.link("COM3", "/dev/null");
    EXPECT_EQ(termin::portDevicePath("COM3"), dir + "COM3");

    // Without an absolute XDG_CONFIG_HOME the links live under ~/.config.
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", "/home/operator", 1);
    setenv("XDG_CONFIG_HOME", "relative/dir", 1);
    EXPECT_EQ(termin::portLinkPath("COM2"), "/home/operator/.config/termin/ports/COM2");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(termin::portLinkPath("COM2"), "/home/operator/.config/termin/ports/COM2");
    setenv("HOME", home.c_str(), 1);
}

TEST(SerialPortOpen, ADeviceTheUserMayNotUseIsNamedWithTheReason)
{
    PortDirectory ports;
    letOthersEnter(ports.configHome());
    const std::filesystem::path device = ports.configHome() / "ttyUSB0";
    makeForbiddenDevice(device);
    ports.link("COM4", device.string());
    SerialPort port;
    ASSERT_TRUE(port.setPortName("COM4"));
    std::string message;
    {
        const AsUnprivilegedUser user;
        try {
            port.open();
            ADD_FAILURE() << "open succeeded";
        } catch (const termin::SerialPortAccessDenied& e) {
            message = e.what();
        }
    }
    // The device behind the link, not the link.
    EXPECT_EQ(message, "Failed to Open COM4 (" + std::filesystem::canonical(device).string() +
                           "): " + std::system_category().message(EACCES));
    EXPECT_FALSE(port.isOpen());
}

// A pseudo-terminal keeps speed, stop bits, parity kind and the raw flags of
// what open() sets, but always reports 8 bits and no parity generation; those
// two are checked on the line state itself (line_state_test.cpp).
TEST(SerialPortOpen, AppliesTheLineSettingsRaw)
{
    const struct {
        int baudRate, byteSize, parity, stopBits;
        tcflag_t parityKind;
        bool twoStopBits;
    } cases[] = {
        {9600, 8, 0, 0, 0, false},
        {4800, 7, 2, 2, 0, true},
        {1200, 5, 1, 1, PARODD, true}, // 1.5 stop bits
        {14400, 6, 3, 0, PARODD | CMSPAR, false},
        {38400, 8, 4, 0, CMSPAR, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.baudRate);
        Pty pty;
        PortDirectory ports;
        ports.link("COM1", pty.slavePath());
        SerialPort port;
        port.setBaudRate(c.baudRate);
        port.setByteSize(c.byteSize);
        port.setParity(c.parity);
        port.setStopBits(c.stopBits);
        port.open();

        termios tio{};
        ASSERT_EQ(tcgetattr(pty.slaveFd(), &tio), 0);
        EXPECT_EQ(lineSpeed(pty.slaveFd()), c.baudRate);
        EXPECT_EQ(tio.c_cflag & (PARODD | CMSPAR), c.parityKind);
        EXPECT_EQ((tio.c_iflag & INPCK) != 0, c.parity != 0);
        EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, c.twoStopBits);
        EXPECT_EQ(tio.c_cflag & (CRTSCTS | CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
        EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP), 0u);
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(tio.c_oflag & OPOST, 0u);
        EXPECT_EQ(tio.c_cc[VMIN], 0);
        EXPECT_EQ(tio.c_cc[VTIME], 0);
        port.close();
    }
}

// Exclusive in the terminal's own sense too, so that programs that do not
// take the advisory lock are kept out; and released again on close.
TEST_F(OpenPort, MarksTheTerminalExclusiveWhileOpen)
{
    int exclusive = 0;
    ASSERT_EQ(ioctl(pty.slaveFd(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);
    port.close();
    ASSERT_EQ(ioctl(pty.slaveFd(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
}

TEST_F(OpenPort, LeavesTheNextLineOnTheLine)
{
    pty.send("ID01\r\nSX-4810k\r\n");
    ASSERT_TRUE(waitForInput(pty.slaveFd(), 16));
    std::string line;
    EXPECT_EQ(port.recvString(line), 5);
    EXPECT_EQ(pendingInput(pty.slaveFd()), 10);
    EXPECT_EQ(port.recvString(line), 9);
    EXPECT_EQ(line, "SX-4810k\r");
}

