// What one measurement costs on its way into a running LibreOffice Calc:
// MeasurementRecord::writeToSpreadsheet with a spectral SCI+SCE measurement
// (39 values a line, both lines written, name and date-time switched on:
// rows of 41 cells). Figures, each the median time of several runs with the
// mean of the UNO round trips it took (the replies the backend counts on its connection):
// - the floor: over a connection of the bench's own, straight through UNO,
//   a row's 41 cells as one array write, its fill and one optimal-width
//   pass over its columns; for a data row and for the title row;
// - over the same connection, the row as the program's operations must
//   deliver it, each one's writes, selection and fill in the office before
//   the next begins, and nothing else (no checks, no fit): what no backend
//   can go below while every operation leaves its own end state;
// - a first measurement (title row + 2 rows), following ones (2 rows each,
//   an odd and an even one a run) per row and the title row alone, each
//   with its ratio to its floor (goal: at most 2);
// - a following measurement after 3,000 filled rows, per row, and its ratio
//   to one near the top (goal: at most 1.2);
// - the parts: the destination check, single cell operations.
// The office is the bench's own, started on a throw-away profile and quit at
// the end. Run under an X server.

#include "MeasurementRecord.h"
#include "SpreadsheetOutput.h"

#include "sheetwire/CExcelAutomation.h"
#include "sheetwire/CalcBackend.h"
#include "sheetwire/SelectWorksheetDlg.h"

#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <rtl/bootstrap.hxx>

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
namespace css = com::sun::star;
using css::uno::Any;
using css::uno::Reference;
using css::uno::UNO_QUERY_THROW;

namespace {

constexpr int repeats = 40;
constexpr int columns = 41;
constexpr int filledRows = 3000;
constexpr double goalRatio = 2.0;
constexpr double goalFlatRatio = 1.2;

struct Figures {
    double ms;
    double messages;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The median time (a machine busy with other work slows single runs) and
// the mean round trips of work over count runs; ends the bench when a run
// fails.
Figures measure(const sheetwire::CalcBackend& backend, int count,
                const std::function<bool(int)>& work)
{
    const auto messages = backend.messagesReceived();
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        if (!work(i)) {
            std::fprintf(stderr, "bench_measure_to_calc: a write failed\n");
            std::exit(1);
        }
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return {median(times), static_cast<double>(backend.messagesReceived() - messages) / count};
}

void print(const char* what, const Figures& figures)
{
    std::printf("%-42s %8.1f ms  %7.1f round trips\n", what, figures.ms, figures.messages);
}

// With its ratio to what it is measured against, and the goal.
void print(const char* what, const Figures& figures, double against, double goal)
{
    const double ratio = figures.ms / against;
    std::printf("%-42s %8.1f ms  %7.1f round trips  %5.2f x  (goal %.1f%s)\n", what, figures.ms,
                figures.messages, ratio, goal, ratio <= goal ? "" : ", over");
}

rtl::OUString ou(const std::string& text)
{
    return OStringToOUString(rtl::OString(text.c_str()), RTL_TEXTENCODING_UTF8);
}

// The bench's own UNO connection to the office: what the office can take
// when the calls are made straight through UNO.
class Direct {
public:
    explicit Direct(const std::string& pipe)
    {
        rtl::Bootstrap::set("URE_BOOTSTRAP",
                            "vnd.sun.star.pathname:" TONVALE_OFFICE_PROGRAM_DIR "/fundamentalrc");
        const auto local = cppu::defaultBootstrap_InitialComponentContext();
        const auto bridgeObject = css::bridge::BridgeFactory::create(local)->createBridge(
            "", "urp", css::connection::Connector::create(local)->connect(ou("pipe,name=" + pipe)),
            nullptr);
        bridge.set(bridgeObject, UNO_QUERY_THROW);
        const Reference<css::uno::XComponentContext> office(
            bridgeObject->getInstance("StarOffice.ComponentContext"), UNO_QUERY_THROW);
        desktop = css::frame::Desktop::create(office);
    }

    ~Direct()
    {
        desktop.clear();
        try {
            bridge->dispose();
        } catch (const css::uno::Exception&) {
            // The office has quit already.
        }
    }

