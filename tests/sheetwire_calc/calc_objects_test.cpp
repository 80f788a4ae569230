// The automation object model over a real office, each call made in the
// office as it is made (the unbatched backend): every member the library
// calls, written through the backend and read back through the test's own
// UNO connection; a workbook closed under the backend; positions the office
// does not hold.

#include "CalcTest.h"

#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/CellHoriJustify.hpp>
#include <com/sun/star/table/CellVertJustify2.hpp>
#include <com/sun/star/table/TableBorder2.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <unistd.h>

using sheetwire::AutomationError;
using sheetwire::AutomationWorkbook;
using sheetwire::AutomationWorksheet;
using sheetwire::CellValue;
using css::uno::UNO_QUERY_THROW;
namespace fs = std::filesystem;

namespace {

struct Files {
    Files()
    {
        fs::create_directories(dir);
    }
    ~Files()
    {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    std::string url(const std::string& name) const { return "file://" + path(name); }

    const fs::path dir = fs::path(testing::TempDir()) / ("tonvale-calc-files-" + std::to_string(getpid()));
};

} // namespace

class CalcObjects : public CalcTest {
protected:
    void SetUp() override
    {
        batched = false;
        CalcTest::SetUp();
    }

    // A new workbook through the backend and its first worksheet.
    std::unique_ptr<AutomationWorksheet> firstWorksheet(std::string& title)
    {
        auto workbook = attach()->Workbooks()->Add();
        title = workbook->Name();
        return workbook->Worksheets()->Item(1);
    }

