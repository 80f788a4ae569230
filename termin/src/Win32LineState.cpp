#include "Win32LineState.h"

namespace termin::detail {

bool makeLineState(const LineSettings& settings, DCB& dcb)
{
    if (settings.baudRate <= 0 || settings.byteSize < 5 || settings.byteSize > 8 ||
        settings.parity < 0 || settings.parity > 4 || settings.stopBits < 0 ||
        settings.stopBits > 2)
        return false;

    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = DWORD(settings.baudRate);
    dcb.ByteSize = BYTE(settings.byteSize);
    // The codes are Win32's own: NOPARITY..SPACEPARITY and ONESTOPBIT..TWOSTOPBITS.
    dcb.Parity = BYTE(settings.parity);
    dcb.StopBits = BYTE(settings.stopBits);
    dcb.fBinary = TRUE;
    dcb.fParity = settings.parity != NOPARITY;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    // NUL bytes reach the receiver, which drops them itself.
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    // A framing or parity error must not stall every later read until
    // someone calls ClearCommError.
    dcb.fAbortOnError = FALSE;
    return true;
}

} // namespace termin::detail
