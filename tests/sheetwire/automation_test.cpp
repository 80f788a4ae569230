// CExcel and CExcelAutomation against the in-memory spreadsheet: binding and
// letting go, lookups and their messages, the selected target, the name
// check of SetValue, runs of values, range formatting, the active cell,
// workbook and worksheet management, and the order of the calls made.

#include "Platform.h"
#include "SheetwireTest.h"

#include "sheetwire/CExcel.h"
#include "sheetwire/CExcelAutomation.h"

#include <wx/filedlg.h>
#include <wx/msgdlg.h>

#include <algorithm>
#include <climits>
#include <clocale>
#include <cstdlib>
#include <functional>
#include <optional>
#include <set>
#include <tuple>
#include <type_traits>

using sheetwire::AutomationError;
using sheetwire::CellValue;

static_assert(!std::is_copy_constructible_v<CExcel> && !std::is_copy_assignable_v<CExcel>,
              "a CExcel owns its automation object alone");

namespace {

using Calls = std::vector<std::string>;

Calls join(std::initializer_list<Calls> parts)
{
    Calls all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

const Calls attach = {"AttachRunning", "Application.ScreenUpdating=true",
                      "Application.Visible=true"};
const Calls release = {"Application.Release"};
// The end of an operation: what the application held back is delivered,
// then the handle is let go.
const Calls finish = {"Application.Flush", "Application.Release"};

// The names compared by FindWorkbook for the second of two open workbooks,
// on the application already bound.
const Calls findSecondWorkbook = {"Application.Workbooks", "Workbooks.Count",
                                  "Workbooks.Item(1)", "Workbook.Name", "Workbooks.Item(2)",
                                  "Workbook.Name"};

const Calls resolveSecondFirst = {"Application.Workbooks", "Workbooks.Item(2)",
                                  "Workbook.Worksheets", "Worksheets.Item(1)"};

// Resolving workbook 2, worksheet 1 before a selection, when both are the
// active ones already: asked, nothing activated.
const Calls bringSecondFirstForward = {
    "Application.Workbooks", "Workbooks.Item(2)",   "Workbook.Identity",
    "Application.ActiveWorkbook", "Workbook.Identity", "Workbook.Worksheets",
    "Worksheets.Item(1)",    "Worksheet.Name",      "Workbook.ActiveSheet",
    "Worksheet.Name"};

// Switches the numeric locale for one test and back.
class NumericLocale {
public:
    explicit NumericLocale(const char* name) : saved(std::setlocale(LC_NUMERIC, nullptr))
    {
        EXPECT_NE(std::setlocale(LC_NUMERIC, name), nullptr) << name;
    }
    ~NumericLocale() { std::setlocale(LC_NUMERIC, saved.c_str()); }

private:
    std::string saved;
};

} // namespace

// --- target and binding -----------------------------------------------------

class CExcelTest : public SheetwireTest {
protected:
    // Selects 測定 of 結果.xls (workbook 2, worksheet 1) as the target.
    void selectTarget()
    {
        openTwoWorkbooks();
        ASSERT_EQ(automation.SelectWorksheet("結果.xls", "測定"), 1);
        spreadsheet->log.clear();
    }

