#pragma once
// The termios line state for a port's settings.

#include "PortDevice.h"

#include <termios.h>

namespace termin::detail {

// Raw 8-bit-clean line state from the settings, no flow control, modem lines
// ignored, reads returning at once with what has arrived. customRate tells
// that the speed has no termios constant and must be set apart. False for a
// value the line cannot take.
bool makeLineState(const LineSettings& settings, termios& tio, bool& customRate);

} // namespace termin::detail
