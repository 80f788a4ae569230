// The line's far end under Wine: the simulator, which links its
// pseudo-terminal where the prefix maps the port, sends bytes on request and
// logs the command lines it receives.

#include "LinePeer.h"
#include "MissingPort.h"
#include "SimControl.h"

#include "Escape.h"

#include <wx/log.h>

#include <thread>

#include <windows.h>

namespace {

class SimPeer : public LinePeer {
public:
    explicit SimPeer(const std::string& portName) : sim(options(portName)) {}

    void send(std::string_view bytes) override
    {
        sim.command("SEND " + sxsim::escapeBytes(bytes));
    }

    std::string receivedLines(std::chrono::milliseconds limit) override
    {
        std::this_thread::sleep_for(limit);
        std::string lines;
        for (const auto& received : sim.log())
            lines += received.bytes;
        sim.command("CLEARLOG");
        return lines;
    }

    void hangUp() override { sim.stop(); }

private:
    static sxsim::SimOptions options(const std::string& portName)
    {
        sxsim::SimOptions chosen;
        chosen.portName = portName;
        return chosen;
    }

    sxsim::SimProcess sim;
};

} // namespace

std::unique_ptr<LinePeer> makeLinePeer(const std::string& portName)
{
    return std::make_unique<SimPeer>(portName);
}

void leadNowhere(const std::string& portName)
{
    makeMissingPort(portName);
}

std::string notOpenText()
{
    return wxSysErrorMsgStr(ERROR_INVALID_HANDLE).utf8_string();
}

std::string invalidArgumentText()
{
    return wxSysErrorMsgStr(ERROR_INVALID_PARAMETER).utf8_string();
}
