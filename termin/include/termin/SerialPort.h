#pragma once
// The serial link to the instrument over an RS-232 port named "COM1".."COM9".
// Line settings are stored by the setters and take effect at the next open().

#include "termin/SerialPortException.h"
#include "termin/Terminection.h"
#include "termin/termin_export.h"

#include <memory>
#include <mutex>
#include <string>

namespace termin {

namespace detail {
class PortDevice;
}

class TERMIN_EXPORT SerialPort : public Terminection {
public:
    SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;
    // Releases the device if it is still open, without reporting failures.
    ~SerialPort() override;

    int setupPort(wxWindow* window) override;
    void open() override;
    void close() override;
    bool isOpen() const override;
    void setTimeout(int seconds) override;
    int getTimeout() const override;
    int sendString(const char* data, int length) override;
    int recvString(std::string& line) override;
    void cancel() override;
    virtual int sendString(const std::string& text);

    // Accepts "COM1".."COM9" only; any other name is refused and the
    // current one kept.
    bool setPortName(const std::string& name);
    const std::string& getPortName() const;
    void setBaudRate(int value);
    int getBaudRate() const;
    void setByteSize(int value);
    void setParity(int value);    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    void setStopBits(int value);  // 0 one, 1 one and a half, 2 two

    // The values the setup dialog offers, shared by every SerialPort of the
    // process. Each accepts only the values of its fixed table and returns
    // false for any other; the tables only grow.
    bool setAvailableBaudRate(int value);
    bool setAvailableByteSize(int value);
    bool setAvailableParity(int value);
    bool setAvailableStopBits(int value);

private:
    bool isCanceled();
    [[noreturn]] void handleError(const std::string& context);

    int timeout = 10;
    std::unique_ptr<detail::PortDevice> handle;
    bool opened = false;
    std::string portName = "COM1";
    int baudRate = 9600;
    int byteSize = 8;
    int parity = 0;
    int stopBits = 0;
    bool cancelRequested = false;
    std::mutex cancelLock;
};

} // namespace termin
