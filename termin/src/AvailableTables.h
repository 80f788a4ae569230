#pragma once
// The process-wide tables behind SerialPort::setAvailable...; filled and read
// on the user-interface thread only.

#include "termin/PortSetup.h"

namespace termin::detail {

AvailableTables& availableTables();

} // namespace termin::detail
