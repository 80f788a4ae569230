// The spreadsheet destination as the operator changes it and as it goes
// away: a new choice in dialog 12000 is the one checked and written to, a
// new workbook that took an old one's name and position is another
// destination, and a destination that vanishes while a measurement is
// written is reported once, with nothing more of that measurement written.

#include "SpreadsheetTest.h"

#include "MeasurementRecord.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using sheetwire::CellValue;
using sheetwire::MemoryWorksheet;
using tonvale::MeasurementRecord;
using tonvale::OutputSpreadsheet;

namespace {

// Two L*a*b* lines as the instrument sends them in SCI+SCE mode.
std::vector<std::string> labLines()
{
    return {"OK00,52.25,-1.50,3.13", "OK00,51.75,-1.25,2.88"};
}

std::size_t valuesIn(const MemoryWorksheet& sheet)
{
    return std::size_t(std::count_if(sheet.cells.begin(), sheet.cells.end(),
                                     [](const auto& cell) { return cell.second.value.has_value(); }));
}

const CellValue* valueAt(const MemoryWorksheet& sheet, const std::string& reference)
{
    const auto* cell = sheet.cell(reference);
    return cell && cell->value ? &*cell->value : nullptr;
}

std::size_t valuesIn(const std::vector<std::shared_ptr<sheetwire::MemoryWorkbook>>& books)
{
    std::size_t values = 0;
    for (const auto& book : books)
        for (const auto& worksheet : book->worksheets)
            values += valuesIn(*worksheet);
    return values;
}

// An L*a*b* measurement of two lines with number, name and comment switched
// on, as the workflow hands it over; returns writeToSpreadsheet's result.
bool measure(MeasurementRecord& record, int number)
{
    record.setSpecularFilter(0);
    record.setNaming(number, "Lot", 0);
    const bool unchanged = record.setOutputFlags(1, 1, 0, 0, 0, 1);
    EXPECT_TRUE(record.parseLines(1, OutputSpreadsheet, 0, 1, labLines()));
    record.setNameAndComment("試料", "メモ");
    return record.writeToSpreadsheet(unchanged, 1);
}

class DestinationTest : public SpreadsheetTest {
protected:
    bool measure(int number) { return ::measure(record, number); }