    GTestModalHook unexpectedDialogsFail{__FILE__, __LINE__};
    CExcelAutomation automation;
};

TEST_F(CExcelTest, ANewObjectHasAnEmptyTargetAtOneOneAndTakesTheUsersLocale)
{
    const std::string saved = std::setlocale(LC_ALL, nullptr);
#ifdef _WIN32
    // Windows takes the user's locale from the system, not the environment.
    const std::string users = std::setlocale(LC_NUMERIC, "");
    std::setlocale(LC_ALL, "C");
#else
    const char* environment = std::getenv("LC_ALL");
    const std::optional<std::string> savedEnvironment =
        environment ? std::optional<std::string>(environment) : std::nullopt;
    setEnvironment("LC_ALL", decimalCommaLocale);
    const std::string users = decimalCommaLocale;
#endif
    {
        CExcel excel;
        EXPECT_EQ(excel.GetWorkbookName(), "");
        EXPECT_EQ(excel.GetWorksheetName(), "");
        EXPECT_EQ(excel.GetWorkbookIndex(), 1);
        EXPECT_EQ(excel.GetWorksheetIndex(), 1);
        EXPECT_EQ(std::setlocale(LC_NUMERIC, nullptr), users);
    }
#ifndef _WIN32
    setEnvironment("LC_ALL", savedEnvironment ? savedEnvironment->c_str() : nullptr);
#endif
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_TRUE(spreadsheet->log.empty()) << "construction must not touch the application";
}

TEST_F(CExcelTest, CellReferencesClampToA1ThroughIV65536)
{
    const struct {
        std::int32_t column, row;
        const char* reference;
    } cases[] = {
        {1, 1, "A1"},         {26, 3, "Z3"},        {27, 10, "AA10"},      {52, 1, "AZ1"},
        {53, 2, "BA2"},       {256, 65536, "IV65536"}, {0, 0, "A1"},       {-5, 7, "A7"},
        {257, 1, "IV1"},      {300, 1, "IV1"},      {702, 5, "IV5"},       {1, 65537, "A65536"},
        {INT_MIN, INT_MAX, "A65536"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CExcelAutomation::CellReference(c.column, c.row), c.reference)
            << c.column << "," << c.row;
}

TEST_F(CExcelTest, BindingMakesTheApplicationVisibleAndLaunchingNeedsARunningOrStartable)
{
    EXPECT_EQ(automation.AttachRunning(), 1);
    EXPECT_TRUE(spreadsheet->visible);
    EXPECT_TRUE(spreadsheet->screenUpdating);
    EXPECT_EQ(spreadsheet->liveHandles, 1);

    spreadsheet->running = false;
    spreadsheet->log.clear();
    EXPECT_EQ(automation.AttachRunning(), 0);
    EXPECT_EQ(spreadsheet->liveHandles, 1) << "a failed binding changes nothing";

    wxTEST_DIALOG(EXPECT_EQ(automation.IsExcelRunning(), 0), ExpectMessage(message1002));
    EXPECT_EQ(spreadsheet->log, (Calls{"AttachRunning", "IsRunning"}));

    spreadsheet->visible = false;
    EXPECT_EQ(automation.AttachOrLaunch(true), 1);
    EXPECT_TRUE(spreadsheet->running);
    EXPECT_TRUE(spreadsheet->visible);

    spreadsheet->running = false;
    spreadsheet->canLaunch = false;
    wxTEST_DIALOG(EXPECT_EQ(automation.AttachOrLaunch(true), 0), ExpectMessage(message1001));
}

TEST_F(CExcelTest, FindingWorkbooksAndWorksheetsByExactName)
{
    openTwoWorkbooks();
    EXPECT_EQ(automation.FindWorkbook("結果.xls"), 2);
    EXPECT_EQ(spreadsheet->liveHandles, 1) << "left bound for the caller";
    EXPECT_EQ(automation.FindWorksheet("結果.xls", "Sheet3"), 3);

    wxTEST_DIALOG(EXPECT_EQ(automation.FindWorkbook("book1"), 0),
                  ExpectDialog<wxMessageDialog>([](wxMessageDialog& box) {
                      EXPECT_EQ(box.GetMessage().utf8_string(), message1004);
                      EXPECT_EQ(box.GetTitle().utf8_string(), "SX-4810k用アクセサリーソフトウェア");
                      EXPECT_EQ(box.GetMessageDialogStyle() & (wxICON_MASK | wxOK | wxCANCEL),
                                wxICON_ERROR | wxOK);
                      return wxID_OK;
                  }));
    wxTEST_DIALOG(EXPECT_EQ(automation.FindWorksheet("Book1", "sheet1"), 0),
                  ExpectMessage(message1003));
    // A missing workbook is reported once, by the workbook lookup.
    wxTEST_DIALOG(EXPECT_EQ(automation.FindWorksheet("Book9", "Sheet1"), -1),
                  ExpectMessage(message1004));
    EXPECT_EQ(spreadsheet->liveHandles, 0);

    spreadsheet->closeWorkbook("Book1");
    spreadsheet->closeWorkbook("結果.xls");
    EXPECT_EQ(automation.FindWorkbook("Book1"), -1) << "no workbook open: no message";
    EXPECT_EQ(automation.FindWorksheet("Book1", "Sheet1"), -1);

    spreadsheet->running = false;
    wxTEST_DIALOG(EXPECT_EQ(automation.FindWorkbook("Book1"), -1), ExpectMessage(message1002));
    wxTEST_DIALOG(EXPECT_EQ(automation.FindWorksheet("Book1", "Sheet1"), -1),
                  ExpectMessage(message1002));
}

TEST_F(CExcelTest, SelectingRemembersTheTargetAndActivatesIt)
{
    openTwoWorkbooks();
    spreadsheet->addWorkbook("Book3", {"Sheet1"});
    EXPECT_EQ(automation.SelectWorksheet("結果.xls", "Sheet2"), 1);
    EXPECT_EQ(automation.workbookName(), "結果.xls");
    EXPECT_EQ(automation.worksheetName(), "Sheet2");
    EXPECT_EQ(automation.workbookIndex(), 2);
    EXPECT_EQ(automation.worksheetIndex(), 2);
    EXPECT_EQ(spreadsheet->activeWorkbook, spreadsheet->workbook("結果.xls"));
    EXPECT_EQ(spreadsheet->activeWorkbook->activeWorksheet, spreadsheet->worksheet("結果.xls", "Sheet2"));
    EXPECT_EQ(spreadsheet->liveHandles, 0);
    EXPECT_EQ(spreadsheet->liveHandles, 0);
}

TEST_F(CExcelTest, AFailedSelectionKeepsWhatItRememberedUpToTheFailingLookup)
{
    struct Case {
        const char* what;
        std::function<void(sheetwire::MemorySpreadsheet&)> arrange;
        const char* workbook;
        const char* worksheet;
        const char* message; // null: none
        std::string workbookName, worksheetName;
        std::int32_t workbookIndex, worksheetIndex;
    };
    const Case cases[] = {
        {"workbook not open", {}, "Book9", "Sheet1", message1004, "Book9", "Sheet2", 0, 2},
        {"worksheet not in it", {}, "Book1", "Sheet9", message1003, "Book1", "Sheet9", 1, 0},
        {"no workbook open",
         [](auto& s) {
             s.closeWorkbook("Book1");
             s.closeWorkbook("結果.xls");
         },
         "Book1", "Sheet1", nullptr, "Book1", "Sheet2", -1, 2},
        {"not running", [](auto& s) { s.running = false; }, "Book1", "Sheet1", message1002,
         "結果.xls", "Sheet2", 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        spreadsheet = sheetwire::MemorySpreadsheet::create();
        sheetwire::setAutomationBackend(spreadsheet);
        openTwoWorkbooks();
        CExcelAutomation target;
        ASSERT_EQ(target.SelectWorksheet("結果.xls", "Sheet2"), 1);
        if (c.arrange)
            c.arrange(*spreadsheet);
        if (c.message) {
            wxTEST_DIALOG(EXPECT_EQ(target.SelectWorksheet(c.workbook, c.worksheet), 0),
                          ExpectMessage(c.message));
        } else {
            EXPECT_EQ(target.SelectWorksheet(c.workbook, c.worksheet), 0);
        }
        EXPECT_EQ(target.workbookName(), c.workbookName);
        EXPECT_EQ(target.worksheetName(), c.worksheetName);
        EXPECT_EQ(target.workbookIndex(), c.workbookIndex);
        EXPECT_EQ(target.worksheetIndex(), c.worksheetIndex);
        EXPECT_EQ(spreadsheet->liveHandles, 0);
    }
}

// --- SetValue -----------------------------------------------------------------

TEST_F(CExcelTest, SetValueWritesEachEncodingIntoTheSelectedCell)
{
    selectTarget();
    EXPECT_EQ(automation.SetValue(7, 3, 4, 2, 1, 0), 1);
    EXPECT_EQ(automation.SetValue(2.5, 3, 5, 2, 1, 0), 1);
    EXPECT_EQ(automation.SetValue(0.1f, 3, 6, 2, 1, 0), 1);
    EXPECT_EQ(automation.SetValue(std::string("ｻﾝﾌﾟﾙ"), 3, 7, 2, 1, 0), 1);
    EXPECT_EQ(cell("結果.xls", "測定", "C4")->value, CellValue(7));
    EXPECT_EQ(cell("結果.xls", "測定", "C5")->value, CellValue(2.5));
    EXPECT_EQ(cell("結果.xls", "測定", "C6")->value, CellValue(std::string("0.100000")));
    EXPECT_EQ(cell("結果.xls", "測定", "C7")->value, CellValue(std::string("ｻﾝﾌﾟﾙ")));
    const auto sheet = spreadsheet->worksheet("結果.xls", "測定");
    EXPECT_EQ(sheet->activeColumn, 3) << "the cell cursor follows the output";
    EXPECT_EQ(sheet->activeRow, 7);
    EXPECT_TRUE(sheet->autoFitColumns.empty());
    EXPECT_EQ(spreadsheet->liveHandles, 0);
}

TEST_F(CExcelTest, SetValueFitsTheColumnOnlyWhenTheFlagIsOne)
{
    selectTarget();
    const auto sheet = spreadsheet->worksheet("結果.xls", "測定");
    for (const int flag : {0, 2, -1}) {
        EXPECT_EQ(automation.SetValue(1, 2, 1, 2, 1, flag), 1);
        EXPECT_TRUE(sheet->autoFitColumns.empty()) << "flag " << flag;
    }
    EXPECT_EQ(automation.SetValue(1, 2, 1, 2, 1, 1), 1);
    EXPECT_EQ(sheet->autoFitColumns, (std::set<std::int32_t>{2}));
}

TEST_F(CExcelTest, SetValueBindsOnceForNameChecksSelectWriteAndFitThenFlushes)
{
    selectTarget();
    ASSERT_EQ(automation.SetValue(7, 3, 4, 2, 1, 1), 1);
    const Calls expected = join({
        {"IsRunning"}, attach,
        findSecondWorkbook,
        findSecondWorkbook,
        {"Application.Workbooks", "Workbooks.Item(2)", "Workbook.Worksheets", "Worksheets.Count",
         "Worksheets.Item(1)", "Worksheet.Name"},
        bringSecondFirstForward,
        {"Worksheet.Range(C4,C4)", "Range.Select", "Range.Value=int 7"},
        {"Range.EntireColumn", "Range.AutoFit"},
        finish,
    });
    EXPECT_EQ(spreadsheet->log, expected);
}

// The application selects a cell only on the active worksheet of the active
// workbook, and the operator may have clicked another worksheet or workbook
// since the last write: each write brings the target forward, once, and
// only what is not active already.
TEST_F(CExcelTest, AWriteBringsTheTargetForwardWhereverTheUserClickedMeanwhile)
{
    selectTarget();
    using Click = std::pair<const char*, const char*>;
    const struct {
        const char* what;
        std::vector<Click> clicks;
        Calls activations;
    } cases[] = {
        {"nothing clicked", {}, {}},
        {"another worksheet", {{"結果.xls", "Sheet3"}}, {"Worksheet.Activate"}},
        {"another workbook", {{"Book1", "Sheet2"}}, {"Workbook.Activate"}},
        {"another worksheet, then another workbook",
         {{"結果.xls", "Sheet2"}, {"Book1", "Sheet1"}},
         {"Workbook.Activate", "Worksheet.Activate"}},
    };
    const auto activations = [&] {
        Calls found;
        for (const auto& call : spreadsheet->log)
            if (call.ends_with(".Activate"))
                found.push_back(call);
        return found;
    };
    const double values[] = {1.5, 2.5, 3.5};
    std::int32_t row = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const bool run : {false, true}) {
            SCOPED_TRACE(run ? "SetArrayValue" : "SetValue");
            for (const auto& [workbook, worksheet] : c.clicks)
                spreadsheet->activate(workbook, worksheet);
            spreadsheet->log.clear();
            ASSERT_EQ(run ? automation.SetArrayValue(values, 3, 1, row, 2, 1, 0, 1)
                          : automation.SetValue(7, 1, row, 2, 1, 1),
                      1);
            EXPECT_EQ(activations(), c.activations);
            const auto reference = [row](const char* column) { return column + std::to_string(row); };
            ASSERT_NE(cell("結果.xls", "測定", reference("A")), nullptr);
            EXPECT_EQ(cell("結果.xls", "測定", reference("A"))->value,
                      run ? CellValue(1.5) : CellValue(7));
            if (run) {
                EXPECT_EQ(cell("結果.xls", "測定", reference("C"))->value, CellValue(3.5));
            }
            EXPECT_EQ(spreadsheet->activeWorkbook, spreadsheet->workbook("結果.xls"));
            EXPECT_EQ(spreadsheet->activeWorkbook->activeWorksheet,
                      spreadsheet->worksheet("結果.xls", "測定"));
            EXPECT_EQ(spreadsheet->liveHandles, 0);
            ++row;
        }
    }
    for (const auto& [workbook, worksheet] :
         {Click{"結果.xls", "Sheet2"}, Click{"結果.xls", "Sheet3"}, Click{"Book1", "Sheet1"},
          Click{"Book1", "Sheet2"}})
        EXPECT_TRUE(spreadsheet->worksheet(workbook, worksheet)->cells.empty()) << worksheet;
}

TEST_F(CExcelTest, SetValueWritesNothingWhenTheTargetIsNotWhereTheCallerSays)
{
    struct Case {
        const char* what;
        bool selectFirst;
        std::function<void(sheetwire::MemorySpreadsheet&)> arrange;
        std::int32_t workbookIndex, worksheetIndex;
        const char* message; // null: none
    };
    const Case cases[] = {
        {"never selected, workbooks open", false, {}, 1, 1, message1004},
        {"never selected, no workbook open", false,
         [](auto& s) {
             s.closeWorkbook("Book1");
             s.closeWorkbook("結果.xls");
         },
         1, 1, nullptr},
        {"not running", true, [](auto& s) { s.running = false; }, 2, 1, message1002},
        {"selected workbook closed", true, [](auto& s) { s.closeWorkbook("結果.xls"); }, 2, 1,
         message1004},
        {"an earlier workbook closed, target moved to 1", true,
         [](auto& s) { s.closeWorkbook("Book1"); }, 2, 1, nullptr},
        {"selected worksheet deleted", true,
         [](auto& s) {
             auto book = s.workbook("結果.xls");
             book->worksheets.erase(book->worksheets.begin());
         },
         2, 1, message1003},
        {"worksheet asked at another position", true, {}, 2, 2, nullptr},
        {"workbook asked at another position", true, {}, 1, 1, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        spreadsheet = sheetwire::MemorySpreadsheet::create();
        sheetwire::setAutomationBackend(spreadsheet);
        openTwoWorkbooks();
        CExcelAutomation target;
        if (c.selectFirst) {
            ASSERT_EQ(target.SelectWorksheet("結果.xls", "測定"), 1);
        }
        if (c.arrange)
            c.arrange(*spreadsheet);
        if (c.message) {
            wxTEST_DIALOG(EXPECT_EQ(target.SetValue(5, 1, 1, c.workbookIndex, c.worksheetIndex, 1), 0),
                          ExpectMessage(c.message));
        } else {
            EXPECT_EQ(target.SetValue(5, 1, 1, c.workbookIndex, c.worksheetIndex, 1), 0);
        }
        for (const auto& book : spreadsheet->workbooks)
            for (const auto& sheet : book->worksheets)
                EXPECT_TRUE(sheet->cells.empty()) << book->name << "/" << sheet->name;
        EXPECT_EQ(spreadsheet->liveHandles, 0);
        if (c.selectFirst) {
            EXPECT_EQ(target.workbookIndex(), 2) << "a failed write keeps the target";
        }
    }
}

TEST_F(CExcelTest, AFloatIsWrittenAsTextWithTheDecimalSeparatorOfTheProcessLocale)
{
    selectTarget();
    {
        NumericLocale comma(decimalCommaLocale);
        EXPECT_EQ(automation.SetValue(0.1f, 1, 1, 2, 1, 0), 1);
        const float run[] = {0.5f, -2.0f};
        EXPECT_EQ(automation.SetArrayValue(run, 2, 1, 2, 2, 1, 0, 0), 1);
    }
    EXPECT_EQ(cell("結果.xls", "測定", "A1")->value, CellValue(std::string("0,100000")));
    EXPECT_EQ(cell("結果.xls", "測定", "A2")->value, CellValue(std::string("0,500000")));
    EXPECT_EQ(cell("結果.xls", "測定", "B2")->value, CellValue(std::string("-2,000000")));

    NumericLocale point("C");
    EXPECT_EQ(automation.SetValue(0.1f, 1, 1, 2, 1, 0), 1);
    EXPECT_EQ(cell("結果.xls", "測定", "A1")->value, CellValue(std::string("0.100000")));
}

// --- SetArrayValue ------------------------------------------------------------

TEST_F(CExcelTest, SetArrayValueRunsAcrossOrDownAndFitsTheColumnsItWrote)
{
    const int values[] = {10, 20, 30};
    const struct {
        int count, down, autoFit;
        std::vector<std::string> cells;
        std::set<std::int32_t> fitted;
    } cases[] = {
        {3, 0, 1, {"B5", "C5", "D5"}, {2, 3, 4}},
        {3, 1, 1, {"B5", "B6", "B7"}, {2}},
        {3, 2, 1, {"B5", "C5", "D5"}, {2, 3, 4}},
        {3, 1, 0, {"B5", "B6", "B7"}, {}},
        {3, 0, 2, {"B5", "C5", "D5"}, {}},
        {0, 0, 1, {}, {2}},
        {-1, 1, 1, {}, {2}},
    };
    openTwoWorkbooks();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "count " << c.count << " down " << c.down
                                        << " autoFit " << c.autoFit);
        const auto sheet = spreadsheet->worksheet("Book1", "Sheet2");
        sheet->cells.clear();
        sheet->autoFitColumns.clear();
        EXPECT_EQ(automation.SetArrayValue(values, c.count, 2, 5, 1, 2, c.down, c.autoFit), 1);
        ASSERT_EQ(sheet->cells.size(), c.cells.size());
        for (std::size_t i = 0; i < c.cells.size(); ++i) {
            ASSERT_NE(sheet->cell(c.cells[i]), nullptr) << c.cells[i];
            EXPECT_EQ(sheet->cell(c.cells[i])->value, CellValue(values[i])) << c.cells[i];
        }
        EXPECT_EQ(sheet->autoFitColumns, c.fitted);
        EXPECT_EQ(spreadsheet->liveHandles, 0);
    }
}

