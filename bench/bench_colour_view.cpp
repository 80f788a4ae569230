// What the colour view costs a measurement: one update after a measurement
// (the colour computed, the swatch, curves and strip drawn) in the shown
// window, for a spectral measurement of both components; then the same
// with a standard to judge against (the verdict, the differences and the
// diagram with the tolerance's outline and the session's points). Goal: at
// most 5 ms. Run under an X server (xvfb-run).

#include "ColourTables.h"
#include "ColourViewWindow.h"

#include <wx/app.h>
#include <wx/evtloop.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

constexpr int updates = 300;
constexpr double goalMs = 5;

tonvale::ColourSample measurement(int number)
{
    tonvale::ColourSample s;
    s.number = number;
    s.name = "Sample_No." + std::to_string(number);
    for (const char* component : {"SCI", "SCE"}) {
        tonvale::ColourSample::Line line{component, {}};
        for (int k = 0; k < 39; ++k)
            line.values.push_back(20 + (number % 7) * 5 + k * 1.5);
        s.lines.push_back(line);
    }
    return s;
}

class BenchApp : public wxApp {
public:
    bool OnInit() override { return true; }

    int OnRun() override
    {
        auto* view = new tonvale::ColourViewWindow(tonvale::colourTablesDirectory(), 0, 0);
        view->Show();
        wxEventLoop loop;
        wxEventLoopActivator active(&loop);
        while (loop.Pending())
            loop.Dispatch();
        auto timeUpdates = [&](const char* what, int first) {
            std::vector<double> ms;
            for (int n = first; n < first + updates; ++n) {
                const auto start = Clock::now();
                view->add(measurement(n));
                view->Update(); // the drawing, now rather than in idle time
                ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
                while (loop.Pending())
                    loop.Dispatch();
            }
            std::sort(ms.begin(), ms.end());
            const double median = ms[ms.size() / 2];
            std::printf("bench_colour_view: one update after a measurement%s (compute and draw): %.2f ms median, "
                        "%.2f ms at the 95th percentile (goal <= %.0f ms) %s\n",
                        what, median, ms[ms.size() * 95 / 100], goalMs, median <= goalMs ? "met" : "MISSED");
        };
        timeUpdates("", 1);
        standards::Standard standard;
        standard.name = "bench";
        standard.reflectance.emplace();
        const tonvale::ColourSample::Line& line = measurement(3).lines.front();
        std::copy(line.values.begin(), line.values.end(), standard.reflectance->begin());
        standard.tolerance.dL = 1.0;
        view->setStandard(standard);
        timeUpdates(", judged", updates + 1);
        view->Destroy();
        return 0;
    }
};

} // namespace

wxIMPLEMENT_APP_NO_MAIN(BenchApp);

int main(int argc, char** argv)
{
    return wxEntry(argc, argv);
}
