// What writing into a running LibreOffice Calc costs through Sheetwire:
// 1,000 SetValue calls (without and with the column fit the program asks for
// with titles) and 1,000 cells through SetArrayValue in rows of 40, as the
// program writes spectral data. For each: the time per call and per cell,
// and the UNO messages the office sent back per call, counted on the
// connection by the backend: every call into the office is answered by one
// message, so this is the number of round trips (plus the rare call the
// office makes into us). The office is one of the bench's own, started on a
// throw-away profile and quit at the end. Run under an X server (xvfb-run).

#include "sheetwire/CExcelAutomation.h"
#include "sheetwire/CalcBackend.h"

#include <wx/app.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

constexpr int calls = 1000;
constexpr int rowLength = 40;

struct Figures {
    double totalMs;
    std::uint64_t messages;
};

Figures measure(const sheetwire::CalcBackend& backend, const std::function<bool()>& work)
{
    const auto messages = backend.messagesReceived();
    const auto start = Clock::now();
    if (!work()) {
        std::fprintf(stderr, "bench_calc: a write failed\n");
        std::exit(1);
    }
    return {std::chrono::duration<double, std::milli>(Clock::now() - start).count(),
            backend.messagesReceived() - messages};
}

void print(const char* what, const Figures& figures, int perCall, int cells)
{
    std::printf("%-34s %8.0f ms  %7.3f ms/call  %7.3f ms/cell  %6.1f round trips/call  %5.3f ms/round trip\n",
                what, figures.totalMs, figures.totalMs / perCall, figures.totalMs / cells,
                static_cast<double>(figures.messages) / perCall,
                figures.totalMs / static_cast<double>(std::max<std::uint64_t>(figures.messages, 1)));
}

int run()
{
    const fs::path profile = fs::temp_directory_path() / ("tonvale-bench-calc-" + std::to_string(getpid()));
    const std::string pipe = "tonvale_bench_" + std::to_string(getpid());
    const auto backend = std::make_shared<sheetwire::CalcBackend>(
        sheetwire::CalcOffice{"file://" + profile.string(), pipe});
    sheetwire::setAutomationBackend(backend);

    auto start = Clock::now();
    if (!backend->Launch()) {
        std::fprintf(stderr, "bench_calc: no office could be started\n");
        return 1;
    }
    std::printf("office started on a fresh profile in %.0f ms\n",
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());

    CExcelAutomation excel;
    excel.AddWorkbook();
    const int workbook = excel.GetWorkbookCount();
    const std::string name = excel.GetWorkbookNameAt(workbook);
    if (excel.SelectWorksheet(name, "Sheet1") != 1) {
        std::fprintf(stderr, "bench_calc: cannot select %s/Sheet1\n", name.c_str());
        return 1;
    }
    std::printf("writing into \"%s\", workbook %d of %d\n\n", name.c_str(), workbook, workbook);

    const auto setValues = [&](int column, int fit) {
        return [&excel, workbook, column, fit] {
            for (int i = 1; i <= calls; ++i) {
                if (excel.SetValue(i * 0.25, column, i, workbook, 1, fit) != 1)
                    return false;
            }
            return true;
        };
    };
    print("SetValue (double)", measure(*backend, setValues(1, 0)), calls, calls);
    print("SetValue (double, column fitted)", measure(*backend, setValues(2, 1)), calls, calls);

    std::vector<double> row(rowLength);
    for (int i = 0; i < rowLength; ++i)
        row[static_cast<std::size_t>(i)] = 50.0 + i * 0.125;
    const int rows = calls / rowLength;
    print("SetArrayValue (40 doubles, fitted)", measure(*backend, [&] {
              for (int r = 1; r <= rows; ++r) {
                  if (excel.SetArrayValue(row.data(), rowLength, 3, r, workbook, 1, 0, 1) != 1)
                      return false;
              }
              return true;
          }),
          rows, rows * rowLength);

    // Leave the office as it was found: nothing to save, then quit.
    excel.CloseWorkbook(name, 0);
    excel.QuitExcel();
    start = Clock::now();
    while (backend->IsRunning() && Clock::now() - start < std::chrono::seconds(20))
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const bool quit = !backend->IsRunning();
    sheetwire::setAutomationBackend(nullptr);
    std::error_code ignored;
    if (quit)
        fs::remove_all(profile, ignored);
    else
        std::fprintf(stderr, "bench_calc: the office on %s did not quit\n", profile.c_str());
    return quit ? 0 : 1;
}

class BenchApp : public wxApp {
public:
    // Sheetwire's messages need a GUI; none is expected.
    bool OnInit() override { return true; }
    int OnRun() override { return run(); }
};

} // namespace

wxIMPLEMENT_APP_NO_MAIN(BenchApp);

int main(int argc, char** argv)
{
    return wxEntry(argc, argv);
}
