// The record's rows through the batched backend and through the unbatched
// one (every call made in the office as it is made) leave the same sheet:
// the same sequence of measurements (titles, rows of both data types with
// every switch, odd and even fills, the comment) into two workbooks of one
// office, read back over the test's own connection cell by cell: values and
// their types, shown texts, fills, column widths and their fitted state,
// the selection and the active sheet.

#include "GuiTest.h"

#include "ChooseWorksheet.h"
#include "MeasurementRecord.h"
#include "OfficeProbe.h"
#include "SpreadsheetOutput.h"
#include "TestOffice.h"
#include "sheetwire/Automation.h"
#include "sheetwire/CalcBackend.h"

#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/text/XText.hpp>

#include <cstdio>
#include <string>
#include <vector>

using namespace tonvale;
using css::uno::UNO_QUERY_THROW;

namespace {

constexpr sal_Int32 columnsLooked = 48;

struct Step {
    int number;
    int dataType;
    int mode;
    int gloss;
    std::array<int, 6> switches;
};

// One run of measurements, each step from the state the one before left.
const Step steps[] = {
    {1, 0, 1, 0, {1, 1, 1, 1, 1, 1}}, // titles, SCI and SCE, odd: filled
    {2, 0, 1, 0, {1, 1, 1, 1, 1, 1}}, // even: no fill
    {3, 1, 3, 0, {1, 1, 1, 1, 1, 0}}, // L*a*b*, no comment: new titles below
    {4, 1, 3, 1, {0, 1, 0, 0, 1, 1}}, // only the SCE lines, fewer columns
    {5, 0, 0, 2, {0, 0, 0, 0, 0, 0}}, // just the values
    {12, 0, 1, 0, {1, 1, 1, 1, 1, 1}}, // wider numbers
};

std::vector<std::string> dataLines(int dataType, int lines, int number)
{
    std::vector<std::string> texts;
    for (int i = 0; i < lines; ++i) {
        std::string text = "OK00";
        for (int k = 0; k < (dataType == 0 ? 39 : 3); ++k) {
            char value[16];
            // The instrument sends at most three digits before the point.
            const double v = number * 4.25 + k + i;
            std::snprintf(value, sizeof value, ",%.2f", k % 2 != 0 && v < 100 ? -v : v);
            text += value;
        }
        texts.push_back(text);
    }
    return texts;
}

// Everything an observer sees of the first rows and columns of a sheet.
std::vector<std::string> look(OfficeProbe& probe, const std::string& title, sal_Int32 rows)
{
    const auto sheet = probe.sheet(title, "Sheet1");
    std::vector<std::string> seen;
    for (sal_Int32 row = 0; row < rows; ++row) {
        for (sal_Int32 column = 0; column < columnsLooked; ++column) {
            const auto cell = sheet->getCellByPosition(column, row);
            const Reference<css::beans::XPropertySet> look(cell, UNO_QUERY_THROW);
            char where[32];
            std::snprintf(where, sizeof where, "(%d,%d) ", int(column + 1), int(row + 1));
            seen.push_back(where + std::to_string(int(cell->getType())) + " " +
                           std::to_string(cell->getValue()) + " \"" +
                           utf8(Reference<css::text::XText>(cell, UNO_QUERY_THROW)->getString()) +
                           "\" fill " + std::to_string(property<sal_Int32>(look, "CellBackColor")) +
                           (property<bool>(look, "IsCellBackgroundTransparent") ? " clear" : " solid"));
        }
    }
    const auto columns = Reference<css::table::XColumnRowRange>(sheet, UNO_QUERY_THROW)->getColumns();
    for (sal_Int32 column = 0; column < columnsLooked; ++column) {
        const Reference<css::beans::XPropertySet> width(columns->getByIndex(column), UNO_QUERY_THROW);
        seen.push_back("column " + std::to_string(column + 1) + " width " +
                       std::to_string(property<sal_Int32>(width, "Width")) +
                       (property<bool>(width, "OptimalWidth") ? " optimal" : ""));
    }
    seen.push_back("selection " + probe.selection(title));
    seen.push_back("active sheet " + probe.activeSheet(title));
    return seen;
}

class RecordOverCalc : public testing::Test {
protected:
    void SetUp() override
    {
        office.start(true);
        ASSERT_TRUE(office.running());
        probe = std::make_unique<OfficeProbe>(office.pipeName);
        for (int i = 0; i < 2; ++i)
            ASSERT_TRUE(probe->open("private:factory/scalc").is());
        titles = probe->titles();
        ASSERT_EQ(titles.size(), 2u);
    }

    void TearDown() override
    {
        sheetwire::setAutomationBackend(nullptr);
        probe.reset();
        office.kill();
    }

    // The run of measurements into workbook through a backend of its own;
    // returns the next row after it.
    std::int32_t write(const std::string& workbook, bool batched)
    {
        auto calcOffice = office.office();
        calcOffice.batched = batched;
        sheetwire::setAutomationBackend(std::make_shared<sheetwire::CalcBackend>(calcOffice));
        SpreadsheetOutput output;
        bool selected = false;
        wxTEST_DIALOG(selected = output.selectDestination(), chooseWorksheet(workbook, "Sheet1"));
        EXPECT_TRUE(selected);
        MeasurementRecord record(nullptr, ".", &output);
        for (const auto& step : steps) {
            SCOPED_TRACE("measurement " + std::to_string(step.number));
            record.setSpecularFilter(step.gloss);
            record.setNaming(step.number, "Lot", 1);
            const auto& on = step.switches;
            const bool unchanged = record.setOutputFlags(on[0], on[1], on[2], on[3], on[4], on[5]);
            const int lines[] = {1, 2, 2, 4, 3, 6};
            EXPECT_TRUE(record.parseLines(step.dataType, OutputSpreadsheet, step.number % 2,
                                          step.mode,
                                          dataLines(step.dataType, lines[step.mode], step.number)));
            record.stampDateTime(1700000000 + 3600 * step.number);
            record.setNameAndComment(record.makeName(), step.number % 3 ? "メモ" : "long comment text");
            EXPECT_TRUE(record.writeToSpreadsheet(unchanged, step.dataType));
        }
        sheetwire::setAutomationBackend(nullptr);
        return output.nextRow();
    }

    TestOffice office;
    std::unique_ptr<OfficeProbe> probe;
    std::vector<std::string> titles;
};

TEST_F(RecordOverCalc, BatchedAndUnbatchedWritingLeaveTheSameSheet)
{
    const std::int32_t batched = write(titles[0], true);
    const std::int32_t unbatched = write(titles[1], false);
    ASSERT_EQ(batched, unbatched);
    ASSERT_GT(batched, 10);

    const auto one = look(*probe, titles[0], batched + 1);
    const auto other = look(*probe, titles[1], unbatched + 1);
    ASSERT_EQ(one.size(), other.size());
    for (std::size_t i = 0; i < one.size(); ++i)
        EXPECT_EQ(one[i], other[i]);
}

} // namespace
