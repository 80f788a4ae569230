// SpreadsheetOutput over the in-memory spreadsheet: the next row, the
// remembered destination around the worksheet selection dialog, the
// destination check and the cell operations it passes to CExcel.

#include "SpreadsheetTest.h"

#include <algorithm>

using sheetwire::AutomationError;
using sheetwire::CellValue;
using tonvale::SpreadsheetOutput;

TEST_F(SpreadsheetTest, TheNextRowIsOneAtFirstThenTheRowBelowTheLastOneWritten)
{
    EXPECT_EQ(output.nextRow(), 1);
    const struct {
        std::int32_t lastRow, next;
    } cases[] = {{5, 6}, {1, 2}, {0, 1}, {65535, 65536}};
    for (const auto& c : cases) {
        output.setNextRow(c.lastRow);
        EXPECT_EQ(output.nextRow(), c.next) << "after row " << c.lastRow;
    }
}

TEST_F(SpreadsheetTest, TheFirstSelectionRemembersTheInitialPairAndTheNextCheckTakesTheChoice)
{
    // A first choice is another destination than none, also when it sits at
    // CExcel's initial positions.
    const struct {
        const char* what;
        const char* workbook;
        const char* worksheet;
        bool selected;
        bool same;
        std::int32_t workbookIndex, worksheetIndex;
    } cases[] = {
        {"another worksheet", "結果.xls", "Sheet2", true, false, 2, 2},
        {"the initial positions", "Book1", "Sheet1", true, false, 1, 1},
        {"closed without a selection", "", "", false, true, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SpreadsheetOutput fresh;
        EXPECT_EQ(fresh.workbookIndex(), 0) << "no destination before the first selection";
        EXPECT_EQ(fresh.worksheetIndex(), 0);
        EXPECT_EQ(select(fresh, c.workbook, c.worksheet), c.selected);
        // CExcel starts at workbook 1, worksheet 1: the pair before the
        // dialog.
        EXPECT_EQ(fresh.workbookIndex(), 1);
        EXPECT_EQ(fresh.worksheetIndex(), 1);
        EXPECT_EQ(fresh.isSameDestination(), c.same);
        EXPECT_EQ(fresh.workbookIndex(), c.workbookIndex);
        EXPECT_EQ(fresh.worksheetIndex(), c.worksheetIndex);
        EXPECT_TRUE(fresh.isSameDestination()) << "the choice is the remembered pair now";
    }
}

TEST_F(SpreadsheetTest, ALaterSelectionRemembersThePreviousChoiceUntilTheNextCheck)
{
    ASSERT_TRUE(select("結果.xls", "Sheet2"));
    EXPECT_FALSE(output.isSameDestination());

    // The dialog shows again and the operator only closes it: the
    // destination stays.
    EXPECT_FALSE(select("", ""));
    EXPECT_TRUE(output.isSameDestination());

    ASSERT_TRUE(select("Book1", "Sheet2"));
    EXPECT_EQ(output.workbookIndex(), 2);
    EXPECT_EQ(output.worksheetIndex(), 2);
    EXPECT_FALSE(output.isSameDestination());
    EXPECT_EQ(output.workbookIndex(), 1);
    EXPECT_EQ(output.worksheetIndex(), 2);
}

TEST_F(SpreadsheetTest, TheDestinationCheckSetsTheFontOfA1AndIsFalseWhenTheDestinationIsGone)
{
    const struct {
        const char* what;
        std::function<void(sheetwire::MemorySpreadsheet&)> meanwhile;
        bool usable;
    } cases[] = {
        {"reachable", [](auto&) {}, true},
        {"workbook closed", [](auto& app) { app.closeWorkbook("結果.xls"); }, false},
        {"worksheet deleted", [](auto& app) { app.workbook("結果.xls")->worksheets.pop_back(); },
         false},
        {"spreadsheet application ended", [](auto& app) { app.running = false; }, false},
    };
    ASSERT_TRUE(select("結果.xls", "Sheet2"));
    output.isSameDestination();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        spreadsheet = sheetwire::MemorySpreadsheet::create();
        sheetwire::setAutomationBackend(spreadsheet);
        spreadsheet->addWorkbook("Book1", {"Sheet1", "Sheet2"});
        auto& target = spreadsheet->addWorkbook("結果.xls", {"測定", "Sheet2"});
        const auto written = target.worksheets[1];
        c.meanwhile(*spreadsheet);

        EXPECT_EQ(output.checkDestination(), c.usable);
        if (c.usable) {
            const auto* a1 = written->cell("A1");
            ASSERT_NE(a1, nullptr);
            EXPECT_EQ(a1->fontColorIndex, 0);
            EXPECT_FALSE(a1->value.has_value());
            EXPECT_EQ(written->cells.size(), 1u) << "only A1 is touched";
        }
    }

    SpreadsheetOutput unselected;
    EXPECT_FALSE(unselected.checkDestination()) << "no destination chosen yet";
}

