#pragma once
// The Excel stand-in from the tests' side: registering it as
// "Excel.Application" in the test prefix, starting one as an Excel the user
// has open, and its own members for setting up and reading back the model
// behind it (see StandIn.cpp).

#include <windows.h>
#include <oaidl.h>

#include <chrono>
#include <string>

namespace standin {

// Registers excel_standin.exe beside this test program as the local server
// of "Excel.Application" (under HKLM\Software\Classes, which is where Wine
// looks for COM classes).
void registerServer();

// Ends every stand-in process there is (none is running afterwards).
void endAll();

// Ends every stand-in as its user quits it, then whatever is left as endAll
// does. Under Wine a client whose COM-started server was killed cannot start
// another one, so a test that started one through COM ends it this way.
void quitAll();

// A running stand-in, reached through its control object (never through
// its Application, whose references are the clients'). Ends it when
// destroyed, unless it has ended already.
class Server {
public:
    // Starts one as an Excel the user has open and waits until it is in the
    // running object table.
    Server();
    // The one that runs already (one that COM started); fails when none
    // comes up within 2 s.
    struct Attach {};
    explicit Server(Attach);
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

    // "application N objects M": the references clients hold on Excel's
    // Application and on its other objects.
    std::string references() { return script("references"); }

    // Ends the process at once, as a crash would.
    void kill();
    // Whether the process ends within that time.
    bool ends(std::chrono::milliseconds within);

private:
    // Waits up to patience for the stand-in's control object.
    void connect(std::chrono::milliseconds patience);

    IDispatch* control = nullptr;
    DWORD processId = 0;
};

} // namespace standin
