#include "PosixLineState.h"

#include <algorithm>
#include <iterator>

namespace termin::detail {
namespace {

struct Speed {
    int rate;
    speed_t constant;
};

constexpr Speed speeds[] = {
    {50, B50},         {75, B75},           {110, B110},         {134, B134},
    {150, B150},       {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},     {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},     {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200}, {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000}, {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

} // namespace

bool makeLineState(const LineSettings& s, termios& tio, bool& customRate)
{
    tio.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                             IXON | IXOFF | IXANY | INPCK);
    tio.c_oflag &= ~tcflag_t(OPOST);
    tio.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= CREAD | CLOCAL;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;

    switch (s.byteSize) {
    case 5: tio.c_cflag |= CS5; break;
    case 6: tio.c_cflag |= CS6; break;
    case 7: tio.c_cflag |= CS7; break;
    case 8: tio.c_cflag |= CS8; break;
    default: return false;
    }
    switch (s.parity) {
    case 0: break;
    case 1: tio.c_cflag |= PARENB | PARODD; break;
    case 2: tio.c_cflag |= PARENB; break;
    case 3: tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case 4: tio.c_cflag |= PARENB | CMSPAR; break;
    default: return false;
    }
    if (s.parity != 0)
        tio.c_iflag |= INPCK;
    switch (s.stopBits) {
    case 0: break;
    // termios knows one or two stop bits. Two is the nearest to one and a
    // half that the driver offers, and a 16550 sends exactly 1.5 for CSTOPB
    // with 5-bit characters, the only size that 1.5 goes with.
    case 1:
    case 2: tio.c_cflag |= CSTOPB; break;
    default: return false;
    }

    const auto speed = std::find_if(std::begin(speeds), std::end(speeds),
                                    [&](const Speed& sp) { return sp.rate == s.baudRate; });
    customRate = speed == std::end(speeds);
    if (!customRate)
        return cfsetspeed(&tio, speed->constant) == 0;
    return s.baudRate > 0;
}

} // namespace termin::detail
