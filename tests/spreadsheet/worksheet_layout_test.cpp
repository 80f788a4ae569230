// The measurement record written into a worksheet of the in-memory
// spreadsheet: when a title row comes and where, the columns of every
// combination of output switches, the specular filter, the fill colours,
// single cells that fail, and errors of the application part-way.

#include "SpreadsheetTest.h"

#include "MeasurementRecord.h"

#include <cstdio>

using sheetwire::AutomationError;
using sheetwire::CellValue;
using sheetwire::MemoryWorksheet;
using tonvale::MeasurementRecord;
using tonvale::OutputSpreadsheet;

namespace {

using Row = std::vector<CellValue>;

// Marks a cell that was never written.
const CellValue blank = std::string("<blank>");

// The values of data line `line`: spectral value k is 10 + k + line / 4,
// colour values come from a small table; all are exact in binary.
double valueAt(int dataType, int line, int k)
{
    if (dataType == 0)
        return 10 + k + line * 0.25;
    const double lab[2][3] = {{1.0, 22.5, -3.25}, {2.0, -0.5, 10.75}};
    return lab[line % 2][k];
}

int countOf(int dataType)
{
    return dataType == 0 ? 39 : 3;
}

std::vector<std::string> dataLines(int dataType, int lines)
{
    std::vector<std::string> texts;
    for (int i = 0; i < lines; ++i) {
        std::string text = "OK00";
        for (int k = 0; k < countOf(dataType); ++k) {
            char value[16];
            std::snprintf(value, sizeof value, ",%.2f", valueAt(dataType, i, k));
            text += value;
        }
        texts.push_back(text);
    }
    return texts;
}

Row valuesOf(int dataType, int line)
{
    Row row;
    for (int k = 0; k < countOf(dataType); ++k)
        row.push_back(valueAt(dataType, line, k));
    return row;
}

Row valueTitles(int dataType)
{
    Row row;
    if (dataType == 0) {
        for (std::int32_t nm = 360; nm <= 740; nm += 10)
            row.push_back(nm);
    } else {
        for (const char* title : {"L*", "a*", "b*"})
            row.push_back(std::string(title));
    }
    return row;
}

Row withoutFirst(Row row)
{
    row.erase(row.begin());
    return row;
}

Row operator+(Row left, const Row& right)
{
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

// The cells of row from column 1 to the last column used anywhere in the
// worksheet.
Row rowOf(const MemoryWorksheet& sheet, std::int32_t row)
{
    std::int32_t width = 0;
    for (const auto& [at, cell] : sheet.cells)
        if (cell.value)
            width = std::max(width, at.first);
    Row cells;
    for (std::int32_t column = 1; column <= width; ++column) {
        const auto found = sheet.cells.find({column, row});
        cells.push_back(found != sheet.cells.end() && found->second.value ? *found->second.value
                                                                          : blank);
    }
    return cells;
}

// The interior colour index of each cell of the row over the same width (0
// for none); every filled cell must have the solid pattern.
std::vector<int> fillOf(const MemoryWorksheet& sheet, std::int32_t row)
{
    std::vector<int> fills;
    for (std::size_t column = 1; column <= rowOf(sheet, row).size(); ++column) {
        const auto found = sheet.cells.find({std::int32_t(column), row});
        const bool filled = found != sheet.cells.end() && found->second.interiorColorIndex;
        fills.push_back(filled ? *found->second.interiorColorIndex : 0);
        if (filled) {
            EXPECT_EQ(found->second.interiorPattern, 1) << "pattern at column " << column;
        }
    }
    return fills;
}

std::vector<int> uniform(int color, std::size_t width)
{
    return std::vector<int>(width, color);
}

struct Switches {
    int number = 1, name = 1, dateTime = 1, area = 1, component = 1, comment = 1;
};

const Switches allOn{};
const Switches allOff{0, 0, 0, 0, 0, 0};

} // namespace

class WorksheetLayoutTest : public SpreadsheetTest {
protected:
    void SetUp() override
    {
        SpreadsheetTest::SetUp();
        ASSERT_TRUE(select("結果.xls", "Sheet2"));
    }

