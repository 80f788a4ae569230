// What the serial link does on Windows alone: "COMn" is the device \\.\COMn,
// a port without a device, and the device control block it sets. Run under
// Wine, where every COMn of the test prefix is mapped away from the
// machine's own serial ports.

#include "LinePeer.h"
#include "Win32LineState.h"

#include "termin/PortLink.h"
#include "termin/SerialPort.h"

#include <gtest/gtest.h>

#include <windows.h>

TEST(PortDevice, IsTheComDeviceItself)
{
    EXPECT_EQ(termin::portDevicePath("COM1"), "\\\\.\\COM1");
    EXPECT_EQ(termin::portDevicePath("COM9"), "\\\\.\\COM9");
}

// Under Wine a COM port whose device is not there still opens, as a device
// that fails every call; the link must take it for missing, as Windows
// reports a port that does not exist.
TEST(PortDevice, APortWithoutDeviceIsMissing)
{
    for (const char* name : {"COM5", "COM6", "COM9"}) {
        leadNowhere(name);
        termin::SerialPort port;
        ASSERT_TRUE(port.setPortName(name));
        try {
            port.open();
            ADD_FAILURE() << name << " opened";
        } catch (const termin::SerialPortException& e) {
            EXPECT_EQ(e.what(), std::string("Failed to Open ") + name);
        }
        EXPECT_FALSE(port.isOpen());
    }
}

TEST(LineState, IsRawBinaryWithoutFlowControl)
{
    const struct {
        int baudRate, byteSize, parity, stopBits;
    } cases[] = {
        {9600, 8, 0, 0}, {4800, 7, 2, 2}, {1200, 5, 1, 1}, {14400, 6, 3, 0}, {38400, 8, 4, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.baudRate);
        DCB dcb{};
        // Whatever the driver had must not survive.
        dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = dcb.fOutX = dcb.fInX = TRUE;
        dcb.fNull = dcb.fAbortOnError = dcb.fDsrSensitivity = TRUE;
        dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
        ASSERT_TRUE(termin::detail::makeLineState({c.baudRate, c.byteSize, c.parity, c.stopBits}, dcb));
        EXPECT_EQ(dcb.DCBlength, sizeof dcb);
        EXPECT_EQ(dcb.BaudRate, DWORD(c.baudRate));
        EXPECT_EQ(dcb.ByteSize, c.byteSize);
        EXPECT_EQ(dcb.Parity, c.parity);
        EXPECT_EQ(dcb.StopBits, c.stopBits);
        EXPECT_EQ(bool(dcb.fParity), c.parity != NOPARITY);
        EXPECT_TRUE(dcb.fBinary);
        EXPECT_FALSE(dcb.fOutxCtsFlow || dcb.fOutxDsrFlow || dcb.fOutX || dcb.fInX);
        EXPECT_FALSE(dcb.fNull || dcb.fAbortOnError || dcb.fDsrSensitivity);
        EXPECT_NE(dcb.fRtsControl, DWORD(RTS_CONTROL_HANDSHAKE));
    }
}

TEST(LineState, RefusesValuesNoLineTakes)
{
    const termin::detail::LineSettings refused[] = {
        {9600, 9, 0, 0}, {9600, 4, 0, 0}, {9600, 8, 5, 0}, {9600, 8, -1, 0},
        {9600, 8, 0, 3}, {0, 8, 0, 0},    {-9600, 8, 0, 0},
    };
    for (const auto& settings : refused) {
        DCB dcb{};
        EXPECT_FALSE(termin::detail::makeLineState(settings, dcb))
            << settings.baudRate << " " << settings.byteSize << " " << settings.parity << " "
            << settings.stopBits;
    }
}
