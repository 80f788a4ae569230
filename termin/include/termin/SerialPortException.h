#pragma once
// Every failure of the serial link reaches the caller as this exception; its
// text is ready to show to the user.

#include "termin/termin_export.h"

#include <stdexcept>
#include <string>

namespace termin {

class TERMIN_EXPORT SerialPortException : public std::runtime_error {
public:
    explicit SerialPortException(const std::string& message);
    ~SerialPortException() override;
};

// open() failed because the system refuses this user the device (its
// permissions), not because it is missing or in use: the user can mend it.
class TERMIN_EXPORT SerialPortAccessDenied : public SerialPortException {
public:
    using SerialPortException::SerialPortException;
    ~SerialPortAccessDenied() override;
};

} // namespace termin
