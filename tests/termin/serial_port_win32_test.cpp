// What the serial link does on Windows alone: "COMn" is the device \\.\COMn,
// the device control block it sets, and the exclusive open. Run under Wine,
// where every COMn of the test prefix is mapped away from the machine's own
// serial ports.

#include "LinePeer.h"
#include "Win32LineState.h"

#include "termin/PortLink.h"
#include "termin/SerialPort.h"

#include <gtest/gtest.h>

#include <windows.h>

using termin::SerialPort;

namespace {

// Opens the device as another program would; the error when it cannot.
DWORD openError(const wchar_t* device)
{
    const HANDLE handle = CreateFileW(device, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError();
    CloseHandle(handle);
    return ERROR_SUCCESS;
}

} // namespace

TEST(PortDevice, IsTheComDeviceItself)
{
    EXPECT_EQ(termin::portDevicePath("COM1"), "\\\\.\\COM1");
    EXPECT_EQ(termin::portDevicePath("COM9"), "\\\\.\\COM9");
}

TEST(PortDevice, APortWithoutDeviceIsMissingAsOnWindows)
{
    makeMissingPort("COM6");
    EXPECT_EQ(openError(L"\\\\.\\COM6"), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST(PortDevice, AnOpenPortKeepsEveryoneElseOut)
{
    const auto peer = makeLinePeer("COM3");
    EXPECT_EQ(openError(L"\\\\.\\COM3"), DWORD(ERROR_SUCCESS));
    SerialPort port;
    ASSERT_TRUE(port.setPortName("COM3"));
    port.open();
    const DWORD refused = openError(L"\\\\.\\COM3");
    EXPECT_TRUE(refused == ERROR_ACCESS_DENIED || refused == ERROR_SHARING_VIOLATION) << refused;
    port.close();
    EXPECT_EQ(openError(L"\\\\.\\COM3"), DWORD(ERROR_SUCCESS));
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
