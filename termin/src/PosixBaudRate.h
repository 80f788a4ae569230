#pragma once
// Line speeds without a termios constant (14400 among them) go through the
// kernel's termios2 interface, whose header clashes with the C library's
// <termios.h>; it lives in its own file.

namespace termin::detail {

// Sets rate as input and output speed of the open terminal fd; false with
// errno set when the driver refuses it.
bool setCustomBaudRate(int fd, int rate);

} // namespace termin::detail
