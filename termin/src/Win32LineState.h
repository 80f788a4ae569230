#pragma once
// The Win32 device control block for a port's settings.

#include "PortDevice.h"

#include <windows.h>

namespace termin::detail {

// Raw binary line state from the settings on top of what the driver reported
// (dcb): no flow control of any kind, modem lines ignored, errors that do
// not stop the driver. False for a value the line cannot take.
bool makeLineState(const LineSettings& settings, DCB& dcb);

} // namespace termin::detail