TEST_F(SpreadsheetTest, CellOperationsReachCExcelAndOnlyTheFontOneCatchesErrors)
{
    ASSERT_TRUE(select("結果.xls", "測定"));
    const auto& target = sheet("結果.xls", "測定");

    EXPECT_EQ(output.setValue(42, 2, 3, 2, 1, 1), 1);
    EXPECT_EQ(output.setValue(std::string("試料"), 3, 3, 2, 1, 0), 1);
    const double values[] = {1.5, -2.25, 3.0};
    EXPECT_EQ(output.setArrayValue(values, 3, 1, 5, 2, 1, 1, 0), 1);
    EXPECT_EQ(output.setCellInterior(2, 3, 3, 4, 2, 1, 36, 1), 1);
    EXPECT_TRUE(output.setCellFont(1, 5, 1, 7, 2, 1, 3));

    EXPECT_EQ(target.cell("B3")->value, CellValue(std::int32_t{42}));
    EXPECT_EQ(target.cell("C3")->value, CellValue(std::string("試料")));
    EXPECT_EQ(target.cell("A5")->value, CellValue(1.5));
    EXPECT_EQ(target.cell("A6")->value, CellValue(-2.25)) << "direction 1 writes down";
    EXPECT_EQ(target.cell("A7")->value, CellValue(3.0));
    EXPECT_EQ(target.autoFitColumns, (std::set<std::int32_t>{2}));
    for (const char* reference : {"B3", "C3", "B4", "C4"}) {
        EXPECT_EQ(target.cell(reference)->interiorColorIndex, 36) << reference;
        EXPECT_EQ(target.cell(reference)->interiorPattern, 1) << reference;
    }
    for (const char* reference : {"A5", "A6", "A7"})
        EXPECT_EQ(target.cell(reference)->fontColorIndex, 3) << reference;

    // A workbook position the application does not have.
    EXPECT_THROW(output.setArrayValue(values, 3, 1, 1, 3, 1, 0, 1), AutomationError);
    EXPECT_THROW(output.setCellInterior(1, 1, 1, 1, 3, 1, 15, 1), AutomationError);
    EXPECT_FALSE(output.setCellFont(1, 1, 1, 1, 3, 1, 0));

    // No application: a zero result, and for the single cell Sheetwire's
    // own message.
    spreadsheet->running = false;
    wxTEST_DIALOG(EXPECT_EQ(output.setValue(1, 1, 1, 2, 1, 1), 0),
                  ExpectMessage("Excel が起動しているか確認してください。"));
    EXPECT_EQ(output.setArrayValue(values, 3, 1, 1, 2, 1, 0, 1), 0);
    EXPECT_EQ(output.setCellInterior(1, 1, 1, 1, 2, 1, 15, 1), 0);
    EXPECT_FALSE(output.setCellFont(1, 1, 1, 1, 2, 1, 0));
}

TEST_F(SpreadsheetTest, ACellBeingEditedIsNoSignOfADestinationGone)
{
    ASSERT_TRUE(select("結果.xls", "測定"));
    ASSERT_TRUE(output.checkDestination());
    const auto refuse = [this](sheetwire::AutomationFailure failure) {
        atCall("Font.ColorIndex", [failure] {
            throw AutomationError(failure, "Font.ColorIndex: refused");
        });
    };

    // The operator still types into a cell: the check says so instead of
    // finding the destination unusable.
    refuse(sheetwire::AutomationFailure::Busy);
    try {
        output.checkDestination();
        ADD_FAILURE() << "no error raised";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.failure(), sheetwire::AutomationFailure::Busy);
    }
    // Any other refusal still answers that the destination cannot be
    // written.
    refuse(sheetwire::AutomationFailure::Refused);
    EXPECT_FALSE(output.checkDestination());
    spreadsheet->onCall = nullptr;
    EXPECT_TRUE(output.checkDestination());
}

TEST_F(SpreadsheetTest, TheProgramHasOneSpreadsheetOutputUntilItIsDestroyed)
{
    SpreadsheetOutput& first = SpreadsheetOutput::instance();
    EXPECT_EQ(&SpreadsheetOutput::instance(), &first);
    first.setNextRow(5);
    EXPECT_EQ(SpreadsheetOutput::instance().nextRow(), 6);

    SpreadsheetOutput::destroyInstance();
    EXPECT_EQ(SpreadsheetOutput::instance().nextRow(), 1) << "a new one after destruction";
    EXPECT_EQ(SpreadsheetOutput::instance().workbookIndex(), 0);
    SpreadsheetOutput::destroyInstance();
}
