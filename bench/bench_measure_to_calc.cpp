// What one measurement costs on its way into a running LibreOffice Calc:
// MeasurementRecord::writeToSpreadsheet with a spectral SCI+SCE measurement
// (39 values a line, both lines written, name and date-time switched on).
// Figures: a first measurement (title row + 2 rows) and following ones
// (2 rows), per measurement and per row, with the UNO round trips each took
// (the replies the backend counts on its connection), then the parts: the
// destination check, the title row and one data row on their own. Goal:
// at most 100 ms per row. The office is the bench's own, started on a
// throw-away profile and quit at the end. Run under an X server.

#include "MeasurementRecord.h"
#include "SpreadsheetOutput.h"

#include "sheetwire/CExcelAutomation.h"
#include "sheetwire/CalcBackend.h"
#include "sheetwire/SelectWorksheetDlg.h"

#include <wx/app.h>
#include <wx/modalhook.h>
#include <wx/treectrl.h>

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
using tonvale::MeasurementRecord;
using tonvale::SpreadsheetOutput;
namespace fs = std::filesystem;

namespace {

constexpr int repeats = 20;
constexpr double goalMsPerRow = 100;

struct Figures {
    double ms;
    double messages;
};

// The mean time and round trips of work over count runs; ends the bench
// when a run fails.
Figures measure(const sheetwire::CalcBackend& backend, int count,
                const std::function<bool(int)>& work)
{
    const auto messages = backend.messagesReceived();
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        if (!work(i)) {
            std::fprintf(stderr, "bench_measure_to_calc: a write failed\n");
            std::exit(1);
        }
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    return {ms / count, static_cast<double>(backend.messagesReceived() - messages) / count};
}

void print(const char* what, const Figures& figures, int rows)
{
    std::printf("%-38s %8.1f ms  %7.1f round trips", what, figures.ms, figures.messages);
    if (rows > 0)
        std::printf("  %7.1f ms/row%s", figures.ms / rows,
                    figures.ms / rows <= goalMsPerRow ? "" : "  (over the goal)");
    std::printf("\n");
}

// Answers the worksheet selection dialog: worksheet of workbook, "選択",
// then "閉じる(1)".
class ChooseWorksheet : public wxModalDialogHook {
public:
    ChooseWorksheet(std::string workbook, std::string worksheet)
        : workbook(std::move(workbook)), worksheet(std::move(worksheet))
    {
    }

protected:
    int Enter(wxDialog* dialog) override
    {
        auto* dlg = dynamic_cast<CSelectWorksheetDlg*>(dialog);
        if (!dlg)
            return wxID_CANCEL;
        dlg->InitDialog();
        auto& tree = *wxStaticCast(dlg->FindWindow(CSelectWorksheetDlg::Tree), wxTreeCtrl);
        wxTreeItemIdValue books;
        for (auto book = tree.GetFirstChild(tree.GetRootItem(), books); book.IsOk();
             book = tree.GetNextChild(tree.GetRootItem(), books)) {
            if (tree.GetItemText(book).utf8_string() != workbook)
                continue;
            wxTreeItemIdValue sheets;
            for (auto item = tree.GetFirstChild(book, sheets); item.IsOk();
                 item = tree.GetNextChild(book, sheets))
                if (tree.GetItemText(item).utf8_string() == worksheet)
                    tree.SelectItem(item);
        }
        press(*dlg, CSelectWorksheetDlg::SelectButton);
        press(*dlg, wxID_OK);
        return dlg->GetReturnCode();
    }
    void Exit(wxDialog*) override {}

private:
    static void press(wxDialog& dlg, int id)
    {
        wxCommandEvent event(wxEVT_BUTTON, id);
        event.SetEventObject(dlg.FindWindow(id));
        dlg.FindWindow(id)->ProcessWindowEvent(event);
    }