    std::unique_ptr<AutomationWorkbook> workbook(const std::string& title)
    {
        auto workbooks = attach()->Workbooks();
        for (int i = 1; i <= workbooks->Count(); ++i) {
            auto candidate = workbooks->Item(static_cast<std::int16_t>(i));
            if (candidate->Name() == title)
                return candidate;
        }
        ADD_FAILURE() << "no workbook " << title;
        return nullptr;
    }
};

TEST_F(CalcObjects, WorkbooksAreTheSpreadsheetDocumentsInWindowOrder)
{
    probe->open("private:factory/scalc");
    // Not a spreadsheet: a chart of its own (the office here is Calc only).
    probe->open("private:factory/schart");
    probe->open("private:factory/scalc");
    auto titles = probe->titles();
    ASSERT_EQ(titles.size(), 3u);
    const std::string chart = titles[1];
    titles.erase(titles.begin() + 1);

    auto workbooks = attach()->Workbooks();
    ASSERT_EQ(workbooks->Count(), 2);
    EXPECT_EQ(workbooks->Item(1)->Name(), titles[0]);
    EXPECT_EQ(workbooks->Item(2)->Name(), titles[1]);

    // A new workbook comes last, in a window of its own.
    const auto added = workbooks->Add()->Name();
    EXPECT_EQ(probe->titles().back(), added);
    workbooks = attach()->Workbooks();
    EXPECT_EQ(workbooks->Count(), 3);
    EXPECT_EQ(workbooks->Item(3)->Name(), added);

    for (const std::int16_t outside : {0, -1, 4, 32767})
        EXPECT_THROW(workbooks->Item(outside), AutomationError) << outside;
    // The chart is left alone.
    const auto after = probe->titles();
    EXPECT_NE(std::find(after.begin(), after.end(), chart), after.end());
}

TEST_F(CalcObjects, ValuesAreNumbersAndTextIsReadAsIfTyped)
{
    using Type = css::table::CellContentType;
    const struct {
        CellValue value;
        Type type;
        double number;
        std::string text;
    } cases[] = {
        {std::int32_t{42}, Type::CellContentType_VALUE, 42, "42"},
        {std::int32_t{-2147483647 - 1}, Type::CellContentType_VALUE, -2147483648.0, "-2147483648"},
        {2.5, Type::CellContentType_VALUE, 2.5, "2.5"},
        {std::string("abc"), Type::CellContentType_TEXT, 0, "abc"},
        {std::string("測定No."), Type::CellContentType_TEXT, 0, "測定No."},
        {std::string("0.100000"), Type::CellContentType_VALUE, 0.1, "0.1"},
        {std::string("'12"), Type::CellContentType_TEXT, 0, "12"},
        {std::string("=1+2"), Type::CellContentType_FORMULA, 3, "3"},
    };
    std::string title;
    const auto worksheet = firstWorksheet(title);
    int row = 1;
    for (const auto& c : cases) {
        const std::string reference = "B" + std::to_string(row++);
        worksheet->Range(reference, reference)->PutValue(c.value);
        const auto cell = probe->cell(title, "Sheet1", reference);
        EXPECT_EQ(cell->getType(), c.type) << reference;
        EXPECT_DOUBLE_EQ(cell->getValue(), c.number) << reference;
        EXPECT_EQ(utf8(Reference<css::text::XText>(cell, UNO_QUERY_THROW)->getString()), c.text)
            << reference;
    }
    // A range of several cells gets the value in every cell.
    worksheet->Range("D1", "E2")->PutValue(std::int32_t{7});
    for (const char* reference : {"D1", "E1", "D2", "E2"})
        EXPECT_EQ(probe->cell(title, "Sheet1", reference)->getValue(), 7) << reference;
}

TEST_F(CalcObjects, FontColourIndexesAreTheDefaultPalette)
{
    const struct {
        std::int16_t index;
        sal_Int32 colour;
    } cases[] = {{1, 0x000000}, {3, 0xFF0000}, {15, 0xC0C0C0}, {36, 0xFFFF99},
                 {56, 0x333333}, {0, -1},      {-4105, -1},    {-4142, -1}};
    std::string title;
    const auto worksheet = firstWorksheet(title);
    const auto range = probe->range(title, "Sheet1", "A1:B2");
    for (const auto& c : cases) {
        worksheet->Range("A1", "B2")->Font()->PutColorIndex(c.index);
        EXPECT_EQ(property<sal_Int32>(range, "CharColor"), c.colour) << c.index;
    }
    worksheet->Range("A1", "B2")->Font()->PutColorIndex(3);
    for (const std::int16_t invalid : {57, -1, 100}) {
        EXPECT_THROW(worksheet->Range("A1", "B2")->Font()->PutColorIndex(invalid), AutomationError)
            << invalid;
        EXPECT_EQ(property<sal_Int32>(range, "CharColor"), 0xFF0000) << invalid;
    }
}

TEST_F(CalcObjects, InteriorColourFillsSolidlyUnlessThePatternIsNone)
{
    const struct {
        std::int16_t index, pattern;
        sal_Int32 colour;
        bool transparent;
    } cases[] = {
        {15, 1, 0xC0C0C0, false},
        {36, 1, 0xFFFF99, false},
        {36, -4142, 0xFFFF99, true},
        {-4142, -4142, -1, true},
    };
    std::string title;
    const auto worksheet = firstWorksheet(title);
    const auto range = probe->range(title, "Sheet1", "C3:D4");
    for (const auto& c : cases) {
        const auto interior = worksheet->Range("C3", "D4")->Interior();
        interior->PutColorIndex(c.index);
        interior->PutPattern(c.pattern);
        EXPECT_EQ(property<bool>(range, "IsCellBackgroundTransparent"), c.transparent)
            << c.index << "/" << c.pattern;
        if (!c.transparent) {
            EXPECT_EQ(property<sal_Int32>(range, "CellBackColor"), c.colour)
                << c.index << "/" << c.pattern;
        }
    }
    EXPECT_THROW(worksheet->Range("C3", "D4")->Interior()->PutColorIndex(0), AutomationError);
    EXPECT_THROW(worksheet->Range("C3", "D4")->Interior()->PutColorIndex(57), AutomationError);
}

TEST_F(CalcObjects, AlignmentsBecomeCalcJustifications)
{
    using H = css::table::CellHoriJustify;
    namespace V = css::table::CellVertJustify2;
    const struct {
        std::int16_t excel;
        H horizontal;
    } horizontals[] = {{1, H::CellHoriJustify_STANDARD},
                       {-4108, H::CellHoriJustify_CENTER},
                       {-4152, H::CellHoriJustify_RIGHT},
                       {-4131, H::CellHoriJustify_LEFT}};
    const struct {
        std::int16_t excel;
        sal_Int32 vertical;
    } verticals[] = {{-4108, V::CENTER}, {-4107, V::BOTTOM}, {-4160, V::TOP}};
    std::string title;
    const auto worksheet = firstWorksheet(title);
    const auto range = probe->range(title, "Sheet1", "A1:C2");
    for (const auto& c : horizontals) {
        worksheet->Range("A1", "C2")->PutHorizontalAlignment(c.excel);
        EXPECT_EQ(property<H>(range, "HoriJustify"), c.horizontal) << c.excel;
    }
    for (const auto& c : verticals) {
        worksheet->Range("A1", "C2")->PutVerticalAlignment(c.excel);
        EXPECT_EQ(property<sal_Int32>(range, "VertJustify"), c.vertical) << c.excel;
    }
    EXPECT_THROW(worksheet->Range("A1", "C2")->PutHorizontalAlignment(0), AutomationError);
    EXPECT_THROW(worksheet->Range("A1", "C2")->PutVerticalAlignment(1), AutomationError);
}

TEST_F(CalcObjects, BorderAroundDrawsTheOutlineOnly)
{
    const struct {
        std::int16_t lineStyle;
        std::int32_t weight, colorIndex, color;
        sal_Int32 width, colour;
    } cases[] = {
        // Thin, red from the palette.
        {1, 2, 3, 0, 26, 0xFF0000},
        // Thick, colour given as Excel's RGB value (blue is 0xFF0000 there).
        {1, 4, -4105, 0xFF0000, 79, 0x0000FF},
    };
    std::string title;
    const auto worksheet = firstWorksheet(title);
    for (const auto& c : cases) {
        worksheet->Range("B2", "D4")->BorderAround(c.lineStyle, c.weight, c.colorIndex, c.color);
        css::table::TableBorder2 border;
        probe->range(title, "Sheet1", "B2:D4")->getPropertyValue("TableBorder2") >>= border;
        for (const auto& line : {border.TopLine, border.BottomLine, border.LeftLine, border.RightLine}) {
            EXPECT_EQ(line.LineWidth, c.width) << c.weight;
            EXPECT_EQ(line.Color, c.colour) << c.weight;
        }
        // Nothing between the cells.
        probe->range(title, "Sheet1", "C3")->getPropertyValue("TableBorder2") >>= border;
        EXPECT_EQ(border.TopLine.LineWidth, 0);
        EXPECT_EQ(border.LeftLine.LineWidth, 0);
    }
    EXPECT_THROW(worksheet->Range("B2", "D4")->BorderAround(99, 2, 1, 0), AutomationError);
    EXPECT_THROW(worksheet->Range("B2", "D4")->BorderAround(1, 3, 1, 0), AutomationError);
}

TEST_F(CalcObjects, AutoFitFitsWholeColumnsOnly)
{
    std::string title;
    const auto worksheet = firstWorksheet(title);
    worksheet->Range("B3", "B3")->PutValue(std::string("a text far wider than the column is"));
    const Reference<css::table::XColumnRowRange> columns(probe->sheet(title, "Sheet1"), UNO_QUERY_THROW);
    const Reference<css::beans::XPropertySet> columnB(
        columns->getColumns()->getByIndex(1), UNO_QUERY_THROW);
    const Reference<css::beans::XPropertySet> columnC(
        columns->getColumns()->getByIndex(2), UNO_QUERY_THROW);
    const auto before = property<sal_Int32>(columnB, "Width");
    const auto widthC = property<sal_Int32>(columnC, "Width");

    EXPECT_THROW(worksheet->Range("B3", "B3")->AutoFit(), AutomationError);
    const auto column = worksheet->Range("B3", "B3")->EntireColumn();
    EXPECT_EQ(column->Column(), 2);
    EXPECT_EQ(column->Row(), 1);
    column->AutoFit();
    EXPECT_TRUE(property<bool>(columnB, "OptimalWidth"));
    EXPECT_GT(property<sal_Int32>(columnB, "Width"), before);
    EXPECT_EQ(property<sal_Int32>(columnC, "Width"), widthC);
}

TEST_F(CalcObjects, SelectAndActivateMoveTheActiveCell)
{
    std::string title;
    const auto first = firstWorksheet(title);
    auto worksheets = workbook(title)->Worksheets();
    const auto second = worksheets->Add(*first);
    ASSERT_EQ(probe->sheetNames(title), (std::vector<std::string>{"Sheet2", "Sheet1"}));

    first->Activate();
    EXPECT_EQ(probe->activeSheet(title), "Sheet1");
    first->Range("C7", "C7")->Select();
    EXPECT_EQ(probe->selection(title), "C7");
    auto cell = attach()->ActiveCell();
    EXPECT_EQ(cell->Row(), 7);
    EXPECT_EQ(cell->Column(), 3);

    // A larger selection: its first cell.
    second->Activate();
    EXPECT_EQ(probe->activeSheet(title), "Sheet2");
    second->Range("B2", "D4")->Select();
    EXPECT_EQ(probe->selection(title), "B2:D4");
    cell = attach()->ActiveCell();
    EXPECT_EQ(cell->Row(), 2);
    EXPECT_EQ(cell->Column(), 2);

    // Activating a worksheet of another workbook makes its window the
    // active one.
    std::string other;
    const auto elsewhere = firstWorksheet(other);
    elsewhere->Range("E9", "E9")->Select();
    first->Activate();
    EXPECT_EQ(attach()->ActiveCell()->Row(), 7);
    elsewhere->Activate();
    EXPECT_EQ(attach()->ActiveCell()->Row(), 9);
}

// The workbook of the office's active window and the sheet each window
// shows, as activation and the user's clicks change them.
TEST_F(CalcObjects, TheActiveWorkbookAndSheetFollowActivationAndTheUsersClicks)
{
    std::string first, second;
    firstWorksheet(first);
    const auto sheet1 = firstWorksheet(second);
    const auto book = workbook(second);
    book->Worksheets()->Add(*sheet1);
    ASSERT_EQ(probe->sheetNames(second), (std::vector<std::string>{"Sheet2", "Sheet1"}));

    probe->click(first);
    const auto app = attach();
    ASSERT_NE(app->ActiveWorkbook(), nullptr);
    EXPECT_EQ(app->ActiveWorkbook()->Name(), first);
    book->Activate();
    EXPECT_EQ(probe->activeTitle(), second);
    EXPECT_EQ(app->ActiveWorkbook()->Identity(), book->Identity());

    probe->click(second, "Sheet1");
    EXPECT_EQ(book->ActiveSheet()->Name(), "Sheet1");
    probe->click(second, "Sheet2");
    EXPECT_EQ(book->ActiveSheet()->Name(), "Sheet2");
    probe->click(first);
    EXPECT_EQ(book->ActiveSheet()->Name(), "Sheet2") << "each window keeps its own";
}

TEST_F(CalcObjects, WorksheetsAddBeforeAndActivateDeleteRemoves)
{
    std::string title;
    firstWorksheet(title);
    auto worksheets = workbook(title)->Worksheets();
    ASSERT_EQ(worksheets->Count(), 1);
    EXPECT_EQ(worksheets->Item(1)->Name(), "Sheet1");

    EXPECT_EQ(worksheets->Add(*worksheets->Item(1))->Name(), "Sheet2");
    EXPECT_EQ(worksheets->Add(*worksheets->Item(2))->Name(), "Sheet3");
    EXPECT_EQ(probe->sheetNames(title), (std::vector<std::string>{"Sheet2", "Sheet3", "Sheet1"}));
    EXPECT_EQ(probe->activeSheet(title), "Sheet3");
    EXPECT_EQ(worksheets->Count(), 3);

    worksheets->Item(1)->Delete();
    EXPECT_EQ(probe->sheetNames(title), (std::vector<std::string>{"Sheet3", "Sheet1"}));
    // A name in use is skipped.
    EXPECT_EQ(worksheets->Add(*worksheets->Item(1))->Name(), "Sheet4");

    for (const std::int16_t outside : {0, -1, 4, 32767})
        EXPECT_THROW(worksheets->Item(outside), AutomationError) << outside;
    // A workbook keeps at least one worksheet.
    worksheets->Item(1)->Delete();
    worksheets->Item(1)->Delete();
    EXPECT_EQ(probe->sheetNames(title), (std::vector<std::string>{"Sheet1"}));
    EXPECT_THROW(worksheets->Item(1)->Delete(), AutomationError);
    EXPECT_EQ(probe->sheetNames(title), (std::vector<std::string>{"Sheet1"}));

    // Before must be a worksheet of the same workbook.
    std::string other;
    const auto foreign = firstWorksheet(other);
    EXPECT_THROW(worksheets->Add(*foreign), AutomationError);
}

TEST_F(CalcObjects, CloseSavesWhatHasAFileAndNeverDropsUnsavedWork)
{
    const Files files;
    const struct {
        const char* what;
        bool stored, modified;
        std::int16_t saveChanges;
        bool closes;
    } cases[] = {
        {"unchanged, never saved", false, false, 1, true},
        {"changed, never saved, not to be saved", false, true, 0, true},
        {"changed, never saved, to be saved", false, true, 1, false},
        {"changed, with a file, to be saved", true, true, 1, true},
        {"changed, with a file, not to be saved", true, true, 0, true},
    };
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string title;
        const auto worksheet = firstWorksheet(title);
        const std::string name = "close" + std::to_string(++number) + ".ods";
        if (c.stored) {
            Reference<css::frame::XStorable>(probe->model(title), UNO_QUERY_THROW)
                ->storeAsURL(ou(files.url(name)), {});
            title = name;
        }
        if (c.modified)
            worksheet->Range("A1", "A1")->PutValue(std::int32_t{5});
        if (c.closes) {
            workbook(title)->Close(c.saveChanges);
            EXPECT_EQ(probe->model(title), nullptr);
        } else {
            EXPECT_THROW(workbook(title)->Close(c.saveChanges), AutomationError);
            EXPECT_EQ(probe->cell(title, "Sheet1", "A1")->getValue(), 5);
        }
        if (c.stored) {
            const auto reopened = probe->open(files.url(name));
            EXPECT_EQ(probe->cell(name, "Sheet1", "A1")->getValue(), c.saveChanges == 1 ? 5 : 0);
            Reference<css::util::XCloseable>(reopened, UNO_QUERY_THROW)->close(true);
        }
    }
}

