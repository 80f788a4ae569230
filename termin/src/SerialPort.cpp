// The portable part of the serial link: settings, the line receiver and the
// cancel request. Device access goes through PortDevice, one per platform.

#include "termin/SerialPort.h"

#include "AvailableTables.h"
#include "PortDevice.h"
#include "Strings.h"

#include <chrono>
#include <cstddef>
#include <string_view>

namespace termin {
namespace {

using Clock = std::chrono::steady_clock;

// A wait without limit still wakes up this often; the cancel wake-up ends it
// sooner.
constexpr std::chrono::milliseconds idleWakeup{500};

// The values each table accepts, with their fixed labels.
const ValueTable baudRateLabels{{600, "600"},     {1200, "1200"},   {2400, "2400"},
                                {4800, "4800"},   {9600, "9600"},   {14400, "14400"},
                                {19200, "19200"}, {38400, "38400"}};
const ValueTable byteSizeLabels{{5, "5 bits"}, {6, "6 bits"}, {7, "7 bits"}, {8, "8 bits"}};
const ValueTable parityLabels{{0, "None"}, {1, "Odd"}, {2, "Even"}};
const ValueTable stopBitsLabels{{0, "1 bit"}, {1, "1.5 bits"}, {2, "2 bits"}};

bool addAvailable(ValueTable& table, const ValueTable& labels, int value)
{
    const auto label = labels.find(value);
    if (label == labels.end())
        return false;
    table.insert(*label);
    return true;
}

} // namespace

namespace detail {

AvailableTables& availableTables()
{
    static AvailableTables tables;
    return tables;
}

} // namespace detail

SerialPortException::SerialPortException(const std::string& message)
    : std::runtime_error(message)
{
}

SerialPortException::~SerialPortException() = default;

SerialPortAccessDenied::~SerialPortAccessDenied() = default;

Terminection::~Terminection() = default;

SerialPort::SerialPort() : handle(std::make_unique<detail::PortDevice>()) {}

SerialPort::~SerialPort() = default;

void SerialPort::open()
{
    switch (handle->open(portName)) {
    case detail::OpenFailure::None:
        break;
    case detail::OpenFailure::Failed:
        throw SerialPortException("Failed to Open " + portName);
    case detail::OpenFailure::AccessDenied: {
        // The one failure the user can mend: the device and the reason go
        // along.
        const std::string reason = detail::lastSystemErrorText();
        throw SerialPortAccessDenied("Failed to Open " + portName + " (" +
                                     detail::PortDevice::deviceName(portName) + "): " + reason);
    }
    }

    const char* context = nullptr;
    switch (handle->configure({baudRate, byteSize, parity, stopBits})) {
    case detail::ConfigureFailure::None:
        opened = true;
        return;
    case detail::ConfigureFailure::ReadTimeouts:
        context = "GetCommTimeouts() in SerialPort::open(): ";
        break;
    case detail::ConfigureFailure::WriteTimeouts:
        context = "SetCommTimeouts() in SerialPort::open(): ";
        break;
    case detail::ConfigureFailure::ReadState:
        context = "GetCommState() in SerialPort::open(): ";
        break;
    case detail::ConfigureFailure::WriteState:
        context = "SetCommState() in SerialPort::open(): ";
        break;
    }
    // The reason is taken before close() can overwrite it.
    const std::string reason = detail::lastSystemErrorText();
    close();
    throw SerialPortException(context + reason);
}

void SerialPort::close()
{
    if (!handle->close())
        handleError("CloseHandle() in SerialPort::close(): ");
    opened = false;
}

bool SerialPort::isOpen() const
{
    return opened;
}

void SerialPort::setTimeout(int seconds)
{
    timeout = seconds;
}

int SerialPort::getTimeout() const
{
    return timeout;
}

int SerialPort::sendString(const char* data, int length)
{
    const long written = handle->write(data, length);
    if (written < 0)
        handleError("WriteFile() in SerialPort::sendString(const char*, int): ");
    return int(written);
}

int SerialPort::sendString(const std::string& text)
{
    const long written = handle->write(text.data(), int(text.size()));
    if (written < 0)
        handleError("WriteFile() in sendString(CString&): ");
    return int(written);
}

// Byte by byte, so that nothing of the next line is taken from the device.
// The time-out counts from the start of the call and is looked at only after
// a read that did not complete a line; while it runs, cancel requests wait
// for a receive without limit.
int SerialPort::recvString(std::string& line)
{
    line.clear();
    const auto start = Clock::now();
    const auto deadline = start + std::chrono::seconds(timeout);
    for (;;) {
        const bool unlimited = timeout == 0;
        if (unlimited && isCanceled())
            return -1;

        std::chrono::milliseconds wait = idleWakeup;
        if (!unlimited) {
            // Rounded up, so that a wait that ends empty-handed ends past
            // the deadline.
            wait = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()) +
                   std::chrono::milliseconds(1);
        }
        char byte = 0;
        switch (handle->readByte(byte, wait, unlimited)) {
        case detail::ReadResult::Failed:
            handleError("ReadFile() in SerialPort::recvString(CString&): ");
        case detail::ReadResult::Byte:
            if (byte == '\n')
                return int(line.size());
            if (byte != '\0')
                line += byte;
            break;
        case detail::ReadResult::Nothing:
            break;
        }
        if (!unlimited && Clock::now() > deadline)
            throw SerialPortException(strings().get(IdsTimeout));
    }
}

void SerialPort::cancel()
{
    std::lock_guard lock(cancelLock);
    if (!cancelRequested)
        handle->wake();
    cancelRequested = true;
}

bool SerialPort::isCanceled()
{
    std::lock_guard lock(cancelLock);
    if (!cancelRequested)
        return false;
    cancelRequested = false;
    handle->clearWake();
    return true;
}

void SerialPort::handleError(const std::string& context)
{
    throw SerialPortException(context + detail::lastSystemErrorText());
}

bool SerialPort::setPortName(const std::string& name)
{
    const bool valid = name.size() == 4 && std::string_view(name).substr(0, 3) == "COM" &&
                       name[3] >= '1' && name[3] <= '9';
    if (valid)
        portName = name;
    return valid;
}

const std::string& SerialPort::getPortName() const
{
    return portName;
}

void SerialPort::setBaudRate(int value)
{
    baudRate = value;
}

int SerialPort::getBaudRate() const
{
    return baudRate;
}

void SerialPort::setByteSize(int value)
{
    byteSize = value;
}

void SerialPort::setParity(int value)
{
    parity = value;
}

void SerialPort::setStopBits(int value)
{
    stopBits = value;
}

bool SerialPort::setAvailableBaudRate(int value)
{
    return addAvailable(detail::availableTables().baudRates, baudRateLabels, value);
}

bool SerialPort::setAvailableByteSize(int value)
{
    return addAvailable(detail::availableTables().byteSizes, byteSizeLabels, value);
}

bool SerialPort::setAvailableParity(int value)
{
    return addAvailable(detail::availableTables().parities, parityLabels, value);
}

bool SerialPort::setAvailableStopBits(int value)
{
    return addAvailable(detail::availableTables().stopBits, stopBitsLabels, value);
}

} // namespace termin
