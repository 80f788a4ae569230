#pragma once
// The platform seam of the serial link: one implementation per platform
// (PortDevicePosix.cpp on termios, PortDeviceWin32.cpp on the Win32 comm
// functions). The portable SerialPort drives it and turns its failures into
// SerialPortException with the system's own text.

#include <chrono>
#include <string>

namespace termin::detail {

struct LineSettings {
    int baudRate;
    int byteSize;
    int parity;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int stopBits; // 0 one, 1 one and a half, 2 two
};

// Why open() failed. AccessDenied: the system refuses this user the device
// itself (on Linux, someone outside the device's group, such as dialout);
// a port that another program holds is Failed.
enum class OpenFailure { None, Failed, AccessDenied };

// The step of configure() that failed.
enum class ConfigureFailure { None, ReadTimeouts, WriteTimeouts, ReadState, WriteState };

enum class ReadResult { Byte, Nothing, Failed };

class PortDevice {
public:
    PortDevice();
    ~PortDevice();
    PortDevice(const PortDevice&) = delete;
    PortDevice& operator=(const PortDevice&) = delete;

    // Opens the device behind portName for this process alone. On failure
    // the system error of the failed step is current.
    OpenFailure open(const std::string& portName);
    // The device that open() opens for portName, as the system names it.
    static std::string deviceName(const std::string& portName);
    // Makes reads return at once and applies raw line settings without flow
    // control. On failure the system error of the failed step is current.
    ConfigureFailure configure(const LineSettings& settings);
    bool close();

    // Writes all of data; the count written, or -1 with the system error
    // current.
    long write(const char* data, int length);

    // Waits up to wait for a byte (and, when cancellable, for wake()), then
    // reads at most one byte. A device that has gone away fails at once.
    ReadResult readByte(char& byte, std::chrono::milliseconds wait, bool cancellable);

    // Ends a cancellable wait, now or when the next one starts, until
    // clearWake(). Any thread may call these.
    void wake();
    void clearWake();

private:
#ifdef _WIN32
    // HANDLEs, kept opaque so that <windows.h> stays out of this header.
    void* port = nullptr;      // null while closed
    void* claim = nullptr;     // the port's name, held while open (see open())
    void* readDone = nullptr;  // manual-reset event of the pending read
    void* wakeEvent = nullptr; // manual-reset: set by wake(), reset by clearWake()
#else
    int fd = -1;
    int wakeFd = -1;
#endif
};

// The text of the calling thread's last system error.
std::string lastSystemErrorText();

} // namespace termin::detail