    // A measurement as the workflow hands it over: mode 1 measures SCI then
    // SCE, area 1 is "SAV". Returns writeToSpreadsheet's result.
    bool measure(int number, int dataType, const Switches& on = allOn, int mode = 1,
                 int gloss = 0)
    {
        record.setSpecularFilter(gloss);
        record.setNaming(number, "Lot", 0);
        const bool unchanged = record.setOutputFlags(on.number, on.name, on.dateTime, on.area,
                                                     on.component, on.comment);
        const int lines[] = {1, 2, 2, 4, 3, 6};
        EXPECT_TRUE(record.parseLines(dataType, OutputSpreadsheet, 1, mode,
                                      dataLines(dataType, lines[mode])));
        record.stampDateTime(1700000000 + number);
        record.setNameAndComment("試料A", "メモ");
        return record.writeToSpreadsheet(unchanged, dataType);
    }

    MemoryWorksheet& target() { return sheet("結果.xls", "Sheet2"); }

    // The row the record writes for data line i with every switch on.
    Row fullRow(int number, int dataType, int line, const std::string& component)
    {
        return Row{std::int32_t{number}, std::string("試料A"), record.dateTime(),
                   std::string("SAV"), component} +
               valuesOf(dataType, line) + Row{std::string("メモ")};
    }

    static Row fullTitles(int dataType)
    {
        return Row{std::string("測定No."), std::string("測定値名"), std::string("測定日時"),
                   std::string("測定径"), std::string("正反射光処理")} +
               valueTitles(dataType) + Row{std::string("コメント")};
    }