TEST_F(CExcelTest, SetArrayValueWritesEachEncodingWithoutANameCheck)
{
    openTwoWorkbooks();
    const double doubles[] = {0.25};
    const float floats[] = {1.5f};
    const std::string texts[] = {"L*"};
    EXPECT_EQ(automation.SetArrayValue(doubles, 1, 1, 1, 1, 1, 0, 0), 1);
    EXPECT_EQ(automation.SetArrayValue(floats, 1, 1, 2, 1, 1, 0, 0), 1);
    EXPECT_EQ(automation.SetArrayValue(texts, 1, 1, 3, 1, 1, 0, 0), 1);
    EXPECT_EQ(cell("Book1", "Sheet1", "A1")->value, CellValue(0.25));
    EXPECT_EQ(cell("Book1", "Sheet1", "A2")->value, CellValue(std::string("1.500000")));
    EXPECT_EQ(cell("Book1", "Sheet1", "A3")->value, CellValue(std::string("L*")));

    // After the user closed an earlier workbook the same positions reach
    // whatever workbook is there now.
    spreadsheet->closeWorkbook("Book1");
    EXPECT_EQ(automation.SetArrayValue(doubles, 1, 1, 1, 1, 1, 0, 0), 1);
    EXPECT_EQ(cell("結果.xls", "測定", "A1")->value, CellValue(0.25));
}