    std::string workbook;
    std::string worksheet;
};

// Two data lines as the instrument sends them in SCI+SCE mode.
std::vector<std::string> spectralLines()
{
    std::vector<std::string> lines;
    for (int line = 0; line < 2; ++line) {
        std::string text = "OK00";
        for (int k = 0; k < MeasurementRecord::spectralValues; ++k) {
            char value[16];
            std::snprintf(value, sizeof value, ",%.2f", 40.0 + k * 1.25 + line * 0.5);
            text += value;
        }
        lines.push_back(text);
    }
    return lines;
}

int run()
{
    const fs::path profile =
        fs::temp_directory_path() / ("tonvale-bench-measure-" + std::to_string(getpid()));
    const std::string pipe = "tonvale_bench_measure_" + std::to_string(getpid());
    const auto backend = std::make_shared<sheetwire::CalcBackend>(
        sheetwire::CalcOffice{"file://" + profile.string(), pipe});
    sheetwire::setAutomationBackend(backend);
    if (!backend->Launch()) {
        std::fprintf(stderr, "bench_measure_to_calc: no office could be started\n");
        return 1;
    }

    CExcelAutomation excel;
    excel.AddWorkbook();
    const std::string name = excel.GetWorkbookNameAt(excel.GetWorkbookCount());
    auto& output = SpreadsheetOutput::instance();
    {
        ChooseWorksheet hook(name, "Sheet1");
        hook.Register();
        const bool selected = output.selectDestination();
        hook.Unregister();
        if (!selected) {
            std::fprintf(stderr, "bench_measure_to_calc: cannot select %s/Sheet1\n", name.c_str());
            return 1;
        }
    }
    std::printf("writing into \"%s\"/Sheet1; mean of %d runs each\n\n", name.c_str(), repeats);

    MeasurementRecord record(nullptr, ".", &output);
    const auto lines = spectralLines();
    const bool unchanged = record.setOutputFlags(0, 1, 1, 0, 0, 0);
    record.setSpecularFilter(2);
    const auto prepare = [&](int number) {
        record.setNaming(number, "Sample", 1);
        record.parseLines(0, tonvale::OutputSpreadsheet, 0, 1, lines);
        record.stampDateTime();
        record.setName(record.makeName());
    };

    // Number 1 always starts at row 1 with titles: the same cells each run.
    print("first measurement (titles + 2 rows)", measure(*backend, repeats, [&](int) {
              prepare(1);
              return record.writeToSpreadsheet(unchanged, 0);
          }),
          3);
    print("following measurement (2 rows)", measure(*backend, repeats, [&](int i) {
              prepare(2 + i);
              return record.writeToSpreadsheet(true, 0);
          }),
          2);

    std::printf("\nwhere the time goes:\n");
    print("  destination check", measure(*backend, repeats, [&](int) {
              return output.checkDestination();
          }),
          0);
    print("  title row (41 cells)", measure(*backend, repeats, [&](int) {
              record.writeSheetTitles(1, 1, 0);
              return true;
          }),
          1);
    print("  data row (2 cells + 39 values)", measure(*backend, repeats, [&](int) {
              record.writeSheetRow(0, 0);
              return true;
          }),
          1);

    // Each cell operation first makes sure the office runs and that the
    // chosen workbook and worksheet are still at their positions.
    std::printf("\nper cell operation:\n");
    const std::int32_t book = output.workbookIndex();
    const std::int32_t sheet = output.worksheetIndex();
    std::vector<double> values;
    for (int k = 0; k < MeasurementRecord::spectralValues; ++k)
        values.push_back(record.value(0, k));
    print("  SetValue (text, fitted)", measure(*backend, repeats, [&](int) {
              return output.setValue(std::string("Sample"), 1, 5, book, sheet, 1) == 1;
          }),
          0);
    print("  SetValue (number, fitted)", measure(*backend, repeats, [&](int) {
              return output.setValue(360, 3, 5, book, sheet, 1) == 1;
          }),
          0);
    print("  SetValue (number, not fitted)", measure(*backend, repeats, [&](int) {
              return output.setValue(360, 3, 5, book, sheet, 0) == 1;
          }),
          0);
    print("  SetCellInterior (one cell)", measure(*backend, repeats, [&](int) {
              return output.setCellInterior(1, 5, 1, 5, book, sheet, 36, 1) == 1;
          }),
          0);
    print("  SetArrayValue (39 values, fitted)", measure(*backend, repeats, [&](int) {
              return output.setArrayValue(values.data(), MeasurementRecord::spectralValues, 3, 5,
                                          book, sheet, 0, 1) == 1;
          }),
          0);
    std::printf("\nthe checks before each cell:\n");
    print("  IsExcelRunning", measure(*backend, repeats, [&](int) {
              return excel.IsExcelRunning() == 1;
          }),
          0);
    print("  FindWorkbook", measure(*backend, repeats, [&](int) {
              return excel.FindWorkbook(name) == book;
          }),
          0);
    print("  FindWorksheet", measure(*backend, repeats, [&](int) {
              return excel.FindWorksheet(name, "Sheet1") == sheet;
          }),
          0);

    excel.CloseWorkbook(name, 0);
    excel.QuitExcel();
    const auto start = Clock::now();
    while (backend->IsRunning() && Clock::now() - start < std::chrono::seconds(20))
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const bool quit = !backend->IsRunning();
    SpreadsheetOutput::destroyInstance();
    sheetwire::setAutomationBackend(nullptr);
    std::error_code ignored;
    if (quit)
        fs::remove_all(profile, ignored);
    else
        std::fprintf(stderr, "bench_measure_to_calc: the office on %s did not quit\n",
                     profile.c_str());
    return quit ? 0 : 1;
}

class BenchApp : public wxApp {
public:
    bool OnInit() override { return true; }
    int OnRun() override { return run(); }
};

} // namespace

wxIMPLEMENT_APP_NO_MAIN(BenchApp);

int main(int argc, char** argv)
{
    return wxEntry(argc, argv);
}
