// The serial device on the Win32 comm functions. "COMn" is the device
// \\.\COMn, opened for this process alone (no sharing) and for overlapped
// I/O, so that every wait for a byte is a wait on events: the read's own
// and, for a wait without limit, the cancel event. The driver's read
// time-outs are all zero (a read waits until its byte is there); the
// deadline is kept by the caller on the monotonic clock. Wine's serial
// driver honours neither the "return at once" nor the "first byte" time-out
// settings on overlapped reads, and this way needs neither.

#include "PortDevice.h"
#include "Win32LineState.h"
#include "termin/PortLink.h"

#include <algorithm>
#include <utility>

#include <wx/log.h>
#include <wx/string.h>

#include <windows.h>

namespace termin {
namespace {

HANDLE native(void* handle)
{
    return static_cast<HANDLE>(handle);
}

// One overlapped operation with an event of its own, so that a write never
// completes on the event of a read that another thread waits on.
class Operation {
public:
    Operation() { overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr); }
    ~Operation()
    {
        if (overlapped.hEvent != nullptr)
            CloseHandle(overlapped.hEvent);
    }
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

    OVERLAPPED* get() { return &overlapped; }
    HANDLE event() const { return overlapped.hEvent; }

private:
    OVERLAPPED overlapped{};
};

} // namespace

std::string portDevicePath(const std::string& portName)
{
    return "\\\\.\\" + portName;
}

std::string portNamingRule()
{
    return "Ports are COM1 to COM9, the system's own serial ports (a USB serial adapter\n"
           "appears as COMn in the Device Manager).\n";
}

namespace detail {

PortDevice::PortDevice()
    // Should the event be missing, a cancel is still seen when the bounded
    // wait of recvString ends.
    : wakeEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

PortDevice::~PortDevice()
{
    if (port != nullptr)
        close();
    if (wakeEvent != nullptr)
        CloseHandle(native(wakeEvent));
}

std::string PortDevice::deviceName(const std::string& portName)
{
    return portDevicePath(portName);
}

// Windows refuses a port that another program holds with "access denied":
// that is a port in use, never a missing right of this user.
OpenFailure PortDevice::open(const std::string& portName)
{
    if (port != nullptr) {
        SetLastError(ERROR_ACCESS_DENIED);
        return OpenFailure::Failed;
    }
    // Windows' serial driver refuses a second open of a port; Wine's lets a
    // pseudo-terminal be opened twice. So the port's name is also held by a
    // mutex while the port is open, as the advisory lock holds it on Linux.
    const HANDLE name = CreateMutexW(
        nullptr, FALSE, wxString::FromUTF8("Local\\termin-port-" + portName).wc_str());
    if (name == nullptr)
        return OpenFailure::Failed;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(name);
        SetLastError(ERROR_ACCESS_DENIED);
        return OpenFailure::Failed;
    }
    const HANDLE opened = CreateFileW(wxString::FromUTF8(portDevicePath(portName)).wc_str(),
                                      GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        const DWORD reason = GetLastError();
        CloseHandle(name);
        SetLastError(reason);
        return OpenFailure::Failed;
    }
    // Windows always knows a device's type. Wine keeps a COM port mapped to
    // a device that is not there as a device object that opens but fails
    // every call: that is no port.
    if (GetFileType(opened) == FILE_TYPE_UNKNOWN && GetLastError() != NO_ERROR) {
        CloseHandle(opened);
        CloseHandle(name);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return OpenFailure::Failed;
    }
    port = opened;
    claim = name;
    return OpenFailure::None;
}

ConfigureFailure PortDevice::configure(const LineSettings& settings)
{
    COMMTIMEOUTS timeouts{};
    if (!GetCommTimeouts(native(port), &timeouts))
        return ConfigureFailure::ReadTimeouts;
    // Reads wait for their byte, writes until the driver has taken every
    // byte, as on the POSIX side.
    timeouts = COMMTIMEOUTS{};
    if (!SetCommTimeouts(native(port), &timeouts))
        return ConfigureFailure::WriteTimeouts;

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(native(port), &dcb))
        return ConfigureFailure::ReadState;
    if (!makeLineState(settings, dcb)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ConfigureFailure::WriteState;
    }
    if (!SetCommState(native(port), &dcb))
        return ConfigureFailure::WriteState;
    return ConfigureFailure::None;
}

bool PortDevice::close()
{
    if (port == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    // The handle is gone whatever CloseHandle reports.
    const bool closed = CloseHandle(native(std::exchange(port, nullptr))) != 0;
    const DWORD reason = GetLastError();
    CloseHandle(native(std::exchange(claim, nullptr)));
    SetLastError(reason);
    return closed;
}

long PortDevice::write(const char* data, int length)
{
    if (length < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (port == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return -1;
    }
    Operation write;
    if (write.event() == nullptr)
        return -1;
    DWORD written = 0;
    if (!WriteFile(native(port), data, DWORD(length), &written, write.get())) {
        if (GetLastError() != ERROR_IO_PENDING)
            return -1;
        if (!GetOverlappedResult(native(port), write.get(), &written, TRUE))
            return -1;
    }
    return long(written);
}

ReadResult PortDevice::readByte(char& byte, std::chrono::milliseconds wait, bool cancellable)
{
    if (port == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return ReadResult::Failed;
    }
    Operation read;
    if (read.event() == nullptr)
        return ReadResult::Failed;
    DWORD got = 0;
    if (ReadFile(native(port), &byte, 1, &got, read.get()))
        return got == 1 ? ReadResult::Byte : ReadResult::Nothing;
    if (GetLastError() != ERROR_IO_PENDING)
        return ReadResult::Failed;

    const HANDLE events[2] = {read.event(), native(wakeEvent)};
    const DWORD count = cancellable && wakeEvent != nullptr ? 2 : 1;
    const auto waitMs = std::clamp<std::chrono::milliseconds::rep>(wait.count(), 0, INFINITE - 1);
    if (WaitForMultipleObjects(count, events, FALSE, DWORD(waitMs)) != WAIT_OBJECT_0)
        // Time is up or a cancel came: take the read back. It may have
        // completed meanwhile, and then its byte counts.
        CancelIoEx(native(port), read.get());
    if (!GetOverlappedResult(native(port), read.get(), &got, TRUE))
        return GetLastError() == ERROR_OPERATION_ABORTED ? ReadResult::Nothing : ReadResult::Failed;
    return got == 1 ? ReadResult::Byte : ReadResult::Nothing;
}

void PortDevice::wake()
{
    if (wakeEvent != nullptr)
        SetEvent(native(wakeEvent));
}

void PortDevice::clearWake()
{
    if (wakeEvent != nullptr)
        ResetEvent(native(wakeEvent));
}

std::string lastSystemErrorText()
{
    return wxSysErrorMsgStr(GetLastError()).utf8_string();
}

} // namespace detail
} // namespace termin