    MeasurementRecord record{nullptr, ".", &output};
};

TEST_F(WorksheetLayoutTest, EveryCombinationOfSwitchesGivesItsColumnsInOrder)
{
    for (int dataType : {0, 1}) {
        for (unsigned mask = 0; mask < 64; ++mask) {
            SCOPED_TRACE("data type " + std::to_string(dataType) + ", switches " +
                         std::to_string(mask));
            // A switch is on only at 1; the off ones take 0 or 2.
            const int off = dataType == 0 ? 0 : 2;
            auto bit = [&](unsigned i) { return (mask >> i & 1) != 0 ? 1 : off; };
            target().cells.clear();
            target().autoFitColumns.clear();

            ASSERT_TRUE(measure(1, dataType, {bit(0), bit(1), bit(2), bit(3), bit(4), bit(5)}));

            // Number, name, date and time, area, component: title and item.
            const CellValue titleOf[] = {std::string("測定No."), std::string("測定値名"),
                                         std::string("測定日時"), std::string("測定径"),
                                         std::string("正反射光処理")};
            auto itemsOf = [&](const char* component) {
                return Row{std::int32_t{1}, std::string("試料A"), record.dateTime(),
                           std::string("SAV"), std::string(component)};
            };
            auto expected = [&](const Row& items, const Row& values, const CellValue& comment) {
                Row row;
                for (unsigned i = 0; i < 5; ++i)
                    if (bit(i) == 1)
                        row.push_back(items[i]);
                row = row + values;
                if (bit(5) == 1)
                    row.push_back(comment);
                return row;
            };
            const Row titles = expected(Row(std::begin(titleOf), std::end(titleOf)),
                                        valueTitles(dataType), std::string("コメント"));

            EXPECT_EQ(rowOf(target(), 1), titles);
            EXPECT_EQ(rowOf(target(), 2),
                      expected(itemsOf("SCI"), valuesOf(dataType, 0), std::string("メモ")));
            EXPECT_EQ(rowOf(target(), 3),
                      expected(itemsOf("SCE"), valuesOf(dataType, 1), std::string("メモ")));
            EXPECT_EQ(rowOf(target(), 4), Row(titles.size(), blank));

            EXPECT_EQ(fillOf(target(), 1), uniform(15, titles.size()));
            EXPECT_EQ(fillOf(target(), 2), uniform(36, titles.size()));
            EXPECT_EQ(fillOf(target(), 3), uniform(36, titles.size()));
            std::set<std::int32_t> fitted;
            for (std::int32_t column = 1; column <= std::int32_t(titles.size()); ++column)
                fitted.insert(column);
            EXPECT_EQ(target().autoFitColumns, fitted);
            EXPECT_EQ(output.nextRow(), 4);
        }
    }
}

TEST_F(WorksheetLayoutTest, TitlesComeForNumberOneOrAnotherDestinationAtRowOneAndForNewSwitchesBelow)
{
    Switches noComment = allOn;
    noComment.comment = 0;
    // One run of measurements; each step starts from the state the one
    // before left. Only what a step writes is looked at.
    const struct {
        const char* what;
        const char* selectWorkbook; // another destination chosen first
        const char* selectWorksheet;
        int number;
        Switches on;
        const char* worksheet; // of the workbook the step writes to
        std::int32_t titleRow;  // 0: none
        std::int32_t firstDataRow;
    } steps[] = {
        {"first measurement", nullptr, nullptr, 1, allOn, "結果.xls/Sheet2", 1, 2},
        {"nothing changed", nullptr, nullptr, 2, allOn, "結果.xls/Sheet2", 0, 4},
        {"switches changed", nullptr, nullptr, 3, noComment, "結果.xls/Sheet2", 6, 7},
        {"number 1 with nothing changed", nullptr, nullptr, 1, noComment, "結果.xls/Sheet2", 1, 2},
        {"another worksheet", "Book1", "Sheet2", 5, noComment, "Book1/Sheet2", 1, 2},
        {"back to the first one", "結果.xls", "Sheet2", 6, noComment, "結果.xls/Sheet2", 1, 2},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.selectWorkbook) {
            ASSERT_TRUE(select(step.selectWorkbook, step.selectWorksheet));
        }
        for (const auto& name : spreadsheet->workbookNames())
            for (const auto& worksheet : spreadsheet->workbook(name)->worksheets)
                worksheet->cells.clear();

        ASSERT_TRUE(measure(step.number, 1, step.on));

        const std::string where = step.worksheet;
        const auto slash = where.find('/');
        const MemoryWorksheet& written = sheet(where.substr(0, slash), where.substr(slash + 1));
        Row titles = fullTitles(1);
        Row sci = fullRow(step.number, 1, 0, "SCI");
        Row sce = fullRow(step.number, 1, 1, "SCE");
        if (step.on.comment != 1) {
            titles.pop_back();
            sci.pop_back();
            sce.pop_back();
        }
        if (step.titleRow != 0) {
            EXPECT_EQ(rowOf(written, step.titleRow), titles);
        }
        EXPECT_EQ(rowOf(written, step.firstDataRow), sci);
        EXPECT_EQ(rowOf(written, step.firstDataRow + 1), sce);
        // Nothing else was written.
        const std::size_t rows = step.titleRow != 0 ? 3 : 2;
        EXPECT_EQ(std::size_t(std::count_if(written.cells.begin(), written.cells.end(),
                                            [](const auto& cell) { return cell.second.value; })),
                  rows * titles.size());
        EXPECT_EQ(output.nextRow(), step.firstDataRow + 2);
    }
}

