// The termios line state made from a port's settings.

#include "PosixLineState.h"

#include <gtest/gtest.h>

using termin::detail::LineSettings;
using termin::detail::makeLineState;

TEST(LineState, CarriesSizeParityAndStopBits)
{
    const struct {
        LineSettings settings;
        tcflag_t flags; // CSIZE, PARENB, PARODD, CMSPAR, CSTOPB
        speed_t speed;
        bool custom;
    } cases[] = {
        {{9600, 8, 0, 0}, CS8, B9600, false},
        {{4800, 7, 2, 2}, CS7 | PARENB | CSTOPB, B4800, false},
        {{1200, 5, 1, 1}, CS5 | PARENB | PARODD | CSTOPB, B1200, false},
        {{38400, 6, 3, 0}, CS6 | PARENB | PARODD | CMSPAR, B38400, false},
        {{600, 8, 4, 0}, CS8 | PARENB | CMSPAR, B600, false},
        {{14400, 8, 0, 0}, CS8, B0, true},
    };
    const tcflag_t mask = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings.baudRate);
        // Start from a cooked terminal with everything switched on.
        termios tio{};
        tio.c_cflag = mask | CRTSCTS | B0;
        tio.c_iflag = ICRNL | IXON | INPCK;
        tio.c_lflag = ICANON | ECHO;
        tio.c_oflag = OPOST;
        tio.c_cc[VMIN] = 1;
        bool custom = !c.custom;
        ASSERT_TRUE(makeLineState(c.settings, tio, custom));
        EXPECT_EQ(custom, c.custom);
        EXPECT_EQ(tio.c_cflag & mask, c.flags);
        EXPECT_EQ(cfgetospeed(&tio), c.speed);
        EXPECT_EQ(cfgetispeed(&tio), c.speed);
        EXPECT_EQ((tio.c_iflag & INPCK) != 0, c.settings.parity != 0);
        EXPECT_EQ(tio.c_cflag & (CRTSCTS | CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
        EXPECT_EQ(tio.c_iflag & (ICRNL | IXON), 0u);
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);
        EXPECT_EQ(tio.c_oflag & OPOST, 0u);
        EXPECT_EQ(tio.c_cc[VMIN], 0);
    }
}

TEST(LineState, RefusesWhatTheLineCannotTake)
{
    for (const LineSettings& s : {LineSettings{9600, 4, 0, 0}, LineSettings{9600, 9, 0, 0},
                                  LineSettings{9600, 8, -1, 0}, LineSettings{9600, 8, 5, 0},
                                  LineSettings{9600, 8, 0, 3}, LineSettings{0, 8, 0, 0},
                                  LineSettings{-9600, 8, 0, 0}}) {
        termios tio{};
        bool custom = false;
        EXPECT_FALSE(makeLineState(s, tio, custom))
            << s.baudRate << " " << s.byteSize << " " << s.parity << " " << s.stopBits;
    }
}