    // The first sheet of the document of that title.
    Reference<css::sheet::XSpreadsheet> sheet(const std::string& title)
    {
        const Reference<css::sheet::XSpreadsheetDocument> spreadsheets(document(title),
                                                                       UNO_QUERY_THROW);
        return Reference<css::sheet::XSpreadsheet>(
            Reference<css::container::XIndexAccess>(spreadsheets->getSheets(), UNO_QUERY_THROW)
                ->getByIndex(0),
            UNO_QUERY_THROW);
    }

    // What selects in the window of the document of that title.
    Reference<css::view::XSelectionSupplier> view(const std::string& title)
    {
        return Reference<css::view::XSelectionSupplier>(document(title)->getCurrentController(),
                                                        UNO_QUERY_THROW);
    }

    // Writes rows (0-based from row first) as one array write.
    static void write(const Reference<css::sheet::XSpreadsheet>& sheet, sal_Int32 first,
                      const css::uno::Sequence<css::uno::Sequence<Any>>& rows)
    {
        Reference<css::sheet::XCellRangeData>(
            sheet->getCellRangeByPosition(0, first, rows[0].getLength() - 1,
                                          first + rows.getLength() - 1),
            UNO_QUERY_THROW)
            ->setDataArray(rows);
    }

    // A row as cheaply as the office takes it: its cells as one array write,
    // its fill, one optimal-width pass over its columns.
    static void floorRow(const Reference<css::sheet::XSpreadsheet>& sheet, sal_Int32 row,
                         const css::uno::Sequence<Any>& cells, sal_Int32 fill)
    {
        const auto range = sheet->getCellRangeByPosition(0, row, cells.getLength() - 1, row);
        const css::uno::Sequence<css::uno::Sequence<Any>> rows(&cells, 1);
        Reference<css::sheet::XCellRangeData>(range, UNO_QUERY_THROW)->setDataArray(rows);
        fillWith(range, fill);
        Reference<css::beans::XPropertySet>(
            Reference<css::table::XColumnRowRange>(range, UNO_QUERY_THROW)->getColumns(),
            UNO_QUERY_THROW)
            ->setPropertyValue("OptimalWidth", Any(true));
    }

    // A row as the program's operations leave it when each one delivers
    // its own end state before the next begins: for each item of widths
    // (a cell, or a run of values), its cells written, its last cell
    // selected and, on a filled row, its own fill. Nothing else: no checks,
    // no object asked for twice, and not even the fit the floor makes.
    static void oneOperationAtATime(const Reference<css::sheet::XSpreadsheet>& sheet,
                                    const Reference<css::view::XSelectionSupplier>& view,
                                    sal_Int32 row, const css::uno::Sequence<Any>& cells,
                                    const std::vector<sal_Int32>& widths, bool filled,
                                    sal_Int32 fill)
    {
        sal_Int32 column = 0;
        for (const sal_Int32 width : widths) {
            Reference<css::uno::XInterface> written;
            if (width == 1) {
                const auto cell = sheet->getCellByPosition(column, row);
                if (cells[column].has<rtl::OUString>())
                    Reference<css::beans::XPropertySet>(cell, UNO_QUERY_THROW)
                        ->setPropertyValue("FormulaLocal", cells[column]);
                else
                    cell->setValue(cells[column].get<double>());
                view->select(Any(cell));
                written = cell;
            } else {
                const auto range = sheet->getCellRangeByPosition(column, row, column + width - 1, row);
                const css::uno::Sequence<Any> run(cells.getConstArray() + column, width);
                Reference<css::sheet::XCellRangeData>(range, UNO_QUERY_THROW)
                    ->setDataArray(css::uno::Sequence<css::uno::Sequence<Any>>(&run, 1));
                view->select(Any(sheet->getCellByPosition(column + width - 1, row)));
                written = range;
            }
            if (filled)
                fillWith(written, fill);
            column += width;
        }
    }

private:
    // A solid fill, as the program sets it: colour and pattern in one call.
    static void fillWith(const Reference<css::uno::XInterface>& range, sal_Int32 fill)
    {
        const rtl::OUString names[] = {"CellBackColor", "IsCellBackgroundTransparent"};
        const Any values[] = {Any(fill), Any(false)};
        Reference<css::beans::XMultiPropertySet>(range, UNO_QUERY_THROW)
            ->setPropertyValues(css::uno::Sequence<rtl::OUString>(names, 2),
                                css::uno::Sequence<Any>(values, 2));
    }