TEST_F(WorksheetLayoutTest, TitlesThatWouldStartAtRowOneGoBelowWhatTheWorksheetHolds)
{
    // The operator's own cells, A1:B5, on two worksheets.
    const auto fill = [](MemoryWorksheet& worksheet) {
        for (std::int32_t row = 1; row <= 5; ++row) {
            worksheet.cells[{1, row}].value = CellValue(std::string("mine"));
            worksheet.cells[{2, row}].value = CellValue(row);
        }
    };
    fill(sheet("Book1", "Sheet1"));
    fill(sheet("Book1", "Sheet2"));
    sheet("結果.xls", "測定").cells[{1, 1}].value = CellValue(std::string("A1 only"));
    const struct {
        const char* what;
        bool choose; // the worksheet is chosen in the dialog first
        const char* workbook;
        const char* worksheet;
        int number;
        std::int32_t titleRow;
    } steps[] = {
        {"another worksheet holding A1:B5", true, "Book1", "Sheet1", 4, 6},
        {"number 1 on the same worksheet, below the rows just written", false, "Book1", "Sheet1",
         1, 9},
        {"a worksheet holding only A1", true, "結果.xls", "測定", 2, 2},
        {"an empty worksheet starts at row 1", true, "結果.xls", "Sheet2", 3, 1},
        {"a worksheet chosen again starts below the program's own earlier rows", true, "Book1",
         "Sheet1", 5, 12},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.choose) {
            ASSERT_TRUE(select(step.workbook, step.worksheet));
        }
        ASSERT_TRUE(measure(step.number, 1));
        const MemoryWorksheet& written = sheet(step.workbook, step.worksheet);
        EXPECT_EQ(rowOf(written, step.titleRow), fullTitles(1));
        EXPECT_EQ(rowOf(written, step.titleRow + 1), fullRow(step.number, 1, 0, "SCI"));
        EXPECT_EQ(rowOf(written, step.titleRow + 2), fullRow(step.number, 1, 1, "SCE"));
        EXPECT_EQ(output.nextRow(), step.titleRow + 3);
    }
    // Nothing of the operator's was written over.
    for (const char* name : {"Sheet1", "Sheet2"})
        for (std::int32_t row = 1; row <= 5; ++row) {
            EXPECT_EQ(rowOf(sheet("Book1", name), row)[0], CellValue(std::string("mine")));
            EXPECT_EQ(rowOf(sheet("Book1", name), row)[1], CellValue(row));
        }
    EXPECT_EQ(rowOf(sheet("結果.xls", "測定"), 1)[0], CellValue(std::string("A1 only")));
}

TEST_F(WorksheetLayoutTest, NewTitlesComeForChangesNoRowShowedYetAndForAnotherDataType)
{
    ASSERT_TRUE(measure(1, 1, allOn));
    // Switches changed, then the measurement stopped before its output.
    record.setOutputFlags(1, 1, 1, 1, 1, 0);
    Switches noComment = allOn;
    noComment.comment = 0;
    ASSERT_TRUE(measure(2, 1, noComment));
    Row titles = fullTitles(1);
    titles.pop_back();
    EXPECT_EQ(rowOf(target(), 4), titles + Row{blank});
    EXPECT_EQ(output.nextRow(), 7);

    // Spectral lines under the same switches get their own titles.
    ASSERT_TRUE(measure(3, 0, noComment));
    titles = fullTitles(0);
    titles.pop_back();
    EXPECT_EQ(rowOf(target(), 7), titles);
    EXPECT_EQ(output.nextRow(), 10);
}

