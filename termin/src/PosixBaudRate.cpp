#include "PosixBaudRate.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

// <sys/ioctl.h> would bring the C library's terminal structures back in.
extern "C" int ioctl(int fd, unsigned long request, ...);

namespace termin::detail {

bool setCustomBaudRate(int fd, int rate)
{
    termios2 tio{};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    tio.c_cflag &= ~tcflag_t(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = speed_t(rate);
    tio.c_ospeed = speed_t(rate);
    return ioctl(fd, TCSETS2, &tio) == 0;
}

} // namespace termin::detail
