#include "LineSpeed.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

// <sys/ioctl.h> would bring the C library's terminal structures back in.
extern "C" int ioctl(int fd, unsigned long request, ...);

int lineSpeed(int fd)
{
    termios2 tio{};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return -1;
    return int(tio.c_ospeed);
}
