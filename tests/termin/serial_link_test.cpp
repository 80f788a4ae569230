// The serial link against the instrument's end of a real line, alike on every
// platform: on Linux a pseudo-terminal the test holds, under Wine the
// simulator on a pseudo-terminal that the prefix maps to the port.

#include "LinePeer.h"

#include "termin/SerialPort.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <thread>

using namespace std::chrono_literals;
using termin::SerialPort;
using termin::SerialPortException;
using Clock = std::chrono::steady_clock;

namespace {

const std::string timeoutText = "通訊錯誤: 連接超時";
const std::string readFailure = "ReadFile() in SerialPort::recvString(CString&): ";

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Bytes sent to the line are handed over asynchronously; this is long
// enough for them to be there.
void letTheLineSettle()
{
    std::this_thread::sleep_for(300ms);
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

class OpenLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(port.setPortName("COM3"));
        port.open();
        ASSERT_TRUE(port.isOpen());
    }

    std::unique_ptr<LinePeer> peer = makeLinePeer("COM3");
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

TEST(SerialLinkOpen, FailsWithThePortNameWhenNoDeviceAnswers)
{
    leadNowhere("COM5");
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

TEST(SerialLinkOpen, RefusesLineSettingsTheLineCannotTakeAndReleasesIt)
{
    const struct {
        int baudRate, byteSize, parity, stopBits;
    } cases[] = {{9600, 9, 0, 0}, {9600, 8, 5, 0}, {9600, 8, 0, 3}, {0, 8, 0, 0}};
    const auto peer = makeLinePeer("COM2");
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
            EXPECT_EQ(e.what(), "SetCommState() in SerialPort::open(): " + invalidArgumentText());
        }
        EXPECT_FALSE(port.isOpen());
        // The refused attempt left the line free.
        SerialPort next;
        ASSERT_TRUE(next.setPortName("COM2"));
        EXPECT_NO_THROW(next.open());
        next.close();
    }
}

TEST_F(OpenLink, HoldsTheLineForItselfUntilClosed)
{
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
    peer->send("OK00\r\n");
    std::string line;
    EXPECT_EQ(port.recvString(line), 5);

    port.close();
    EXPECT_FALSE(port.isOpen());
    second.open();
    EXPECT_TRUE(second.isOpen());
    second.close();
}

TEST_F(OpenLink, DestroyingAnOpenPortReleasesTheLine)
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

TEST(SerialLinkNotOpen, FailsEveryOperationAtOnceWithTheSystemText)
{
    SerialPort port;
    port.setTimeout(0);
    std::string line;
    const struct {
        std::function<void()> operation;
        std::string message;
    } cases[] = {
        {[&] { port.close(); }, "CloseHandle() in SerialPort::close(): " + notOpenText()},
        {[&] { port.recvString(line); }, readFailure + notOpenText()},
        {[&] { port.sendString("STR\r\n", 5); },
         "WriteFile() in SerialPort::sendString(const char*, int): " + notOpenText()},
    };
    for (const auto& c : cases) {
        const auto start = Clock::now();
        try {
            c.operation();
            ADD_FAILURE() << "succeeded: " << c.message;
        } catch (const SerialPortException& e) {
            EXPECT_EQ(e.what(), c.message);
        }
        EXPECT_LT(secondsSince(start), 0.5) << c.message;
    }
    EXPECT_FALSE(port.isOpen());
}

TEST_F(OpenLink, ReceivesLinesByteExact)
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
        peer->send(c.sent);
        std::string line = "stale";
        EXPECT_EQ(port.recvString(line), int(c.line.size()));
        EXPECT_EQ(line, c.line);
    }
}

TEST_F(OpenLink, TimesOutFromTheStartOfTheCall)
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
            peer->send("x");
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

TEST_F(OpenLink, NegativeTimeOutFailsAfterTheFirstReadThatEndsNoLine)
{
    port.setTimeout(-1);
    std::string line;
    const Failure quiet = recvFailure(port, line);
    EXPECT_EQ(quiet.message, timeoutText);
    EXPECT_LT(quiet.seconds, 0.5);

    peer->send("OK00\r\n");
    letTheLineSettle();
    EXPECT_EQ(recvFailure(port, line).message, timeoutText);
    EXPECT_EQ(line, "O");

    peer->send("\n");
    letTheLineSettle();
    port.setTimeout(10);
    EXPECT_EQ(port.recvString(line), 4);
    EXPECT_EQ(line, "K00\r");
    // A read that ends a line returns it, whatever the time-out.
    port.setTimeout(-1);
    EXPECT_EQ(port.recvString(line), 0);
}

