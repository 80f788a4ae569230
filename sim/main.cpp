// sxsim: an SX-4810k spectrophotometer on a pseudo-terminal, for tests and
// demonstrations of the program without the instrument.

#include "ControlClient.h"
#include "Simulator.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

const char* const usage =
    "Usage: sxsim [--link COMn] [--control ENDPOINT] [--product N] [--pace]\n"
    "             [--measure-ms N] [--calibrate-ms N]\n"
    "       sxsim --control ENDPOINT --send COMMAND [--send COMMAND ...]\n"
    "\n"
    "Simulates an SX-4810k spectrophotometer on a serial line. The line is a\n"
    "pseudo-terminal whose path is printed at start; it stays valid however\n"
    "often a program opens and closes it, until sxsim ends (Ctrl-C).\n"
    "\n"
    "  --link COMn        publish the line as port COMn (COM1-COM9): a symbolic\n"
    "                     link $XDG_CONFIG_HOME/termin/ports/COMn (default\n"
    "                     ~/.config/termin/ports/COMn), removed on exit\n"
    "  --control ENDPOINT take control commands on this Unix socket (a path),\n"
    "                     or on a loopback TCP port: tcp:PORT (tcp:0 picks a\n"
    "                     free one; the start-up lines name it)\n"
    "  --send COMMAND     with --control: send COMMAND to the simulator\n"
    "                     listening there, print its answer and exit\n"
    "  --product N        product ID (3 SX-4810k, the default; 13 SX-4800k)\n"
    "  --pace             9600 baud timing: about 1.04 ms per byte, in both\n"
    "                     directions\n"
    "  --measure-ms N     time the instrument takes to measure (default 0)\n"
    "  --calibrate-ms N   time the instrument takes to calibrate (default 0)\n"
    "  --help             this text\n"
    "\n"
    "The instrument's commands end in CR LF, its replies too:\n"
    "  IDR             OK00,pp             product ID, two digits\n"
    "  CPR             OK00,a,m            area (0 8 mm, 1 3 mm), mode 0-5\n"
    "  STR             OK00,bb,,ffffffff   busy (00 ready), calibration flags\n"
    "  CPS,a,m         OK00                set area and mode\n"
    "  UZC             OK00                zero calibration (flag becomes 1)\n"
    "  CAL             OK00                white calibration (flag 2); ER07\n"
    "                                      without zero calibration\n"
    "  MES             N lines OK00,v1,...,v39   reflectance 360-740 nm in %\n"
    "  CES,0,i,11,o,0  N lines OK00,L*,a*,b*     illuminant i 0-10 (D65, D50,\n"
    "                                      C, A, F2, F6, F7, F8, F10, F11, F12),\n"
    "                                      observer o (0 10 deg, 1 2 deg)\n"
    "  SWE             OK00, then N data lines per press of the measuring button\n"
    "  SWD             OK00                end of remote measurement\n"
    "  anything else   ER00\n"
    "  over 255 bytes  ER08                overrun; the line is dropped\n"
    "N is 1, 2, 2, 4, 3, 6 for modes 0-5 (odd modes add SCE lines, mode / 2 is\n"
    "the UV condition). Measuring needs flag 2 for the current conditions:\n"
    "ER07 without any calibration, ER24 without white calibration. Flag of\n"
    "8 mm single, 8 mm both, 3 mm single, 3 mm both: positions 1-4 (full UV),\n"
    "5-8 (other UV conditions).\n"
    "\n";

bool readMs(const char* text, std::chrono::milliseconds& out)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > 3'600'000)
        return false;
    out = std::chrono::milliseconds(value);
    return true;
}

int send(const std::string& socketPath, const std::vector<std::string>& commands)
{
    sxsim::ControlClient client(socketPath);
    bool ok = true;
    for (const std::string& command : commands) {
        for (const std::string& line : client.request(command)) {
            std::printf("%s\n", line.c_str());
            if (line.compare(0, 3, "ERR") == 0)
                ok = false;
        }
    }
    return ok ? 0 : 1;
}

// Runs the simulator until it is told to stop.
void serve(const sxsim::SimulatorOptions& options)
{
    sxsim::Simulator simulator(options);
    std::printf("line %s\n", simulator.slavePath().c_str());
    if (!options.portName.empty())
        std::printf("port %s: %s -> %s\n", options.portName.c_str(),
                    simulator.linkPath().c_str(), simulator.slavePath().c_str());
    if (!options.controlPath.empty())
        std::printf("control %s\n", simulator.controlEndpoint().c_str());
    for (const std::string& note : simulator.colours().substitutions())
        std::printf("note: %s\n", note.c_str());
    std::printf("ready\n");
    simulator.run();
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    sxsim::SimulatorOptions options;
    options.colordDir = SXSIM_COLORD_DIR;
    std::vector<std::string> commands;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto bad = [&](const char* why) {
            std::fprintf(stderr, "sxsim: %s %s\n(sxsim --help explains the options)\n",
                         arg.c_str(), why);
            return 2;
        };
        if (arg == "--help" || arg == "-h") {
            std::printf("%s%s", usage, sxsim::controlCommandHelp);
            return 0;
        }
        if (arg == "--pace") {
            options.pace = true;
            continue;
        }
        if (value == nullptr)
            return bad("needs a value");
        ++i;
        if (arg == "--link") {
            const std::string name = value;
            if (name.size() != 4 || name.compare(0, 3, "COM") != 0 || name[3] < '1' ||
                name[3] > '9')
                return bad("takes COM1 to COM9");
            options.portName = name;
        } else if (arg == "--control") {
            options.controlPath = value;
        } else if (arg == "--send") {
            commands.push_back(value);
        } else if (arg == "--product") {
            char* end = nullptr;
            const long id = std::strtol(value, &end, 10);
            if (end == value || *end != '\0' || id < 0 || id > 99)
                return bad("takes 0 to 99");
            options.productId = static_cast<int>(id);
        } else if (arg == "--measure-ms") {
            if (!readMs(value, options.measureTime))
                return bad("takes milliseconds");
        } else if (arg == "--calibrate-ms") {
            if (!readMs(value, options.calibrateTime))
                return bad("takes milliseconds");
        } else {
            return bad("is not an option");
        }
    }

    try {
        if (!commands.empty()) {
            if (options.controlPath.empty()) {
                std::fprintf(stderr, "sxsim: --send needs --control ENDPOINT\n");
                return 2;
            }
            return send(options.controlPath, commands);
        }

        serve(options);
        // The simulator is gone: its link removed, the line let go.
        std::printf("stopped\n");
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sxsim: %s\n", e.what());
        return 1;
    }
}
