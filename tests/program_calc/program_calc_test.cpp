// The main window against the simulated instrument and a real LibreOffice
// Calc: measurements chosen for a worksheet land there with the layout the
// program gives them (titles, rows, fills, fitted columns), and once the
// office is gone the next measurement stops with message 140 and the
// destination falls back to none.

#include "GuiTest.h"

#include "ChooseWorksheet.h"
#include "MainDialog.h"
#include "MeasurementRecord.h"
#include "OfficeProbe.h"
#include "PortDialog.h"
#include "PropertyFile.h"
#include "SimControl.h"
#include "TestOffice.h"
#include "sheetwire/Automation.h"
#include "sheetwire/CalcBackend.h"


#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/text/XText.hpp>

#include <wx/choice.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

using namespace tonvale;
using css::uno::UNO_QUERY_THROW;
namespace fs = std::filesystem;

namespace {

const std::string message140 =
    "出力先のワークブックとワークシートが指定されていません。\n処理を中止します。";

constexpr sal_Int32 titleFill = 0xC0C0C0;
constexpr sal_Int32 oddRowFill = 0xFFFF99;

// What one cell should hold: a number, a text, or the date and time of a
// measurement as the record stamped it ("MM/DD/YY HH:MM:SS").
struct DateTime {
    std::string text;
};
using Expected = std::variant<double, std::string, DateTime>;

struct ExpectedRow {
    std::vector<Expected> cells;
    // Transparent when empty.
    std::optional<sal_Int32> fill;
};

// The office's serial number of a date and time as the record stamps it:
// days since 1899-12-30 and the fraction of the day.
double serialOf(const std::string& stamp)
{
    int month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0;
    EXPECT_EQ(std::sscanf(stamp.c_str(), "%d/%d/%d %d:%d:%d", &month, &day, &year, &hour,
                          &minute, &second),
              6)
        << stamp;
    std::tm date{};
    date.tm_year = 2000 + year - 1900;
    date.tm_mon = month - 1;
    date.tm_mday = day;
    std::tm epoch{};
    epoch.tm_year = -1;
    epoch.tm_mon = 11;
    epoch.tm_mday = 30;
    const auto days = (timegm(&date) - timegm(&epoch)) / 86400;
    return double(days) + (hour * 3600 + minute * 60 + second) / 86400.0;
}

class ProgramCalcTest : public testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("tonvale-program-calc-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        settingsFile = (dir / "Tonvale.INI").string();

        office.start(true);
        ASSERT_TRUE(office.running());
        probe = std::make_unique<OfficeProbe>(office.pipeName);
        ASSERT_TRUE(probe->open("private:factory/scalc").is());
        const auto titles = probe->titles();
        ASSERT_EQ(titles.size(), 1u);
        workbook = titles.front();
        backend = std::make_shared<sheetwire::CalcBackend>(office.office());
        sheetwire::setAutomationBackend(backend);

        sim.command("FLAGS 22222222");
        sim.command("SAMPLE white");
        // 8 mm, SCI and SCE.
        sim.command("CONDITIONS 0 1");
    }

    void TearDown() override
    {
        if (main)
            main->Destroy();
        pumpFor(std::chrono::milliseconds(20));
        sheetwire::setAutomationBackend(nullptr);
        backend.reset();
        probe.reset();
        office.kill();
        fs::remove_all(dir);
    }

    void startConnected()
    {
        main = new MainDialog(settingsFile);
        bool started = false;
        wxTEST_DIALOG(started = main->start(), choosePort(0));
        ASSERT_TRUE(started);
    }

    // One measurement through the main window; returns the rows the record
    // holds for it, each item as the worksheet should show it.
    std::vector<ExpectedRow> measure(int dataType, bool areaAndComponent)
    {
        main->measure();
        const MeasurementRecord& record = MeasurementRecord::instance();
        const int number = main->settings().getInt("Mes_Num") - 1;
        std::vector<ExpectedRow> rows;
        for (int line = 0; line < record.lineCount(); ++line) {
            ExpectedRow row{{record.outputName(), DateTime{record.dateTime()}}, {}};
            if (areaAndComponent) {
                row.cells.emplace_back(record.areaLabel());
                row.cells.emplace_back(record.componentLabel(line));
            }
            for (int k = 0; k < (dataType == 0 ? MeasurementRecord::spectralValues : 3); ++k)
                row.cells.emplace_back(record.value(line, k));
            if (number % 2 != 0)
                row.fill = oddRowFill;
            rows.push_back(row);
        }
        return rows;
    }

    static ExpectedRow titles(int dataType, bool areaAndComponent)
    {
        ExpectedRow row{{std::string("測定値名"), std::string("測定日時")}, titleFill};
        if (areaAndComponent) {
            row.cells.emplace_back(std::string("測定径"));
            row.cells.emplace_back(std::string("正反射光処理"));
        }
        if (dataType == 0) {
            for (int nm = 360; nm <= 740; nm += 10)
                row.cells.emplace_back(double(nm));
        } else {
            for (const char* title : {"L*", "a*", "b*"})
                row.cells.emplace_back(std::string(title));
        }
        return row;
    }

