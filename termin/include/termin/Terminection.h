#pragma once
// A line-oriented link to the instrument: open it, write command text, read
// response lines that end in LF.

#include "termin/termin_export.h"

#include <string>

class wxWindow;

namespace termin {

class TERMIN_EXPORT Terminection {
public:
    Terminection() = default;
    Terminection(const Terminection&) = default;
    Terminection& operator=(const Terminection&) = default;
    virtual ~Terminection();

    // Shows the port settings dialog; 1 for OK, 2 for Cancel.
    virtual int setupPort(wxWindow* window) = 0;
    virtual void open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Receive time-out in seconds; 0 waits without limit until a line or a
    // cancel arrives.
    virtual void setTimeout(int seconds) = 0;
    virtual int getTimeout() const = 0;
    virtual int sendString(const char* data, int length) = 0;
    // Receives one line without its LF; -1 when a wait without limit was
    // cancelled.
    virtual int recvString(std::string& line) = 0;
    // Stops a waiting recvString with time-out 0; any thread may call it.
    virtual void cancel() = 0;
};

} // namespace termin
