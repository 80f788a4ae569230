// The line's far end under Wine: the simulator, which links its
// pseudo-terminal where the prefix maps the port, sends bytes on request and
// logs the command lines it receives.

#include "LinePeer.h"
#include "SimControl.h"

#include "Escape.h"

#include <gtest/gtest.h>
#include <wx/log.h>

#include <filesystem>
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

// The prefix maps every COMn to a link in $TONVALE_WINE_PORTS; without a
// simulator there, the port leads nowhere.
void makeMissingPort(const std::string& portName)
{
    const char* ports = std::getenv("TONVALE_WINE_PORTS");
    ASSERT_NE(ports, nullptr);
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path("Z:" + std::string(ports)) / "termin" / "ports" / portName,
                            ignored);
}

std::string notOpenText()
{
    return wxSysErrorMsgStr(ERROR_INVALID_HANDLE).utf8_string();
}

std::string invalidArgumentText()
{
    return wxSysErrorMsgStr(ERROR_INVALID_PARAMETER).utf8_string();
}
