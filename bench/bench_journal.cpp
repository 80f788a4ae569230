// What keeping a measurement in the journal costs: one append of a spectral
// measurement of both components (two records, the file synced to the disk)
// against the time of the measurement itself at 9600 baud. That time is
// taken at its floor, the six 100 ms pauses before the commands and the two
// data lines on the wire at 960 bytes a second, so the ratio printed is an
// upper bound. Goal: at most 2 %. The journal is written into a folder made
// in the working directory (give another as the argument): a disk, not
// a memory file system, whose sync would cost nothing.

#include "Journal.h"
#include "OutputDestination.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

using Clock = std::chrono::steady_clock;

namespace {

constexpr int runs = 200;
constexpr double measurementPauses = 6 * 0.100;
constexpr double bytesPerSecond = 960;
constexpr double goal = 0.02;

tonvale::JournalMeasurement spectralMeasurement(int number)
{
    tonvale::JournalMeasurement m;
    m.number = number;
    m.name = "Sample_No." + std::to_string(number);
    m.comment = "bench";
    m.measuredAt = std::time(nullptr);
    m.model = "SX-4810k";
    m.area = "MAV";
    m.dataType = 0;
    m.destination = tonvale::OutputText;
    for (const char* component : {"SCI", "SCE"}) {
        tonvale::JournalMeasurement::Line line{component, {}};
        for (int k = 0; k < 39; ++k)
            line.values.push_back(std::to_string(40 + k) + ".25");
        m.lines.push_back(line);
    }
    return m;
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path dir =
        argc > 1 ? std::filesystem::path(argv[1])
                 : std::filesystem::current_path() / ("bench-journal-" + std::to_string(getpid()));
    const tonvale::Journal journal(dir.string());

    std::vector<double> ms;
    for (int i = 1; i <= runs; ++i) {
        const auto m = spectralMeasurement(i);
        std::string file;
        const auto start = Clock::now();
        if (const auto error = journal.append(m, file)) {
            std::fprintf(stderr, "bench_journal: %s: %s\n", file.c_str(), error.message().c_str());
            return 1;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    if (argc <= 1)
        std::filesystem::remove_all(dir);

    // What the instrument sends for the measurement: "OK00" and 39 values
    // of ",dd.dd" with CR LF, twice.
    const double lineBytes = 4 + 39 * 6 + 2;
    const double floorMs = (measurementPauses + 2 * lineBytes / bytesPerSecond) * 1000;
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (const double t : ms)
        sum += t;
    const double mean = sum / ms.size();
    const double p95 = ms[ms.size() * 95 / 100];
    std::printf("journal append with sync, spectral SCI+SCE, %d runs in %s\n", runs, dir.c_str());
    std::printf("  mean %.2f ms, median %.2f ms, 95th percentile %.2f ms, max %.2f ms\n", mean,
                ms[ms.size() / 2], p95, ms.back());
    std::printf("  measurement at 9600 baud, floor: %.0f ms\n", floorMs);
    std::printf("  ratio (mean): %.2f %%, (95th percentile): %.2f %%; goal <= %.0f %%: %s\n",
                100 * mean / floorMs, 100 * p95 / floorMs, 100 * goal,
                mean / floorMs <= goal ? "met" : "NOT met");
    return 0;
}