// --- range operations -----------------------------------------------------------

TEST_F(CExcelTest, AlignmentCodesBecomeTheApplicationsConstants)
{
    const struct {
        std::int32_t horizontal, vertical;
        std::int16_t expectedHorizontal, expectedVertical;
    } cases[] = {
        {1, 1, -4108, -4108}, {2, 2, -4152, -4107}, {3, 3, -4131, -4160},
        {0, 0, 1, -4107},     {4, -1, 1, -4107},    {2, 1, -4152, -4108},
    };
    openTwoWorkbooks();
    for (const auto& c : cases) {
        EXPECT_EQ(automation.SetCellAlignment(c.horizontal, c.vertical, 1, 1, 2, 2, 1, 1), 1);
        for (const char* reference : {"A1", "B2"}) {
            const auto* formatted = cell("Book1", "Sheet1", reference);
            EXPECT_EQ(formatted->horizontalAlignment, c.expectedHorizontal) << c.horizontal;
            EXPECT_EQ(formatted->verticalAlignment, c.expectedVertical) << c.vertical;
        }
    }
}

TEST_F(CExcelTest, RangeOperationsFormatTheRectangleBetweenTheCorners)
{
    openTwoWorkbooks();
    const auto sheet = spreadsheet->worksheet("結果.xls", "Sheet2");
    EXPECT_EQ(automation.SetCellFont(4, 3, 2, 2, 2, 2, 3), 1);
    EXPECT_EQ(automation.SetCellInterior(2, 2, 4, 3, 2, 2, 36, 1), 1);
    EXPECT_EQ(automation.SetCellBorderAround(2, 2, 4, 3, 1, -4138, 5, 0xFF8000, 2, 2), 1);
    EXPECT_EQ(automation.SetCellAutoWidth(2, 2, 4, 3, 2, 2), 1);

    EXPECT_EQ(sheet->cells.size(), 6u);
    for (const char* reference : {"B2", "C2", "D2", "B3", "C3", "D3"}) {
        EXPECT_EQ(sheet->cell(reference)->fontColorIndex, 3) << reference;
        EXPECT_EQ(sheet->cell(reference)->interiorColorIndex, 36) << reference;
        EXPECT_EQ(sheet->cell(reference)->interiorPattern, 1) << reference;
    }
    ASSERT_EQ(sheet->borders.size(), 1u);
    const auto& border = sheet->borders.front();
    EXPECT_EQ(std::tie(border.firstColumn, border.firstRow, border.lastColumn, border.lastRow),
              std::make_tuple(2, 2, 4, 3));
    EXPECT_EQ(border.lineStyle, 1);
    EXPECT_EQ(border.weight, -4138);
    EXPECT_EQ(border.colorIndex, 5);
    EXPECT_EQ(border.color, 0xFF8000) << "an RGB colour keeps all its bits";
    EXPECT_EQ(sheet->autoFitColumns, (std::set<std::int32_t>{2, 3, 4}));
    EXPECT_EQ(spreadsheet->liveHandles, 0);
}

