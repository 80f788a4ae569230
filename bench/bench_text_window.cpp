// What appending to the text output window costs as its text grows: 10,000
// two-line measurements written through the record into the shown window.
// Goals: the last 1,000 lines cost at most 1.2 times the first 1,000, and
// appending all of them takes at most 1 s. GTK lays the text out afterwards
// in idle time, in proportion to the whole text; that is printed as well,
// and a second run draws after every measurement, as between real
// measurements. Run under an X server (xvfb-run).

#include "MeasurementRecord.h"
#include "TextOutputWindow.h"

#include <wx/app.h>
#include <wx/evtloop.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

constexpr int measurements = 10000;
constexpr int linesPerMeasurement = 2;
constexpr int sample = 1000 / linesPerMeasurement;  // measurements in 1,000 lines

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Run {
    Clock::duration appended{};  // the measurements written
    Clock::duration total{};     // and the event loop run until idle
    std::vector<Clock::duration> cost = std::vector<Clock::duration>(measurements);  // each measurement's
};

// The time of 1,000 lines from the median cost of their measurements, which
// other processes on the machine disturb less than a plain sum.
double typicalMs(const Run& run, int from)
{
    std::vector<Clock::duration> window(run.cost.begin() + from, run.cost.begin() + from + sample);
    std::nth_element(window.begin(), window.begin() + sample / 2, window.end());
    return ms(window[sample / 2]) * sample;
}

// Writes the measurements into the shown window; with repaintEach, the event
// loop runs after every measurement, otherwise once at the end (where the
// control lays out and draws what was appended). Both count in the total.
Run writeMeasurements(wxEventLoopBase& loop, bool repaintEach)
{
    using namespace tonvale;
    TextOutputWindow& window = TextOutputWindow::instance();
    window.clear();
    MeasurementRecord record(&window, ".");
    const std::vector<std::string> lines{"OK00,71.25,-1.03,12.50", "OK00,70.98,-1.01,12.47"};
    record.parseLines(1, OutputText, 0, 1, lines);
    record.stampDateTime();
    record.setOutputFlags(1, 1, 1, 1, 1, 1);
    auto dispatchAll = [&loop] {
        while (loop.Pending())
            loop.Dispatch();
    };
    dispatchAll();

    Run run;
    const auto start = Clock::now();
    for (int n = 0; n < measurements; ++n) {
        const auto before = Clock::now();
        record.setNaming(n + 2, "Sample", 1);
        record.setNameAndComment(record.makeName(), "comment");
        record.writeToText(true, 1);
        if (repaintEach)
            dispatchAll();
        run.cost[n] = Clock::now() - before;
    }
    run.appended = Clock::now() - start;
    dispatchAll();
    run.total = Clock::now() - start;
    return run;
}

void report(const char* what, const Run& run, bool goals)
{
    const double first = typicalMs(run, 0);
    const double last = typicalMs(run, measurements - sample);
    const double ratio = last / first;
    auto verdict = [goals](bool met) { return !goals ? "" : met ? "met" : "MISSED"; };
    std::printf("%s\n", what);
    std::printf("  appending            %8.1f ms   %s%s\n", ms(run.appended), goals ? "(goal <= 1000 ms) " : "",
                verdict(ms(run.appended) <= 1000));
    std::printf("  first 1,000 lines    %8.2f ms   (median measurement x %d)\n", first, sample);
    std::printf("  last 1,000 lines     %8.2f ms\n", last);
    std::printf("  last / first         %8.2f      %s%s\n", ratio, goals ? "(goal <= 1.2) " : "",
                verdict(ratio <= 1.2));
    std::printf("  then GTK's layout    %8.1f ms   (idle time, whole text)\n", ms(run.total - run.appended));
}

class BenchApp : public wxApp {
public:
    bool OnInit() override { return true; }

    int OnRun() override
    {
        tonvale::TextOutputWindow::instance().Show();
        wxEventLoop loop;
        wxEventLoopActivator active(&loop);
        std::printf("bench_text_window: %d measurements of %d lines each\n", measurements, linesPerMeasurement);
        report("appended, drawn at the end:", writeMeasurements(loop, false), true);
        report("drawn after every measurement (drawing counted in appending):", writeMeasurements(loop, true), false);
        return 0;
    }
};

} // namespace

wxIMPLEMENT_APP_NO_MAIN(BenchApp);

int main(int argc, char** argv)
{
    return wxEntry(argc, argv);
}