TEST_F(WorksheetLayoutTest, TheSpecularFilterAtOneWritesOnlyTheSceLines)
{
    Switches componentOnly = allOff;
    componentOnly.component = 1;
    const struct {
        int gloss, mode;
        std::vector<int> lines;
        std::vector<std::string> labels;
    } cases[] = {
        {0, 0, {0}, {"SCI"}},
        {0, 3, {0, 1, 2, 3}, {"SCI", "SCE", "SCI", "SCE"}},
        {2, 1, {0, 1}, {"SCI", "SCE"}},
        {1, 0, {}, {}},
        {1, 1, {1}, {"SCE"}},
        {1, 2, {}, {}},
        {1, 3, {1, 3}, {"SCE", "SCE"}},
        {1, 4, {}, {}},
        {1, 5, {1, 3, 5}, {"SCE", "SCE", "SCE"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("Gloss " + std::to_string(c.gloss) + ", mode " + std::to_string(c.mode));
        target().cells.clear();
        ASSERT_TRUE(measure(1, 0, componentOnly, c.mode, c.gloss));

        EXPECT_EQ(rowOf(target(), 1), Row{std::string("正反射光処理")} + valueTitles(0))
            << "the title row comes even without a data row";
        for (std::size_t k = 0; k < c.lines.size(); ++k) {
            const std::int32_t row = std::int32_t(k) + 2;
            EXPECT_EQ(rowOf(target(), row), Row{c.labels[k]} + valuesOf(0, c.lines[k]))
                << "row " << row;
        }
        EXPECT_EQ(output.nextRow(), std::int32_t(c.lines.size()) + 2);
        EXPECT_EQ(rowOf(target(), output.nextRow()), Row(40, blank));
    }
}

TEST_F(WorksheetLayoutTest, RowsOfOddNumbersAreFilledAndRowsOfEvenNumbersNot)
{
    ASSERT_TRUE(measure(2, 0));
    EXPECT_EQ(fillOf(target(), 1), uniform(15, 45)) << "titles are filled whatever the number";
    EXPECT_EQ(fillOf(target(), 2), uniform(0, 45));

    const struct {
        int number;
        int fill;
    } cases[] = {{3, 36}, {4, 0}, {99999, 36}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        const std::int32_t row = output.nextRow();
        ASSERT_TRUE(measure(c.number, 0));
        EXPECT_EQ(fillOf(target(), row), uniform(c.fill, 45));
        EXPECT_EQ(fillOf(target(), row + 1), uniform(c.fill, 45));
    }
}

TEST_F(WorksheetLayoutTest, AFailedTitleIsReportedByNameAndTheRestOfTheRowFollows)
{
    Switches nameOnly = allOff;
    nameOnly.name = 1;
    const struct {
        Switches on;
        int dataType;
        std::string failing;
        Row rest;
        Row data;
    } cases[] = {
        {nameOnly, 1, "測定値名", valueTitles(1), Row{std::string("試料A")} + valuesOf(1, 0)},
        {allOff, 1, "L*", Row{std::string("a*"), std::string("b*")}, valuesOf(1, 0)},
        {allOff, 0, "360", withoutFirst(valueTitles(0)), valuesOf(0, 0)},
    };
    const auto book = spreadsheet->workbook("結果.xls");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failing);
        target().cells.clear();
        // Renamed behind the program's back, the workbook fails Sheetwire's
        // name check; the operator names it back while Sheetwire reports it.
        renameAfterTheCheck(*book, "改名.xls");
        GTestModalHook hook(__FILE__, __LINE__);
        const ExpectMessageThen renamed(workbookNotOpen, [&] { book->name = "結果.xls"; });
        const ExpectMessage failed(message142(c.failing));
        hook.AddExpectation(renamed);
        hook.AddExpectation(failed);
        EXPECT_TRUE(measure(1, c.dataType, c.on, 0));
        hook.CheckUnmetExpectations();

        EXPECT_EQ(rowOf(target(), 1), Row{blank} + c.rest);
        EXPECT_EQ(fillOf(target(), 1), uniform(15, c.rest.size() + 1))
            << "the failed title's cell is filled too";
        EXPECT_EQ(rowOf(target(), 2), c.data) << "the data row follows";
        EXPECT_EQ(output.nextRow(), 3);
    }
}

TEST_F(WorksheetLayoutTest, AFailedValueIsReportedByItsTitleAndTheRestOfTheRowFollows)
{
    auto only = [](int Switches::*which) {
        Switches on = allOff;
        on.*which = 1;
        return on;
    };
    const struct {
        int Switches::*which;
        std::string item;
        bool last; // the item's column comes after the values
    } cases[] = {
        {&Switches::number, "測定No.", false},   {&Switches::name, "測定値名", false},
        {&Switches::dateTime, "測定日時", false}, {&Switches::area, "測定径", false},
        {&Switches::component, "正反射光処理", false}, {&Switches::comment, "コメント", true},
    };
    const auto book = spreadsheet->workbook("結果.xls");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        // Number 1 starts on an empty worksheet at row 1.
        target().cells.clear();
        ASSERT_TRUE(measure(1, 1, only(c.which), 0));
        ASSERT_EQ(output.nextRow(), 3);
        target().cells.clear();

        renameAfterTheCheck(*book, "改名.xls");
        GTestModalHook hook(__FILE__, __LINE__);
        const ExpectMessageThen renamed(workbookNotOpen, [&] { book->name = "結果.xls"; });
        const ExpectMessage failed(message131(c.item));
        hook.AddExpectation(renamed);
        hook.AddExpectation(failed);
        EXPECT_TRUE(measure(2, 1, only(c.which), 0));
        hook.CheckUnmetExpectations();

        // A failed comment leaves the row three columns wide.
        EXPECT_EQ(rowOf(target(), 3), c.last ? valuesOf(1, 0) : Row{blank} + valuesOf(1, 0));
        EXPECT_EQ(output.nextRow(), 4);
    }
}

