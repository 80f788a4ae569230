#pragma once
// The Excel stand-in from the tests' side: registering it as
// "Excel.Application" in the test prefix, starting one as an Excel the user
// has open, and its own members for setting up and reading back the model
// behind it (see StandIn.cpp).

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace standin {

// Registers excel_standin.exe beside this test program as the local server
// of "Excel.Application" (under HKLM\Software\Classes, which is where Wine
// looks for COM classes).
void registerServer();

// Ends every stand-in process there is (none is running afterwards).
void endAll();

// A running stand-in, reached through its Application. Ends it when
// destroyed, unless it has ended already.
class Server {
public:
    // Starts one as an Excel the user has open and waits until it is in the
    // running object table.
    Server();
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // The model's whole state, its call log, and other commands of
    // StandInScript.
    std::string state() { return script("state"); }
    std::string log() { return script("log"); }
    std::string script(const std::string& command);

    // The next call of any client waits this long before it is served.
    void delayNextCall(int milliseconds);

    // Ends the process at once, as a crash would.
    void kill();

private:
    IDispatch* application = nullptr;
    DWORD processId = 0;
};

} // namespace standin