TEST_F(CExcelTest, SetCellInteriorCallsInOrder)
{
    openTwoWorkbooks();
    ASSERT_EQ(automation.SetCellInterior(2, 2, 4, 3, 2, 1, 36, 1), 1);
    EXPECT_EQ(spreadsheet->log,
              join({attach, resolveSecondFirst,
                    {"Worksheet.Range(B2,D3)", "Range.Interior", "Interior.ColorIndex=36",
                     "Interior.Pattern=1"},
                    finish}));
}

TEST_F(CExcelTest, WithoutARunningApplicationTheCellOperationsReturnZeroSilently)
{
    openTwoWorkbooks();
    spreadsheet->running = false;
    const int values[] = {1};
    const std::function<int()> operations[] = {
        [&] { return automation.SetArrayValue(values, 1, 1, 1, 1, 1, 0, 1); },
        [&] { return automation.SetCellAlignment(1, 1, 1, 1, 1, 1, 1, 1); },
        [&] { return automation.SetCellBorderAround(1, 1, 1, 1, 1, 2, 3, 4, 1, 1); },
        [&] { return automation.SetCellFont(1, 1, 1, 1, 1, 1, 0); },
        [&] { return automation.SetCellInterior(1, 1, 1, 1, 1, 1, 15, 1); },
        [&] { return automation.SetCellAutoWidth(1, 1, 1, 1, 1, 1); },
        [&] { return automation.GetCellActiveRow(1, 1); },
        [&] { return automation.GetCellActiveColumn(1, 1); },
        [&] { return automation.QuitExcel(); },
    };
    for (const auto& operation : operations)
        EXPECT_EQ(operation(), 0);
}