TEST_F(WorksheetLayoutTest, AnApplicationGoneInARowIsReportedOnceAndEndsTheMeasurement)
{
    Switches numberAndComment = allOff;
    numberAndComment.number = 1;
    numberAndComment.comment = 1;
    const struct {
        int dataType;
        std::string item;
    } cases[] = {{0, "分光データ"}, {1, "L*a*b*"}};
    const auto book = spreadsheet->workbook("結果.xls");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        target().cells.clear();
        ASSERT_TRUE(measure(1, c.dataType, numberAndComment, 0));
        target().cells.clear();

        // The number fails the name check on its own: reported, and the row
        // goes on. While its failure is reported the application goes away,
        // so the values cannot be written: that is said once, and nothing
        // more of the measurement is written.
        renameAfterTheCheck(*book, "改名.xls");
        GTestModalHook hook(__FILE__, __LINE__);
        const ExpectMessageThen renamed(workbookNotOpen, [&] { book->name = "結果.xls"; });
        const ExpectMessageThen number(message131("測定No."), [&] { spreadsheet->running = false; });
        const ExpectMessage gone(message140);
        hook.AddExpectation(renamed);
        hook.AddExpectation(number);
        hook.AddExpectation(gone);
        EXPECT_FALSE(measure(3, c.dataType, numberAndComment, 0));
        hook.CheckUnmetExpectations();
        spreadsheet->running = true;

        for (const auto& [at, cell] : target().cells) {
            SCOPED_TRACE("column " + std::to_string(at.first) + ", row " + std::to_string(at.second));
            EXPECT_FALSE(cell.value) << "neither values nor comment";
            const int fill = at == std::pair<std::int32_t, std::int32_t>{1, 3} ? 36 : 0;
            EXPECT_EQ(cell.interiorColorIndex.value_or(0), fill) << "only the number's cell is filled";
        }
        EXPECT_EQ(output.nextRow(), 3) << "the row was not finished";
    }
}