TEST_F(OpenLink, ACancelBeforeTheCallEndsTheNextUnlimitedWaitOnly)
{
    port.setTimeout(0);
    peer->send("A\n");
    letTheLineSettle();
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
        peer->send("B\r\n");
    });
    const auto waited = Clock::now();
    EXPECT_EQ(port.recvString(line), 2);
    EXPECT_GT(secondsSince(waited), 0.2);
    later.join();
}

TEST_F(OpenLink, ACancelFromAnotherThreadEndsAnUnlimitedWaitPromptly)
{
    port.setTimeout(0);
    peer->send("PART");
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

TEST_F(OpenLink, ATimedWaitLeavesAPendingCancelAlone)
{
    port.cancel();
    port.setTimeout(1);
    peer->send("Z\n");
    std::string line;
    EXPECT_EQ(port.recvString(line), 1);
    EXPECT_EQ(recvFailure(port, line).message, timeoutText);

    port.setTimeout(0);
    const auto start = Clock::now();
    EXPECT_EQ(port.recvString(line), -1);
    EXPECT_LT(secondsSince(start), 0.5);
}

TEST(SerialLinkGone, ALineThatHangsUpFailsTheReadAtOnce)
{
    for (int timeout : {0, 10}) {
        SCOPED_TRACE(timeout);
        const auto other = makeLinePeer("COM4");
        SerialPort port4;
        ASSERT_TRUE(port4.setPortName("COM4"));
        port4.open();
        port4.setTimeout(timeout);
        other->send("OK0");
        std::thread pull([&] {
            std::this_thread::sleep_for(300ms);
            other->hangUp();
        });
        std::string line;
        const Failure gone = recvFailure(port4, line);
        pull.join();
        EXPECT_EQ(gone.message.compare(0, readFailure.size(), readFailure), 0) << gone.message;
        EXPECT_GT(gone.message.size(), readFailure.size()) << "the system's reason is missing";
        EXPECT_LT(gone.seconds, 1.5);
        EXPECT_EQ(line, "OK0");
    }
}

TEST_F(OpenLink, SendsExactlyTheBytesGiven)
{
    EXPECT_EQ(port.sendString("IDR\r\n", 5), 5);
    EXPECT_EQ(peer->receivedLines(200ms), "IDR\r\n");
    EXPECT_EQ(port.sendString(std::string("CPS\0\r\n", 6)), 6);
    EXPECT_EQ(peer->receivedLines(200ms), std::string("CPS\0\r\n", 6));
    EXPECT_EQ(port.sendString("MES", 0), 0);
    EXPECT_EQ(port.sendString(std::string()), 0);
    try {
        port.sendString("MES", -1);
        ADD_FAILURE() << "a negative length was written";
    } catch (const SerialPortException& e) {
        EXPECT_EQ(e.what(), "WriteFile() in SerialPort::sendString(const char*, int): " +
                                invalidArgumentText());
    }
    EXPECT_EQ(port.sendString("\n", 1), 1);
    EXPECT_EQ(peer->receivedLines(200ms), "\n");
}

TEST_F(OpenLink, AFailedWriteNamesItsOverload)
{
    peer->hangUp();
    const struct {
        std::function<void()> send;
        std::string context;
    } cases[] = {
        {[&] { port.sendString("STR\r\n", 5); },
         "WriteFile() in SerialPort::sendString(const char*, int): "},
        {[&] { port.sendString(std::string("STR\r\n")); }, "WriteFile() in sendString(CString&): "},
    };
    for (const auto& c : cases) {
        try {
            c.send();
            ADD_FAILURE() << "write succeeded";
        } catch (const SerialPortException& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.compare(0, c.context.size(), c.context), 0) << message;
            EXPECT_GT(message.size(), c.context.size()) << "the system's reason is missing";
        }
    }
    EXPECT_TRUE(port.isOpen());
}