// An application is kept alive by every reference held on it: an operation
// left by its error holds none.
TEST_F(CExcelTest, PositionsBeyondTheCollectionsRaiseAndLetGoOfTheApplication)
{
    openTwoWorkbooks();
    const int values[] = {1};
    const struct {
        const char* what;
        std::function<void()> operation;
    } cases[] = {
        {"workbook 3 of 2", [&] { automation.SetArrayValue(values, 1, 1, 1, 3, 1, 0, 0); }},
        {"worksheet 4 of 3", [&] { automation.SetCellFont(1, 1, 1, 1, 1, 4, 0); }},
        {"workbook 0", [&] { automation.SetCellInterior(1, 1, 1, 1, 0, 1, 15, 1); }},
        {"count 0 still looks up", [&] { automation.SetArrayValue(values, 0, 1, 1, 1, 9, 0, 0); }},
        {"active cell", [&] { automation.GetCellActiveRow(5, 1); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_THROW(c.operation(), AutomationError);
        EXPECT_EQ(spreadsheet->liveHandles, 0);
    }
    try {
        automation.SetCellAutoWidth(1, 1, 1, 1, 1, 4);
        ADD_FAILURE() << "no error raised";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.detail(), "Worksheets.Item(4): index 4 is out of range (Count 3)");
        EXPECT_EQ(error.failure(), sheetwire::AutomationFailure::NoSuchItem);
        EXPECT_STREQ(error.what(), "指定したワークブックまたはワークシートが見つかりません。");
    }
    // The next operation binds afresh.
    EXPECT_EQ(automation.SetCellAutoWidth(1, 1, 1, 1, 1, 3), 1);
    EXPECT_EQ(spreadsheet->liveHandles, 0);
}

TEST_F(CExcelTest, TheActiveCellQueriesActivateTheWorksheetFirst)
{
    openTwoWorkbooks();
    const auto sheet = spreadsheet->worksheet("Book1", "Sheet3");
    sheet->activeColumn = 6;
    sheet->activeRow = 12;
    EXPECT_EQ(automation.GetCellActiveRow(1, 3), 12);
    EXPECT_EQ(automation.GetCellActiveColumn(1, 3), 6);
    EXPECT_EQ(spreadsheet->activeWorkbook->activeWorksheet, sheet);
    EXPECT_EQ(spreadsheet->liveHandles, 0);
}

TEST_F(CExcelTest, TheFirstFreeRowIsBelowTheUsedRangeAndOneOnAnEmptyWorksheet)
{
    // A cell with a value, or without one (nullopt) but with a format of its
    // own, as the destination check leaves A1.
    using Cells = std::vector<std::pair<std::string, std::optional<CellValue>>>;
    const struct {
        const char* what;
        Cells cells;
        std::int32_t firstFreeRow;
    } cases[] = {
        {"empty", {}, 1},
        {"A1 only formatted", {{"A1", std::nullopt}}, 1},
        {"a value in A1", {{"A1", CellValue(7)}}, 2},
        {"a text in A1", {{"A1", CellValue(std::string("x"))}}, 2},
        {"A1:B5 filled", {{"A1", CellValue(1)}, {"B5", CellValue(2.5)}}, 6},
        {"one cell far down", {{"C10", CellValue(std::string("memo"))}}, 11},
        {"values below a formatted A1", {{"A1", std::nullopt}, {"D12", CellValue(3)}}, 13},
        {"a formatted cell with no value", {{"B3", std::nullopt}}, 4},
    };
    openTwoWorkbooks();
    const auto sheet = spreadsheet->worksheet("Book1", "Sheet2");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sheet->cells.clear();
        for (const auto& [reference, value] : c.cells) {
            auto& cell = sheet->cells[{reference[0] - 'A' + 1, std::stoi(reference.substr(1))}];
            if (value)
                cell.value = value;
            else
                cell.fontColorIndex = 0;
        }
        EXPECT_EQ(automation.GetFirstFreeRow(1, 2), c.firstFreeRow);
        EXPECT_EQ(spreadsheet->liveHandles, 0);
    }
    // Asked of the worksheet's used range, nothing else looked at or written.
    sheet->cells.clear();
    spreadsheet->log.clear();
    EXPECT_EQ(CExcel().GetFirstFreeRow(1, 2), 1);
    EXPECT_EQ(spreadsheet->log,
              join({attach,
                    {"Application.Workbooks", "Workbooks.Item(1)", "Workbook.Worksheets",
                     "Worksheets.Item(2)", "Worksheet.UsedRange", "Range.Address", "Range.Formula"},
                    finish}));
    EXPECT_TRUE(sheet->cells.empty());

    spreadsheet->running = false;
    EXPECT_EQ(automation.GetFirstFreeRow(1, 2), 0);
}

// --- workbook and worksheet management -------------------------------------------

TEST_F(CExcelTest, AddingAWorkbookStartsTheApplicationWhenNeeded)
{
    spreadsheet->running = false;
    EXPECT_EQ(automation.AddWorkbook(), 1);
    EXPECT_TRUE(spreadsheet->running);
    EXPECT_TRUE(spreadsheet->visible);
    EXPECT_EQ(spreadsheet->workbookNames(), (std::vector<std::string>{"Book1"}));
    EXPECT_EQ(spreadsheet->liveHandles, 0) << "nothing keeps the application between operations";

    EXPECT_EQ(automation.AddWorkbook(), 1);
    EXPECT_EQ(spreadsheet->workbookNames(), (std::vector<std::string>{"Book1", "Book2"}));

    spreadsheet->running = false;
    spreadsheet->canLaunch = false;
    wxTEST_DIALOG(EXPECT_EQ(automation.AddWorkbook(), 0), ExpectMessage(message1001));
}