    Reference<css::frame::XModel> document(const std::string& title)
    {
        const auto documents = desktop->getComponents()->createEnumeration();
        while (documents->hasMoreElements()) {
            const Reference<css::frame::XTitle> titled(documents->nextElement(), css::uno::UNO_QUERY);
            if (titled.is() && titled->getTitle() == ou(title))
                return Reference<css::frame::XModel>(titled, UNO_QUERY_THROW);
        }
        std::fprintf(stderr, "bench_measure_to_calc: no document \"%s\"\n", title.c_str());
        std::exit(1);
    }

    Reference<css::lang::XComponent> bridge;
    Reference<css::frame::XDesktop2> desktop;
};

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

double valueAt(int line, int k, int variant)
{
    return 40.0 + k * 1.25 + line * 0.5 + variant % 7 * 0.01;
}

// Two data lines as the instrument sends them in SCI+SCE mode.
std::vector<std::string> spectralLines()
{
    std::vector<std::string> lines;
    for (int line = 0; line < 2; ++line) {
        std::string text = "OK00";
        for (int k = 0; k < MeasurementRecord::spectralValues; ++k) {
            char value[16];
            std::snprintf(value, sizeof value, ",%.2f", valueAt(line, k, 0));
            text += value;
        }
        lines.push_back(text);
    }
    return lines;
}

// The cells of a data row and of the title row, as the program writes them.
css::uno::Sequence<Any> dataCells(int number)
{
    css::uno::Sequence<Any> cells(columns);
    cells.getArray()[0] <<= ou("Sample_No." + std::to_string(number));
    cells.getArray()[1] <<= ou("01/02/25 10:11:12");
    for (int k = 0; k < MeasurementRecord::spectralValues; ++k)
        cells.getArray()[2 + k] <<= valueAt(number % 2, k, number);
    return cells;
}

css::uno::Sequence<Any> titleCells()
{
    css::uno::Sequence<Any> cells(columns);
    cells.getArray()[0] <<= ou("測定値名");
    cells.getArray()[1] <<= ou("測定日時");
    for (int k = 0; k < MeasurementRecord::spectralValues; ++k)
        cells.getArray()[2 + k] <<= double(360 + 10 * k);
    return cells;
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
    excel.AddWorkbook();
    const std::string floorName = excel.GetWorkbookNameAt(excel.GetWorkbookCount());
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
    std::printf("writing into \"%s\"/Sheet1, the floor into \"%s\"; median time and mean round "
                "trips of %d runs each\n\n",
                name.c_str(), floorName.c_str(), repeats);

    // The floor, near the top of a sheet of its own, each kind of row once
    // before it is timed (the office loads the fonts of the titles then).
    Direct direct(pipe);
    const auto floorSheet = direct.sheet(floorName);
    const auto floorOf = [&](sal_Int32 first, const css::uno::Sequence<Any>& cells, sal_Int32 fill) {
        Direct::floorRow(floorSheet, first, cells, fill);
        std::vector<double> times;
        for (int i = 1; i <= repeats; ++i) {
            const auto start = Clock::now();
            Direct::floorRow(floorSheet, first + i, cells, fill);
            times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        return median(times);
    };
    const double rowFloor = floorOf(0, dataCells(1), 0xFFFF99);
    const double titleFloor = floorOf(repeats + 1, titleCells(), 0xC0C0C0);
    std::printf("floor (array write, fill, one optimal-width pass; 7 calls):\n");
    std::printf("%-42s %8.1f ms\n", "  data row (41 cells)", rowFloor);
    std::printf("%-42s %8.1f ms\n\n", "  title row (41 cells)", titleFloor);

    // Below the floor's rows: the same rows as the program's operations
    // must deliver them, one operation's end state (its selection, its
    // fill) in the office before the next begins; the first of each kind
    // is not timed, as for the floor.
    const auto floorView = direct.view(floorName);
    const auto boundOf = [&](sal_Int32 first, const css::uno::Sequence<Any>& cells,
                             const std::vector<sal_Int32>& widths, bool alternate, sal_Int32 fill) {
        std::vector<double> times;
        for (int i = 0; i <= repeats; ++i) {
            const auto start = Clock::now();
            Direct::oneOperationAtATime(floorSheet, floorView, first + i, cells, widths,
                                        !alternate || i % 2 != 0, fill);
            if (i > 0)
                times.push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        return median(times);
    };
    const double rowBound =
        boundOf(2 * repeats + 2, dataCells(1), {1, 1, columns - 2}, true, 0xFFFF99);
    const double titleBound = boundOf(3 * repeats + 3, titleCells(),
                                      std::vector<sal_Int32>(columns, 1), false, 0xC0C0C0);
    std::printf("when each operation delivers its selection and fill before the next begins\n"
                "(straight through UNO, no fit, nothing else: less than the program can take):\n");
    const auto printBound = [](const char* what, double ms, double floor) {
        std::printf("%-42s %8.1f ms  %5.2f x the floor%s\n", what, ms, ms / floor,
                    ms / floor <= goalRatio ? "" : ", over the goal already");
    };
    printBound("  data row (3 items, every other filled)", rowBound, rowFloor);
    printBound("  title row (41 cells, each filled)", titleBound, titleFloor);
    std::printf("\n");

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
          titleFloor + 2 * rowFloor, goalRatio);
    // Following measurements in pairs, odd (filled) and even (not): four
    // rows a run.
    int number = 2;
    const auto twoMeasurements = [&](int) {
        bool written = true;
        for (int i = 0; i < 2; ++i) {
            prepare(number++);
            written = record.writeToSpreadsheet(true, 0) && written;
        }
        return written;
    };
    const auto following = measure(*backend, repeats, twoMeasurements);
    const Figures perRow{following.ms / 4, following.messages / 4};
    print("following measurement, per row", perRow, rowFloor, goalRatio);
    print("title row alone (41 cells)", measure(*backend, repeats, [&](int) {
              return record.writeSheetTitles(1, output.nextRow(), 0);
          }),
          titleFloor, goalRatio);
    print("data row alone (2 cells + 39 values)", measure(*backend, repeats, [&](int) {
              return record.writeSheetRow(0, 0);
          }),
          rowFloor, goalRatio);

    // A day's work on the sheet: 3,000 rows below, then the next measurement.
    {
        const auto sheet = direct.sheet(name);
        const std::int32_t first = output.nextRow();
        css::uno::Sequence<css::uno::Sequence<Any>> rows(filledRows);
        for (int i = 0; i < filledRows; ++i)
            rows.getArray()[i] = dataCells(number + i);
        Direct::write(sheet, first - 1, rows);
        output.setNextRow(first + filledRows - 1);
        number += filledRows;
    }
    const auto deep = measure(*backend, repeats, twoMeasurements);
    char what[64];
    std::snprintf(what, sizeof what, "per row below %d filled rows", filledRows);
    print(what, Figures{deep.ms / 4, deep.messages / 4}, perRow.ms, goalFlatRatio);

    std::printf("\nparts:\n");
    print("  destination check", measure(*backend, repeats, [&](int) {
              return output.checkDestination();
          }));
    const std::int32_t book = output.workbookIndex();
    const std::int32_t sheet = output.worksheetIndex();
    std::vector<double> values;
    for (int k = 0; k < MeasurementRecord::spectralValues; ++k)
        values.push_back(record.value(0, k));
    print("  SetValue (text, fitted)", measure(*backend, repeats, [&](int) {
              return output.setValue(std::string("Sample"), 1, 5, book, sheet, 1) == 1;
          }));
    print("  SetValue (number, not fitted)", measure(*backend, repeats, [&](int) {
              return output.setValue(360, 3, 5, book, sheet, 0) == 1;
          }));
    print("  SetCellInterior (one cell)", measure(*backend, repeats, [&](int) {
              return output.setCellInterior(1, 5, 1, 5, book, sheet, 36, 1) == 1;
          }));
    print("  SetArrayValue (39 values, fitted)", measure(*backend, repeats, [&](int) {
              return output.setArrayValue(values.data(), MeasurementRecord::spectralValues, 3, 5,
                                          book, sheet, 0, 1) == 1;
          }));
    print("  FindWorkbook", measure(*backend, repeats, [&](int) {
              return excel.FindWorkbook(name) == book;
          }));
    print("  FindWorksheet", measure(*backend, repeats, [&](int) {
              return excel.FindWorksheet(name, "Sheet1") == sheet;
          }));

    excel.CloseWorkbook(name, 0);
    excel.CloseWorkbook(floorName, 0);
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