TEST_F(CalcObjects, OpenLoadsASpreadsheetFileOnce)
{
    const Files files;
    {
        const auto model = probe->open("private:factory/scalc");
        Reference<css::table::XCell>(
            Reference<css::sheet::XSpreadsheetDocument>(model, UNO_QUERY_THROW)
                ->getSheets()
                ->getByName("Sheet1")
                .get<Reference<css::sheet::XSpreadsheet>>()
                ->getCellByPosition(0, 0))
            ->setValue(11);
        Reference<css::frame::XStorable>(model, UNO_QUERY_THROW)->storeAsURL(ou(files.url("data.ods")), {});
        Reference<css::util::XCloseable>(model, UNO_QUERY_THROW)->close(true);
    }
    std::ofstream(files.path("notes.txt")) << "not a spreadsheet\n";
    addWorkbook();

    auto workbooks = attach()->Workbooks();
    const auto opened = workbooks->Open(files.path("data.ods"));
    EXPECT_EQ(opened->Name(), "data.ods");
    EXPECT_EQ(probe->cell("data.ods", "Sheet1", "A1")->getValue(), 11);
    EXPECT_EQ(attach()->Workbooks()->Count(), 2);
    EXPECT_EQ(attach()->Workbooks()->Item(2)->Name(), "data.ods");

    // Opening it again shows the open one.
    EXPECT_EQ(workbooks->Open(files.path("data.ods"))->Name(), "data.ods");
    EXPECT_EQ(attach()->Workbooks()->Count(), 2);

    const auto before = probe->titles();
    EXPECT_THROW(workbooks->Open(files.path("missing.ods")), AutomationError);
    EXPECT_THROW(workbooks->Open(files.path("notes.txt")), AutomationError);
    EXPECT_EQ(probe->titles(), before);
}