TEST_F(CExcelTest, OpeningAWorkbookAsksForTheFileFirst)
{
    const std::string path = spreadsheetFile("測定.ods", {"Sheet1", "Sheet2"});
    spreadsheet->running = false;
    wxTEST_DIALOG(EXPECT_EQ(automation.OpenWorkbook(), 1),
                  ExpectDialog<wxFileDialog>([&](wxFileDialog& chooser) {
                      EXPECT_EQ(chooser.GetMessage().utf8_string(), "Excel ファイルを開く");
                      EXPECT_TRUE(chooser.GetWildcard().StartsWith("Spreadsheet File(*.ods;*.xlsx;*.xls)|*.ods;*.xlsx;*.xls|"));
                      EXPECT_TRUE(chooser.GetWildcard().EndsWith("|*.*"));
                      chooser.SetPath(wxString::FromUTF8(path));
                      // The chooser takes the file once it has read its folder.
                      EXPECT_TRUE(pumpUntil([&] { return !chooser.GetPath().empty(); }));
                      return wxID_OK;
                  }));
    EXPECT_EQ(spreadsheet->workbookNames(), (std::vector<std::string>{"測定.ods"}));
    EXPECT_EQ(spreadsheet->workbook("測定.ods")->worksheetNames(),
              (std::vector<std::string>{"Sheet1", "Sheet2"}));
    EXPECT_EQ(spreadsheet->liveHandles, 0);

    spreadsheet->log.clear();
    wxTEST_DIALOG(EXPECT_EQ(automation.OpenWorkbook(), 0), ExpectDialog<wxFileDialog>([](wxFileDialog&) { return wxID_CANCEL; }));
    EXPECT_TRUE(spreadsheet->log.empty()) << "cancelled before binding";
}

TEST_F(CExcelTest, ClosingAWorkbookSavesChangesAsAsked)
{
    openTwoWorkbooks();
    EXPECT_EQ(automation.CloseWorkbook("Book1", 1), 1);
    EXPECT_EQ(spreadsheet->workbookNames(), (std::vector<std::string>{"結果.xls"}));
    EXPECT_NE(std::find(spreadsheet->log.begin(), spreadsheet->log.end(), "Workbook.Close(1)"),
              spreadsheet->log.end());
    EXPECT_EQ(spreadsheet->liveHandles, 0);

    wxTEST_DIALOG(EXPECT_EQ(automation.CloseWorkbook("Book1", 1), 0), ExpectMessage(message1004));
    spreadsheet->running = false;
    EXPECT_EQ(automation.CloseWorkbook("結果.xls", 1), 0);
}

TEST_F(CExcelTest, AddingAWorksheetInsertsBeforeTheNamedOneAndDeletingRemovesIt)
{
    openTwoWorkbooks();
    EXPECT_EQ(automation.AddWorksheet("結果.xls", "Sheet2"), 1);
    const auto book = spreadsheet->workbook("結果.xls");
    EXPECT_EQ(book->worksheetNames(), (std::vector<std::string>{"測定", "Sheet4", "Sheet2", "Sheet3"}));
    EXPECT_EQ(book->activeWorksheet->name, "Sheet4");

    EXPECT_EQ(automation.DeleteWorksheet("結果.xls", "測定"), 1);
    EXPECT_EQ(book->worksheetNames(), (std::vector<std::string>{"Sheet4", "Sheet2", "Sheet3"}));
    EXPECT_EQ(spreadsheet->liveHandles, 0);

    wxTEST_DIALOG(EXPECT_EQ(automation.AddWorksheet("結果.xls", "測定"), 0),
                  ExpectMessage(message1003));
    wxTEST_DIALOG(EXPECT_EQ(automation.DeleteWorksheet("Book9", "Sheet1"), 0),
                  ExpectMessage(message1004));
    spreadsheet->running = false;
    wxTEST_DIALOG(EXPECT_EQ(automation.DeleteWorksheet("結果.xls", "Sheet2"), 0),
                  ExpectMessage(message1002));
    EXPECT_EQ(spreadsheet->liveHandles, 0);
}

TEST_F(CExcelTest, QuittingEndsTheApplication)
{
    openTwoWorkbooks();
    EXPECT_EQ(automation.QuitExcel(), 1);
    EXPECT_FALSE(spreadsheet->running);
    EXPECT_TRUE(spreadsheet->workbooks.empty());
    EXPECT_EQ(spreadsheet->liveHandles, 0);
}

TEST_F(CExcelTest, CExcelForwardsToItsAutomation)
{
    openTwoWorkbooks();
    CExcel excel;
    // Nothing selected yet: the empty workbook name is not open.
    wxTEST_DIALOG(EXPECT_EQ(excel.SetValue(1, 1, 1, 1, 1, 0), 0), ExpectMessage(message1004));
    const int ints[] = {4, 5};
    EXPECT_EQ(excel.SetArrayValue(ints, 2, 1, 1, 1, 1, 1, 0), 1);
    EXPECT_EQ(excel.SetCellFont(1, 1, 1, 2, 1, 1, 0), 1);
    EXPECT_EQ(excel.GetCellActiveRow(1, 1), 2);
    EXPECT_EQ(excel.GetCellActiveColumn(1, 1), 1);
    EXPECT_EQ(cell("Book1", "Sheet1", "A2")->value, CellValue(5));
    EXPECT_EQ(cell("Book1", "Sheet1", "A2")->fontColorIndex, 0);
    EXPECT_EQ(spreadsheet->liveHandles, 0);
}

// --- rows, the target's whereabouts ------------------------------------------

