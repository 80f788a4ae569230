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

} // namespace termin
