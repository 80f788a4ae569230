// The serial link over real pseudo-terminals: the test holds the master side
// and plays the instrument; the port reaches the line through its COMn link.

#include "LineSpeed.h"
#include "Pty.h"
#include "Unprivileged.h"

#include "termin/PortLink.h"
#include "termin/SerialPort.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <future>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>

#include <sys/ioctl.h>
#include <termios.h>

using namespace std::chrono_literals;
using termin::SerialPort;
using termin::SerialPortException;
using Clock = std::chrono::steady_clock;

namespace {

const std::string timeoutText = "通訊錯誤: 連接超時";

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

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

// The message of what recvString throws, and how long it took.
struct Failure {
    std::string message;
    double seconds = 0;
};

Failure recvFailure(SerialPort& port, std::string& line)
{
    const auto start = Clock::now();
    try {
        port.recvString(line);
    } catch (const SerialPortException& e) {
        return {e.what(), secondsSince(start)};
    }
    ADD_FAILURE() << "recvString did not fail";
    return {};
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

TEST(SerialPortDefaults, MatchTheInstrumentsLine)
{
    SerialPort port;
    EXPECT_EQ(port.getPortName(), "COM1");
    EXPECT_EQ(port.getBaudRate(), 9600);
    EXPECT_EQ(port.getTimeout(), 10);
    EXPECT_FALSE(port.isOpen());
    port.setTimeout(-7);
    EXPECT_EQ(port.getTimeout(), -7);
}

TEST(SerialPortName, AcceptsComOneToNineOnly)
{
    const struct {
        const char* name;
        bool accepted;
    } cases[] = {
        {"COM1", true}, {"COM9", true},  {"COM0", false}, {"COM10", false},
        {"com1", false}, {"LPT1", false}, {"COM", false},  {"COMx", false},
    };
    for (const auto& c : cases) {
        SerialPort port;
        ASSERT_TRUE(port.setPortName("COM2"));
        EXPECT_EQ(port.setPortName(c.name), c.accepted) << c.name;
        EXPECT_EQ(port.getPortName(), c.accepted ? c.name : "COM2") << c.name;
    }
}

TEST(SerialPortException, IsARuntimeErrorWithTheMessage)
{
    try {
        throw SerialPortException("Failed to Open COM3");
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Failed to Open COM3");
        EXPECT_NE(dynamic_cast<const std::runtime_error*>(&e), nullptr);
    }
}

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

TEST(SerialPortOpen, FailsWithThePortNameWhenNoDeviceAnswers)
{
    PortDirectory ports;
    ports.link("COM5", "/nonexistent/tty");
    SerialPort port;
    ASSERT_TRUE(port.setPortName("COM5"));
    try {
        port.open();
        FAIL() << "open succeeded";
    } catch (const SerialPortException& e) {
        EXPECT_STREQ(e.what(), "Failed to Open COM5");
    }
    EXPECT_FALSE(port.isOpen());
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

TEST(SerialPortOpen, RefusesLineSettingsTheLineCannotTakeAndReleasesIt)
{
    const struct {
        int baudRate, byteSize, parity, stopBits;
    } cases[] = {{9600, 9, 0, 0}, {9600, 8, 5, 0}, {9600, 8, 0, 3}, {0, 8, 0, 0}};
    Pty pty;
    PortDirectory ports;
    ports.link("COM2", pty.slavePath());
    for (const auto& c : cases) {
        SerialPort port;
        ASSERT_TRUE(port.setPortName("COM2"));
        port.setBaudRate(c.baudRate);
        port.setByteSize(c.byteSize);
        port.setParity(c.parity);
        port.setStopBits(c.stopBits);
        try {
            port.open();
            ADD_FAILURE() << "open succeeded";
        } catch (const SerialPortException& e) {
            EXPECT_STREQ(e.what(), "SetCommState() in SerialPort::open(): Invalid argument");
        }
        EXPECT_FALSE(port.isOpen());
        // The refused attempt left the line free.
        SerialPort next;
        ASSERT_TRUE(next.setPortName("COM2"));
        EXPECT_NO_THROW(next.open());
        next.close();
    }
}

TEST_F(OpenPort, HoldsTheLineForItselfUntilClosed)
{
    int exclusive = 0;
    ASSERT_EQ(ioctl(pty.slaveFd(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);

    SerialPort second;
    ASSERT_TRUE(second.setPortName("COM3"));
    EXPECT_THROW(
        {
            try {
                second.open();
            } catch (const SerialPortException& e) {
                EXPECT_STREQ(e.what(), "Failed to Open COM3");
                throw;
            }
        },
        SerialPortException);
    EXPECT_FALSE(second.isOpen());

    // Opening again what is already open fails and keeps the line working.
    EXPECT_THROW(port.open(), SerialPortException);
    EXPECT_TRUE(port.isOpen());
    pty.send("OK00\r\n");
    std::string line;
    EXPECT_EQ(port.recvString(line), 5);

    port.close();
    EXPECT_FALSE(port.isOpen());
    ASSERT_EQ(ioctl(pty.slaveFd(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    second.open();
    EXPECT_TRUE(second.isOpen());
    second.close();
}

TEST_F(OpenPort, DestroyingAnOpenPortReleasesTheLine)
{
    {
        SerialPort scoped;
        ASSERT_TRUE(scoped.setPortName("COM3"));
        port.close();
        scoped.open();
    }
    port.open();
    EXPECT_TRUE(port.isOpen());
}

TEST(SerialPortNotOpen, FailsEveryOperationAtOnceWithTheSystemText)
{
    SerialPort port;
    port.setTimeout(0);
    std::string line;
    const struct {
        std::function<void()> operation;
        std::string message;
    } cases[] = {
        {[&] { port.close(); }, "CloseHandle() in SerialPort::close(): Bad file descriptor"},
        {[&] { port.recvString(line); },
         "ReadFile() in SerialPort::recvString(CString&): Bad file descriptor"},
        {[&] { port.sendString("STR\r\n", 5); },
         "WriteFile() in SerialPort::sendString(const char*, int): Bad file descriptor"},
    };
    for (const auto& c : cases) {
        try {
            c.operation();
            ADD_FAILURE() << "succeeded: " << c.message;
        } catch (const SerialPortException& e) {
            EXPECT_EQ(e.what(), c.message);
        }
    }
    EXPECT_FALSE(port.isOpen());
}

TEST_F(OpenPort, ReceivesLinesByteExact)
{
    const struct {
        std::string sent;
        std::string line;
    } cases[] = {
        {"OK00\r\n", "OK00\r"},
        {std::string("O\0K\0\0" "00\n", 8), "OK00"},
        {"\n", ""},
        {"\r\r\n", "\r\r"},
    };
    for (const auto& c : cases) {
        pty.send(c.sent);
        std::string line = "stale";
        EXPECT_EQ(port.recvString(line), int(c.line.size()));
        EXPECT_EQ(line, c.line);
    }
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

TEST_F(OpenPort, TimesOutFromTheStartOfTheCall)
{
    port.setTimeout(1);
    std::string line;
    const Failure quiet = recvFailure(port, line);
    EXPECT_EQ(quiet.message, timeoutText);
    EXPECT_GT(quiet.seconds, 1.0);
    EXPECT_LT(quiet.seconds, 2.2);

    // Bytes without a line end do not extend the time-out; they stay in line.
    port.setTimeout(2);
    std::atomic<bool> stop{false};
    std::thread trickle([&] {
        for (int i = 0; i < 40 && !stop; ++i) {
            pty.send("x");
            std::this_thread::sleep_for(100ms);
        }
    });
    const Failure busy = recvFailure(port, line);
    stop = true;
    trickle.join();
    EXPECT_EQ(busy.message, timeoutText);
    EXPECT_GT(busy.seconds, 2.0);
    EXPECT_LT(busy.seconds, 3.2);
    EXPECT_GE(line.size(), 15u);
    EXPECT_EQ(line.find_first_not_of('x'), std::string::npos);
}

TEST_F(OpenPort, NegativeTimeOutFailsAfterTheFirstReadThatEndsNoLine)
{
    port.setTimeout(-1);
    std::string line;
    const Failure quiet = recvFailure(port, line);
    EXPECT_EQ(quiet.message, timeoutText);
    EXPECT_LT(quiet.seconds, 0.5);

    pty.send("OK00\r\n");
    ASSERT_TRUE(waitForInput(pty.slaveFd(), 6));
    EXPECT_EQ(recvFailure(port, line).message, timeoutText);
    EXPECT_EQ(line, "O");

    pty.send("\n");
    ASSERT_TRUE(waitForInput(pty.slaveFd(), 6));
    port.setTimeout(10);
    EXPECT_EQ(port.recvString(line), 4);
    EXPECT_EQ(line, "K00\r");
    // A read that ends a line returns it, whatever the time-out.
    port.setTimeout(-1);
    EXPECT_EQ(port.recvString(line), 0);
}

TEST_F(OpenPort, ACancelBeforeTheCallEndsTheNextUnlimitedWaitOnly)
{
    port.setTimeout(0);
    pty.send("A\n");
    ASSERT_TRUE(waitForInput(pty.slaveFd(), 2));
    port.cancel();
    port.cancel();
    std::string line = "stale";
    const auto start = Clock::now();
    EXPECT_EQ(port.recvString(line), -1);
    EXPECT_LT(secondsSince(start), 0.5);
    EXPECT_EQ(line, "");

    // The request is used up: the next call waits for the line.
    EXPECT_EQ(port.recvString(line), 1);
    EXPECT_EQ(line, "A");
    std::thread later([&] {
        std::this_thread::sleep_for(300ms);
        pty.send("B\r\n");
    });
    const auto waited = Clock::now();
    EXPECT_EQ(port.recvString(line), 2);
    EXPECT_GT(secondsSince(waited), 0.2);
    later.join();
}

TEST_F(OpenPort, ACancelFromAnotherThreadEndsAnUnlimitedWaitPromptly)
{
    port.setTimeout(0);
    pty.send("PART");
    std::promise<Clock::time_point> cancelled;
    std::thread canceller([&] {
        std::this_thread::sleep_for(300ms);
        cancelled.set_value(Clock::now());
        port.cancel();
    });
    std::string line;
    EXPECT_EQ(port.recvString(line), -1);
    const auto returned = Clock::now();
    canceller.join();
    EXPECT_EQ(line, "PART");
    // The bench measures the real latency; here it only has to be prompt.
    EXPECT_LT(std::chrono::duration<double>(returned - cancelled.get_future().get()).count(), 1.0);
}

TEST_F(OpenPort, ATimedWaitLeavesAPendingCancelAlone)
{
    port.cancel();
    port.setTimeout(1);
    pty.send("Z\n");
    std::string line;
    EXPECT_EQ(port.recvString(line), 1);
    EXPECT_EQ(recvFailure(port, line).message, timeoutText);

    port.setTimeout(0);
    const auto start = Clock::now();
    EXPECT_EQ(port.recvString(line), -1);
    EXPECT_LT(secondsSince(start), 0.5);
}

TEST_F(OpenPort, ALineThatHangsUpFailsTheReadAtOnce)
{
    const std::string readFailure = "ReadFile() in SerialPort::recvString(CString&): Input/output error";
    for (int timeout : {0, 10}) {
        SCOPED_TRACE(timeout);
        Pty other;
        ports.link("COM4", other.slavePath());
        SerialPort port4;
        ASSERT_TRUE(port4.setPortName("COM4"));
        port4.open();
        port4.setTimeout(timeout);
        other.send("OK0");
        std::thread pull([&] {
            std::this_thread::sleep_for(300ms);
            other.closeMaster();
        });
        std::string line;
        const Failure gone = recvFailure(port4, line);
        pull.join();
        EXPECT_EQ(gone.message, readFailure);
        EXPECT_LT(gone.seconds, 1.5);
        EXPECT_EQ(line, "OK0");
        std::filesystem::remove(ports.configHome() / "termin" / "ports" / "COM4");
    }
}

TEST_F(OpenPort, SendsExactlyTheBytesGiven)
{
    EXPECT_EQ(port.sendString("IDR\r\n", 5), 5);
    EXPECT_EQ(pty.receive(), "IDR\r\n");
    EXPECT_EQ(port.sendString(std::string("CPS\0\r\n", 6)), 6);
    EXPECT_EQ(pty.receive(), std::string("CPS\0\r\n", 6));
    EXPECT_EQ(port.sendString("MES", 0), 0);
    EXPECT_EQ(port.sendString(std::string()), 0);
    try {
        port.sendString("MES", -1);
        ADD_FAILURE() << "a negative length was written";
    } catch (const SerialPortException& e) {
        EXPECT_STREQ(e.what(), "WriteFile() in SerialPort::sendString(const char*, int): Invalid argument");
    }
    EXPECT_EQ(pty.receive(100ms), "");
}

TEST_F(OpenPort, AFailedWriteNamesItsOverload)
{
    pty.closeMaster();
    const struct {
        std::function<void()> send;
        std::string message;
    } cases[] = {
        {[&] { port.sendString("STR\r\n", 5); },
         "WriteFile() in SerialPort::sendString(const char*, int): Input/output error"},
        {[&] { port.sendString(std::string("STR\r\n")); },
         "WriteFile() in sendString(CString&): Input/output error"},
    };
    for (const auto& c : cases) {
        try {
            c.send();
            ADD_FAILURE() << "write succeeded";
        } catch (const SerialPortException& e) {
            EXPECT_EQ(e.what(), c.message);
        }
    }
    EXPECT_TRUE(port.isOpen());
}