    void expectCell(const Reference<css::table::XCell>& cell, const Expected& expected,
                    const std::string& where)
    {
        SCOPED_TRACE(where);
        if (const auto* number = std::get_if<double>(&expected)) {
            EXPECT_EQ(cell->getType(), css::table::CellContentType_VALUE);
            EXPECT_EQ(cell->getValue(), *number);
        } else if (const auto* text = std::get_if<std::string>(&expected)) {
            EXPECT_EQ(cell->getType(), css::table::CellContentType_TEXT);
            EXPECT_EQ(utf8(Reference<css::text::XText>(cell, UNO_QUERY_THROW)->getString()), *text);
        } else {
            // Taken as typed, the stamp becomes the office's date and time.
            const auto& stamp = std::get<DateTime>(expected).text;
            EXPECT_EQ(cell->getType(), css::table::CellContentType_VALUE) << stamp;
            EXPECT_NEAR(cell->getValue(), serialOf(stamp), 0.5 / 86400) << stamp;
        }
    }

    sxsim::SimProcess sim;
    TestOffice office;
    std::unique_ptr<OfficeProbe> probe;
    std::shared_ptr<sheetwire::CalcBackend> backend;
    std::string workbook;
    fs::path dir;
    std::string settingsFile;
    MainDialog* main = nullptr;
};

TEST_F(ProgramCalcTest, MeasurementsLandInTheCalcWorksheetUntilTheOfficeIsGone)
{
    startConnected();
    PropertyFile& s = main->settings();
    s.setInt("Chk_AutoNaming", 1);
    s.setInt("Gloss", 2);

    main->destinationList()->SetSelection(1);
    wxTEST_DIALOG(main->changeDestination(), chooseWorksheet(workbook, "Sheet1"));
    ASSERT_EQ(main->destinationList()->GetSelection(), 1);

    // The office reports every column as fitted unless the user sized it,
    // so the columns are made too narrow for any content first: a fitted
    // column grows, one left alone keeps that width.
    const auto sheet = probe->sheet(workbook, "Sheet1");
    ASSERT_TRUE(sheet.is());
    const auto columns = Reference<css::table::XColumnRowRange>(sheet, UNO_QUERY_THROW)->getColumns();
    const auto column = [&](sal_Int32 index) {
        return Reference<css::beans::XPropertySet>(columns->getByIndex(index), UNO_QUERY_THROW);
    };
    for (sal_Int32 c = 0; c < 64; ++c)
        column(c)->setPropertyValue("Width", css::uno::Any(sal_Int32{100}));
    // 1 mm in the office's 1/100 mm, rounded to its own grid.
    const sal_Int32 narrow = property<sal_Int32>(column(0), "Width");
    ASSERT_NEAR(narrow, 100, 5);

    // Two spectral measurements under one title row, then L*a*b* with the
    // area and component switched on: a title row of its own below them.
    std::vector<ExpectedRow> expected{titles(0, false)};
    s.setInt("Data_Type", 0);
    for (int i = 0; i < 2; ++i) {
        const auto rows = measure(0, false);
        ASSERT_EQ(rows.size(), 2u) << "SCI and SCE";
        expected.insert(expected.end(), rows.begin(), rows.end());
    }
    s.setInt("Data_Type", 1);
    s.setInt("Chk_Mask", 1);
    s.setInt("Chk_Gloss", 1);
    expected.push_back(titles(1, true));
    const auto lab = measure(1, true);
    ASSERT_EQ(lab.size(), 2u);
    expected.insert(expected.end(), lab.begin(), lab.end());
    EXPECT_EQ(s.getInt("Mes_Num"), 4);

    std::size_t widest = 0;
    for (std::size_t r = 0; r < expected.size(); ++r) {
        const auto& row = expected[r];
        widest = std::max(widest, row.cells.size());
        const sal_Int32 width = sal_Int32(row.cells.size());
        for (sal_Int32 c = 0; c <= width; ++c) {
            const std::string where = "row " + std::to_string(r + 1) + ", column " +
                                      std::to_string(c + 1);
            const auto cell = sheet->getCellByPosition(c, sal_Int32(r));
            if (c == width) {
                EXPECT_EQ(cell->getType(), css::table::CellContentType_EMPTY) << where;
                continue;
            }
            expectCell(cell, row.cells[std::size_t(c)], where);
            const Reference<css::beans::XPropertySet> look(cell, UNO_QUERY_THROW);
            EXPECT_EQ(property<bool>(look, "IsCellBackgroundTransparent"), !row.fill) << where;
            if (row.fill) {
                EXPECT_EQ(property<sal_Int32>(look, "CellBackColor"), *row.fill) << where;
            }
        }
    }
    EXPECT_EQ(sheet->getCellByPosition(0, sal_Int32(expected.size()))->getType(),
              css::table::CellContentType_EMPTY);

    // Every column written was fitted to its contents, and no other.
    for (sal_Int32 c = 0; c < sal_Int32(widest); ++c) {
        EXPECT_TRUE(property<bool>(column(c), "OptimalWidth")) << "column " << c + 1;
        EXPECT_GT(property<sal_Int32>(column(c), "Width"), narrow) << "column " << c + 1;
    }
    EXPECT_EQ(property<sal_Int32>(column(sal_Int32(widest)), "Width"), narrow);

    // The office closed: message 140, the destination falls back to none
    // and the number stays.
    probe.reset();
    office.kill();
    wxTEST_DIALOG(main->measure(), ExpectMessage(message140));
    EXPECT_EQ(main->destinationList()->GetSelection(), 0);
    EXPECT_EQ(s.getInt("Mes_Num"), 4);
}

} // namespace