TEST_F(WorksheetLayoutTest, AnUnusableDestinationShowsMessage140AndWritesNothing)
{
    const struct {
        const char* what;
        std::function<void(sheetwire::MemorySpreadsheet&)> meanwhile;
    } cases[] = {
        {"workbook closed", [](auto& app) { app.closeWorkbook("結果.xls"); }},
        {"spreadsheet application ended", [](auto& app) { app.running = false; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(measure(1, 1));
        ASSERT_EQ(output.nextRow(), 4);
        c.meanwhile(*spreadsheet);
        spreadsheet->log.clear();

        bool written = true;
        wxTEST_DIALOG(written = measure(2, 1), ExpectMessage(message140));
        EXPECT_FALSE(written);
        EXPECT_EQ(output.nextRow(), 4);
        EXPECT_EQ(output.workbookIndex(), 2) << "the destination stays";
        EXPECT_EQ(output.worksheetIndex(), 2);
        EXPECT_EQ(std::count_if(spreadsheet->log.begin(), spreadsheet->log.end(),
                                [](const std::string& call) {
                                    return call.rfind("Range.Value", 0) == 0 ||
                                           call.rfind("Interior.", 0) == 0;
                                }),
                  0);

        spreadsheet->running = true;
        if (!spreadsheet->workbook("結果.xls"))
            spreadsheet->addWorkbook("結果.xls", {"測定", "Sheet2"});
    }
}

// Between two measurements the operator clicks another worksheet, or
// another workbook: the application selects cells only on the active
// worksheet of the active workbook, and the next measurement lands whole in
// the destination all the same, which is shown again.
TEST_F(WorksheetLayoutTest, AMeasurementLandsWholeInTheDestinationAfterTheOperatorClickedElsewhere)
{
    ASSERT_TRUE(measure(1, 1));
    const struct {
        const char* what;
        const char* workbook;
        const char* worksheet;
    } clicks[] = {
        {"another worksheet", "結果.xls", "測定"},
        {"another workbook", "Book1", "Sheet2"},
    };
    int number = 2;
    for (const auto& c : clicks) {
        SCOPED_TRACE(c.what);
        spreadsheet->activate(c.workbook, c.worksheet);
        const std::int32_t row = output.nextRow();
        ASSERT_TRUE(measure(number, 1));
        EXPECT_EQ(rowOf(target(), row), fullRow(number, 1, 0, "SCI"));
        EXPECT_EQ(rowOf(target(), row + 1), fullRow(number, 1, 1, "SCE"));
        EXPECT_EQ(output.nextRow(), row + 2);
        EXPECT_EQ(spreadsheet->activeWorkbook, spreadsheet->workbook("結果.xls"));
        EXPECT_EQ(spreadsheet->activeWorkbook->activeWorksheet.get(), &target());
        ++number;
    }
    EXPECT_TRUE(sheet("結果.xls", "測定").cells.empty());
    EXPECT_TRUE(sheet("Book1", "Sheet2").cells.empty());
}

TEST_F(WorksheetLayoutTest, AnApplicationErrorPartWayThroughARowLeavesTheWriter)
{
    Switches numberOnly = allOff;
    numberOnly.number = 1;
    ASSERT_TRUE(measure(1, 1, numberOnly));
    ASSERT_EQ(output.nextRow(), 4);
    const auto written = spreadsheet->worksheet("結果.xls", "Sheet2");

    // While the failed number is reported the operator closes the workbook:
    // the values then go to a workbook position that no longer exists.
    const auto book = spreadsheet->workbook("結果.xls");
    renameAfterTheCheck(*book, "改名.xls");
    GTestModalHook hook(__FILE__, __LINE__);
    const ExpectMessageThen renamed(workbookNotOpen, [&] { book->name = "結果.xls"; });
    const ExpectMessageThen closed(message131("測定No."),
                                   [&] { spreadsheet->closeWorkbook("結果.xls"); });
    hook.AddExpectation(renamed);
    hook.AddExpectation(closed);
    EXPECT_THROW(measure(2, 1, numberOnly), AutomationError);
    hook.CheckUnmetExpectations();

    EXPECT_EQ(output.nextRow(), 4) << "the row was not finished";
    EXPECT_EQ(rowOf(*written, 2), Row{std::int32_t{1}} + valuesOf(1, 0))
        << "earlier rows stay as written";
    EXPECT_EQ(rowOf(*written, 4), Row(4, blank));
}

TEST_F(WorksheetLayoutTest, TheProgramsRecordWritesThroughTheProgramsSpreadsheetOutput)
{
    auto& programOutput = tonvale::SpreadsheetOutput::instance();
    ASSERT_TRUE(select(programOutput, "Book1", "Sheet2"));
    auto& programRecord = MeasurementRecord::instance();
    programRecord.setNaming(1, "", 0);
    programRecord.setOutputFlags(1, 0, 0, 0, 0, 0);
    ASSERT_TRUE(programRecord.parseLines(1, OutputSpreadsheet, 0, 0, dataLines(1, 1)));
    EXPECT_TRUE(programRecord.writeToSpreadsheet(false, 1));

    EXPECT_EQ(rowOf(sheet("Book1", "Sheet2"), 2), Row{std::int32_t{1}} + valuesOf(1, 0));
    EXPECT_EQ(programOutput.nextRow(), 3);
    MeasurementRecord::destroyInstance();
    tonvale::SpreadsheetOutput::destroyInstance();
}