TEST_F(CalcObjects, VisibleShowsTheOfficeWindowAgain)
{
    const auto title = addWorkbook();
    const Reference<css::awt::XWindow2> window(
        probe->model(title)->getCurrentController()->getFrame()->getContainerWindow(), UNO_QUERY_THROW);
    probe->model(title)->getCurrentController()->getFrame()->activate();
    window->setVisible(false);
    ASSERT_FALSE(window->isVisible());
    attach()->PutVisible(true);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(CalcObjects, AClosedWorkbookTakesNoWritesSilently)
{
    std::string title;
    firstWorksheet(title);
    auto workbookHandle = workbook(title);
    const auto worksheets = workbookHandle->Worksheets();
    const auto worksheet = worksheets->Item(1);
    const auto range = worksheet->Range("A1", "B2");
    const auto font = range->Font();
    const auto interior = range->Interior();
    const auto column = range->EntireColumn();

    Reference<css::util::XCloseable>(probe->model(title), UNO_QUERY_THROW)->close(true);
    ASSERT_EQ(probe->model(title), nullptr);

    const std::vector<std::pair<const char*, std::function<void()>>> calls = {
        {"Range.Value", [&] { range->PutValue(std::int32_t{1}); }},
        {"Range.Value text", [&] { range->PutValue(std::string("x")); }},
        {"Range.Select", [&] { range->Select(); }},
        {"Range.HorizontalAlignment", [&] { range->PutHorizontalAlignment(-4108); }},
        {"Range.VerticalAlignment", [&] { range->PutVerticalAlignment(-4108); }},
        {"Range.BorderAround", [&] { range->BorderAround(1, 2, 1, 0); }},
        {"Range.AutoFit", [&] { column->AutoFit(); }},
        {"Range.Row", [&] { range->Row(); }},
        {"Font.ColorIndex", [&] { font->PutColorIndex(3); }},
        {"Interior.ColorIndex", [&] { interior->PutColorIndex(36); }},
        {"Interior.Pattern", [&] { interior->PutPattern(1); }},
        {"Worksheet.Range", [&] { worksheet->Range("A1", "A1"); }},
        {"Worksheet.Name", [&] { worksheet->Name(); }},
        {"Worksheet.Activate", [&] { worksheet->Activate(); }},
        {"Worksheet.Delete", [&] { worksheet->Delete(); }},
        {"Worksheets.Count", [&] { worksheets->Count(); }},
        {"Worksheets.Item", [&] { worksheets->Item(1); }},
        {"Workbook.Activate", [&] { workbookHandle->Activate(); }},
        {"Workbook.ActiveSheet", [&] { workbookHandle->ActiveSheet(); }},
        {"Workbook.Name", [&] { workbookHandle->Name(); }},
        {"Workbook.Worksheets", [&] { workbookHandle->Worksheets(); }},
        {"Workbook.Close", [&] { workbookHandle->Close(0); }},
    };
    for (const auto& [member, call] : calls)
        EXPECT_THROW(call(), AutomationError) << member;
}