TEST_F(CExcelTest, InARowTheFitsWaitForItsEndAndEachColumnWrittenIsFittedOnce)
{
    selectTarget();
    const auto sheet = spreadsheet->worksheet("結果.xls", "測定");
    const double values[] = {1.5, 2.5, 3.5};

    automation.BeginRow();
    ASSERT_EQ(automation.SetValue(std::string("a"), 1, 4, 2, 1, 1), 1);
    ASSERT_EQ(automation.SetValue(std::string("b"), 2, 4, 2, 1, 1), 1);
    ASSERT_EQ(automation.SetArrayValue(values, 3, 3, 4, 2, 1, 0, 1), 1);
    ASSERT_EQ(automation.SetValue(std::string("c"), 9, 4, 2, 1, 1), 1);
    ASSERT_EQ(automation.SetValue(std::string("d"), 2, 4, 2, 1, 1), 1);
    // Each write is delivered by itself all the same.
    EXPECT_EQ(cell("結果.xls", "測定", "E4")->value, CellValue(3.5));
    EXPECT_EQ(std::count(spreadsheet->log.begin(), spreadsheet->log.end(), "Application.Flush"), 5);
    EXPECT_TRUE(sheet->autoFitColumns.empty());
    spreadsheet->log.clear();

    automation.EndRow();
    EXPECT_EQ(sheet->autoFitColumns, (std::set<std::int32_t>{1, 2, 3, 4, 5, 9}));
    const Calls expected = join({attach,
                                 resolveSecondFirst,
                                 {"Worksheet.Range(A1,E1)", "Range.EntireColumn", "Range.AutoFit"},
                                 resolveSecondFirst,
                                 {"Worksheet.Range(I1,I1)", "Range.EntireColumn", "Range.AutoFit"},
                                 finish});
    EXPECT_EQ(spreadsheet->log, expected) << "one fit for each run of neighbouring columns";

    // Outside a row the fit comes with the write again.
    sheet->autoFitColumns.clear();
    ASSERT_EQ(automation.SetValue(std::string("e"), 7, 5, 2, 1, 1), 1);
    EXPECT_EQ(sheet->autoFitColumns, (std::set<std::int32_t>{7}));
}

TEST_F(CExcelTest, NestedRowsFitAtTheOutermostEndAndAnAbandonedRowFitsNothing)
{
    selectTarget();
    const auto sheet = spreadsheet->worksheet("結果.xls", "測定");
    automation.BeginRow();
    automation.BeginRow();
    ASSERT_EQ(automation.SetValue(1, 2, 2, 2, 1, 1), 1);
    automation.EndRow();
    EXPECT_TRUE(sheet->autoFitColumns.empty());
    automation.EndRow();
    EXPECT_EQ(sheet->autoFitColumns, (std::set<std::int32_t>{2}));

    sheet->autoFitColumns.clear();
    automation.BeginRow();
    ASSERT_EQ(automation.SetValue(1, 3, 2, 2, 1, 1), 1);
    spreadsheet->log.clear();
    automation.AbandonRow();
    automation.EndRow();
    EXPECT_TRUE(sheet->autoFitColumns.empty());
    EXPECT_TRUE(spreadsheet->log.empty()) << "giving a row up does not reach the application";
}

TEST_F(CExcelTest, AFitTheApplicationRefusesAtTheEndOfARowLeavesTheWidthsAndRaisesNothing)
{
    selectTarget();
    automation.BeginRow();
    ASSERT_EQ(automation.SetValue(1, 2, 2, 2, 1, 1), 1);
    spreadsheet->closeWorkbook("結果.xls");
    EXPECT_NO_THROW(automation.EndRow());
    EXPECT_EQ(spreadsheet->liveHandles, 0);

    spreadsheet->addWorkbook("結果.xls", {"測定"});
    automation.BeginRow();
    ASSERT_EQ(automation.SetValue(1, 2, 2, 2, 1, 1), 1);
    spreadsheet->running = false;
    EXPECT_NO_THROW(automation.EndRow());
}

TEST_F(CExcelTest, TheTargetIsAvailableWhileTheSameWorkbookAndWorksheetSitAtItsPositions)
{
    struct Case {
        const char* what;
        std::function<void(sheetwire::MemorySpreadsheet&)> meanwhile;
        std::int32_t workbookIndex, worksheetIndex;
        int available;
    };
    const Case cases[] = {
        {"untouched", {}, 2, 1, 1},
        {"asked at another worksheet", {}, 2, 2, 0},
        {"asked at another workbook", {}, 1, 1, 0},
        {"asked beyond the workbooks", {}, 3, 1, 0},
        {"asked beyond the worksheets", {}, 2, 9, 0},
        {"worksheet renamed", [](auto& s) { s.worksheet("結果.xls", "測定")->name = "改名"; }, 2, 1, 0},
        {"workbook renamed", [](auto& s) { s.workbook("結果.xls")->name = "改名.xls"; }, 2, 1, 0},
        {"workbook closed", [](auto& s) { s.closeWorkbook("結果.xls"); }, 2, 1, 0},
        {"its file opened again",
         [](auto& s) {
             s.closeWorkbook("結果.xls");
             s.addWorkbook("結果.xls", {"測定"});
         },
         2, 1, 1},
        {"a new workbook of its name at its position",
         [](auto& s) {
             s.closeWorkbook("結果.xls");
             s.addWorkbook("結果.xls", {"測定"}, false);
         },
         2, 1, 0},
        {"application ended", [](auto& s) { s.running = false; }, 2, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        spreadsheet = sheetwire::MemorySpreadsheet::create();
        sheetwire::setAutomationBackend(spreadsheet);
        CExcelAutomation fresh;
        openTwoWorkbooks();
        ASSERT_EQ(fresh.SelectWorksheet("結果.xls", "測定"), 1);
        EXPECT_NE(fresh.workbookIdentity(), 0u);
        if (c.meanwhile)
            c.meanwhile(*spreadsheet);
        // Silent: no message box is expected.
        EXPECT_EQ(fresh.IsTargetAvailable(c.workbookIndex, c.worksheetIndex), c.available);
        EXPECT_EQ(spreadsheet->liveHandles, 0);
    }
}

TEST_F(CExcelTest, ASelectionRemembersWhichWorkbookItFound)
{
    openTwoWorkbooks();
    CExcel excel;
    EXPECT_EQ(excel.GetWorkbookIdentity(), 0u);
    ASSERT_EQ(automation.SelectWorksheet("結果.xls", "測定"), 1);
    const auto identity = automation.workbookIdentity();
    EXPECT_EQ(identity, spreadsheet->workbook("結果.xls")->identity);
    EXPECT_NE(identity, spreadsheet->workbook("Book1")->identity);

    // A selection whose workbook is not found forgets it.
    wxTEST_DIALOG(EXPECT_EQ(automation.SelectWorksheet("無い.xls", "測定"), 0),
                  ExpectMessage(message1004));
    EXPECT_EQ(automation.workbookIdentity(), 0u);
}
