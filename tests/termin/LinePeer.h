#pragma once
// The instrument's end of a serial line, for the link tests that run alike on
// every platform. On Linux it is a pseudo-terminal whose master side the test
// holds (Pty); under Wine it is the simulator on a pseudo-terminal that the
// prefix maps to the port, driven over its control socket.

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

class LinePeer {
public:
    virtual ~LinePeer() = default;

    // Bytes to whoever has the line open.
    virtual void send(std::string_view bytes) = 0;
    // The command lines (each up to its LF) the line side has received
    // since the last call, within the time limit.
    virtual std::string receivedLines(std::chrono::milliseconds limit) = 0;
    // The instrument goes away: the line hangs up.
    virtual void hangUp() = 0;
};

// A fresh line that the port name leads to while the peer lives. Several
// may live at once under different names.
std::unique_ptr<LinePeer> makeLinePeer(const std::string& portName);

// Makes the port name lead nowhere in the test's own port directory (see
// MissingPort.h): opening it fails as for a missing device.
void leadNowhere(const std::string& portName);

// The system's own text for a call on a port that is not open, and for an
// argument the call refuses.
std::string notOpenText();
std::string invalidArgumentText();
