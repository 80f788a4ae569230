// What a PC-started measurement costs beyond the line itself: a spectral
// measurement of both components (SCI and SCE) against the simulator at
// 9600 baud with an instrument that takes no time. Its floor is the six
// 100 ms pauses before the commands plus every byte on the wire, both ways,
// at 960 bytes a second. Goal: wall time at most 1.05 times the floor. Run
// under an X server (xvfb-run).

#include "Escape.h"
#include "Instrument.h"
#include "MeasurementRecord.h"
#include "OutputDestination.h"
#include "SimControl.h"

#include <wx/app.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

constexpr int runs = 10;
constexpr int commands = 6;            // STR, IDR, CPR, STR, CPS, MES
constexpr double pauseSeconds = 0.100; // before each command
constexpr double bytesPerSecond = 960; // 9600 baud, 8N1
constexpr double goal = 1.05;

std::int64_t monotonicMs(Clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
}

// Bytes the simulator wrote after from until to (ms, CLOCK_MONOTONIC),
// from its traffic trace: lines "<ms> SX> <escaped line>".
std::size_t repliedBytes(const std::string& trace, std::int64_t from, std::int64_t to)
{
    std::istringstream lines(trace);
    std::string line;
    std::size_t bytes = 0;
    while (std::getline(lines, line)) {
        const std::size_t marker = line.find(" SX> ");
        if (marker == std::string::npos)
            continue;
        // The previous measurement's last line may have gone out within the
        // millisecond in which this one started; this one's first reply comes
        // 100 ms later.
        const std::int64_t ms = std::stoll(line.substr(0, marker));
        if (ms <= from || ms > to)
            continue;
        if (const auto text = sxsim::unescapeBytes(line.substr(marker + 5)))
            bytes += text->size();
    }
    return bytes;
}

struct Figures {
    double wall;  // seconds
    double floor; // seconds
    std::size_t bytes;
};

Figures measureOnce(sxsim::SimProcess& sim, tonvale::Instrument& instrument)
{
    sim.command("CLEARLOG");
    const auto start = Clock::now();
    if (!instrument.measure(0, 0, 0, tonvale::OutputText)) {
        std::fprintf(stderr, "the measurement failed\n");
        std::exit(1);
    }
    const auto end = Clock::now();

    std::size_t bytes = 0;
    const auto received = sim.log();
    for (const auto& command : received)
        bytes += command.bytes.size();
    if (received.size() != commands) {
        std::fprintf(stderr, "%zu commands instead of %d\n", received.size(), commands);
        std::exit(1);
    }
    bytes += repliedBytes(sim.output(), monotonicMs(start), monotonicMs(end) + 1);
    const double wall = std::chrono::duration<double>(end - start).count();
    return {wall, commands * pauseSeconds + double(bytes) / bytesPerSecond, bytes};
}

// The instrument's failure messages go to stderr instead of waiting for
// someone to answer them.
class PrintMessages : public wxModalDialogHook {
protected:
    int Enter(wxDialog* dialog) override
    {
        if (auto* box = dynamic_cast<wxMessageDialog*>(dialog))
            std::fprintf(stderr, "%s\n", box->GetMessage().utf8_string().c_str());
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

class BenchApp : public wxApp {
public:
    bool OnInit() override { return true; }

    int OnRun() override
    {
        PrintMessages messages;
        messages.Register();
        sxsim::SimOptions options;
        options.pace = true;
        sxsim::SimProcess sim(options);
        sim.command("FLAGS 22222222");
        sim.command("CONDITIONS 0 1");
        sim.command("SAMPLE grey");
        tonvale::MeasurementRecord record(nullptr);
        tonvale::Instrument instrument(record);
        if (!instrument.openPort("COM1"))
            return 1;
        measureOnce(sim, instrument); // the first one opens what stays open

        std::vector<Figures> figures;
        for (int i = 0; i < runs; ++i)
            figures.push_back(measureOnce(sim, instrument));
        std::sort(figures.begin(), figures.end(),
                  [](const Figures& a, const Figures& b) { return a.wall / a.floor < b.wall / b.floor; });
        const Figures& median = figures[figures.size() / 2];
        const double ratio = median.wall / median.floor;

        std::printf("bench_instrument_measure: spectral SCI+SCE at 9600 baud, %d runs (median)\n", runs);
        std::printf("  bytes on the wire    %8zu\n", median.bytes);
        std::printf("  floor                %8.1f ms   (%d x 100 ms + bytes / 960 B/s)\n", median.floor * 1000,
                    commands);
        std::printf("  wall time            %8.1f ms\n", median.wall * 1000);
        std::printf("  wall / floor         %8.3f      (goal <= %.2f) %s\n", ratio, goal,
                    ratio <= goal ? "met" : "MISSED");
        std::printf("  worst wall / floor   %8.3f\n", figures.back().wall / figures.back().floor);
        return ratio <= goal ? 0 : 2;
    }
};

} // namespace

wxIMPLEMENT_APP_NO_MAIN(BenchApp);

int main(int argc, char** argv)
{
    return wxEntry(argc, argv);
}