    MeasurementRecord record{nullptr, ".", &output};
};

TEST_F(DestinationTest, ANewChoiceInTheDialogIsTheDestinationThatIsCheckedAndWrittenTo)
{
    ASSERT_TRUE(select("結果.xls", "測定"));
    ASSERT_TRUE(measure(1));

    // The chosen workbook closed, another worksheet chosen instead.
    spreadsheet->closeWorkbook("結果.xls");
    ASSERT_TRUE(select("Book1", "Sheet2"));
    EXPECT_TRUE(output.checkDestination()) << "the check before measuring probes the new choice";

    ASSERT_TRUE(measure(2));
    const auto& written = sheet("Book1", "Sheet2");
    ASSERT_NE(valueAt(written, "A1"), nullptr);
    EXPECT_EQ(*valueAt(written, "A1"), CellValue(std::string("測定No.")));
    EXPECT_EQ(*valueAt(written, "A2"), CellValue(std::int32_t{2}));
}

TEST_F(DestinationTest, ANewWorkbookThatTookTheOldOnesNameAndPositionRestartsAtRowOneWithTitles)
{
    // A workbook never saved, then closed; a new one gets the same name and
    // position, as a new document does in the office.
    spreadsheet->addWorkbook("無題1", {"Sheet1"}, false);
    ASSERT_TRUE(select("無題1", "Sheet1"));
    ASSERT_TRUE(measure(1));
    ASSERT_TRUE(measure(2));
    ASSERT_EQ(output.nextRow(), 6);

    spreadsheet->closeWorkbook("無題1");
    spreadsheet->addWorkbook("無題1", {"Sheet1"}, false);
    ASSERT_EQ(spreadsheet->workbookNames(), (std::vector<std::string>{"Book1", "結果.xls", "無題1"}));
    ASSERT_TRUE(select("無題1", "Sheet1"));
    ASSERT_TRUE(output.checkDestination());

    ASSERT_TRUE(measure(3));
    const auto& written = sheet("無題1", "Sheet1");
    ASSERT_NE(valueAt(written, "A1"), nullptr) << "titles at row 1";
    EXPECT_EQ(*valueAt(written, "A1"), CellValue(std::string("測定No.")));
    EXPECT_EQ(*valueAt(written, "A2"), CellValue(std::int32_t{3}));
    EXPECT_EQ(valuesIn(written), 3u * 6u) << "a title row and two data rows, nothing below";
    EXPECT_EQ(output.nextRow(), 4);
}

TEST_F(DestinationTest, TheSameFileOpenedAgainIsStillTheDestination)
{
    ASSERT_TRUE(select("結果.xls", "測定"));
    ASSERT_TRUE(measure(1));
    ASSERT_EQ(output.nextRow(), 4);

    spreadsheet->closeWorkbook("結果.xls");
    spreadsheet->addWorkbook("結果.xls", {"測定", "Sheet2"});
    EXPECT_TRUE(output.checkDestination());
    ASSERT_TRUE(measure(2));
    EXPECT_EQ(record.lastOutput().result, tonvale::OutputResult::Written);
    EXPECT_EQ(record.lastOutput().message, 0);
    const auto& written = sheet("結果.xls", "測定");
    EXPECT_EQ(valueAt(written, "A1"), nullptr) << "no title row";
    ASSERT_NE(valueAt(written, "A4"), nullptr);
    EXPECT_EQ(*valueAt(written, "A4"), CellValue(std::int32_t{2}));
}

TEST_F(DestinationTest, ADestinationGoneWhileAMeasurementIsWrittenIsReportedOnceAndWritingStops)
{
    // The measurement writes a title row of six cells, then two rows of six.
    // Each cell operation ends with a flush; before the titles come the
    // check's two operations and the look for the worksheet's first free row.
    const struct {
        const char* what;
        // Where the destination goes: before the occurrence-th call of the
        // measurement that begins with call.
        const char* call;
        int occurrence;
        std::function<void(sheetwire::MemorySpreadsheet&)> meanwhile;
        // What Sheetwire's own name check says of it.
        std::string sheetwireSays;
        // Values the measurement wrote before it went.
        std::size_t written;
    } cases[] = {
        {"worksheet renamed in the title row", "Range.Value=", 2,
         [](auto& app) { app.worksheet("結果.xls", "測定")->name = "改名"; }, worksheetNotOpen, 2},
        {"worksheet renamed in a data row", "Range.Value=", 7,
         [](auto& app) { app.worksheet("結果.xls", "測定")->name = "改名"; }, worksheetNotOpen, 7},
        {"workbook closed between two cells", "Application.Flush", 5,
         [](auto& app) { app.closeWorkbook("結果.xls"); }, workbookNotOpen, 1},
        {"application ended between two cells", "Application.Flush", 5,
         [](auto& app) { app.running = false; }, notRunning, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        spreadsheet = sheetwire::MemorySpreadsheet::create();
        sheetwire::setAutomationBackend(spreadsheet);
        spreadsheet->addWorkbook("Book1", {"Sheet1", "Sheet2"});
        spreadsheet->addWorkbook("結果.xls", {"測定", "Sheet2"});
        tonvale::SpreadsheetOutput fresh;
        MeasurementRecord freshRecord(nullptr, ".", &fresh);
        ASSERT_TRUE(select(fresh, "結果.xls", "測定"));
        // Also once closed.
        const auto books = spreadsheet->workbooks;
        atCall(c.call, [&] { c.meanwhile(*spreadsheet); }, c.occurrence);

        GTestModalHook hook(__FILE__, __LINE__);
        const ExpectMessage sheetwire(c.sheetwireSays);
        const ExpectMessage once(message140);
        hook.AddExpectation(sheetwire);
        hook.AddExpectation(once);
        EXPECT_FALSE(::measure(freshRecord, 1)) << "the measurement is not counted";
        hook.CheckUnmetExpectations();
        // What the journal is told of it: stopped part-way, by message 140.
        EXPECT_EQ(freshRecord.lastOutput().result, tonvale::OutputResult::Failed);
        EXPECT_EQ(freshRecord.lastOutput().message, 140);
        spreadsheet->onCall = nullptr;
        EXPECT_EQ(valuesIn(books), c.written) << "nothing after the destination went";

        // The next measurement meets message 140 before writing anything.
        wxTEST_DIALOG(EXPECT_FALSE(::measure(freshRecord, 2)), ExpectMessage(message140));
        EXPECT_EQ(valuesIn(books), c.written);
        EXPECT_EQ(freshRecord.lastOutput().result, tonvale::OutputResult::Refused);
        EXPECT_EQ(freshRecord.lastOutput().message, 140);
    }
}

} // namespace
