// The main window against the simulated instrument and the Excel stand-in:
// the measurements an operator makes land in the chosen worksheet exactly as
// they land in the in-memory spreadsheet (titles, rows, fills, fitted
// columns, selection), through real cross-process IDispatch calls; once
// Excel is gone the next measurement stops with message 140, the
// destination falls back to none and the number stays.
#include "ChooseWorksheet.h"
#include "GuiTest.h"
#include "MainDialog.h"
#include "PortDialog.h"
#include "PropertyFile.h"
#include "SimControl.h"
#include "StandInClient.h"
#include "TempDir.h"
#include "TextOutputWindow.h"
#include "sheetwire/Automation.h"
#include "sheetwire/CExcelAutomation.h"
#include "sheetwire/ExcelBackend.h"
#include "sheetwire/MemorySpreadsheet.h"

#include <wx/choice.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>

using namespace tonvale;

namespace {

const std::string message140 =
    "出力先のワークブックとワークシートが指定されていません。\n処理を中止します。";

class ProgramExcelTest : public testing::Test {
protected:
    void SetUp() override
    {
        standin::registerServer();
        standin::endAll();
    }

    void TearDown() override
    {
        if (main)
            main->Destroy();
        pumpFor(std::chrono::milliseconds(20));
        sheetwire::setAutomationBackend(nullptr);
        standin::endAll();
        sim.reset();
    }

    // The operator's session: two spectral measurements under one title
    // row, then L*a*b* with the area and component switched on under a
    // title row of its own, into 結果.xls/測定. The date and time stay out,
    // so that two sessions write the same.
    void measureASession()
    {
        // An instrument of its own: the simulator's measuring noise starts
        // from the same seed, so both sessions measure the same values.
        sim.reset();
        sim.emplace();
        sim->command("FLAGS 22222222");
        sim->command("SAMPLE white");
        main = new MainDialog(settings.path("Tonvale.INI"));
        bool started = false;
        wxTEST_DIALOG(started = main->start(), choosePort(0));
        ASSERT_TRUE(started);
        PropertyFile& s = main->settings();
        s.setInt("Chk_AutoNaming", 1);
        s.setInt("Chk_Number", 1);
        s.setInt("Chk_DateTime", 0);
        s.setInt("Data_Type", 0);
        main->destinationList()->SetSelection(1);
        wxTEST_DIALOG(main->changeDestination(), chooseWorksheet("結果.xls", "測定"));
        ASSERT_EQ(main->destinationList()->GetSelection(), 1);
        main->measure();
        main->measure();
        s.setInt("Data_Type", 1);
        s.setInt("Chk_Mask", 1);
        s.setInt("Chk_Gloss", 1);
        main->measure();
        EXPECT_EQ(s.getInt("Mes_Num"), 4);
    }

    void endSession()
    {
        main->Destroy();
        main = nullptr;
        pumpFor(std::chrono::milliseconds(20));
    }

    std::optional<sxsim::SimProcess> sim;
    TempDir settings;
    MainDialog* main = nullptr;
};

TEST_F(ProgramExcelTest, MeasurementsLandInExcelAsInTheModelUntilExcelIsGone)
{
    auto memory = sheetwire::MemorySpreadsheet::create();
    memory->addWorkbook("Book1", {"Sheet1"});
    memory->addWorkbook("結果.xls", {"測定", "Sheet2"});
    sheetwire::setAutomationBackend(memory);
    measureASession();
    endSession();
    const std::string expected = memory->describe();
    ASSERT_NE(expected.find("cell 1,1 text \"測定No.\""), std::string::npos) << expected;

    standin::Server excel;
    excel.script("book\tBook1\tSheet1");
    excel.script("book\t結果.xls\t測定|Sheet2");
    sheetwire::setAutomationBackend(std::make_shared<sheetwire::ExcelBackend>());
    measureASession();
    EXPECT_EQ(excel.state(), expected);

    excel.kill();
    wxTEST_DIALOG(main->measure(), ExpectMessage(message140));
    EXPECT_EQ(main->destinationList()->GetSelection(), 0);
    EXPECT_EQ(main->settings().getInt("Mes_Num"), 4);
}

// How many cells each row of the workbooks holds, from the stand-in's state.
std::map<int, int> cellsByRow(const std::string& state)
{
    std::map<int, int> rows;
    for (std::size_t at = state.find("    cell "); at != std::string::npos;
         at = state.find("    cell ", at + 1)) {
        const std::size_t comma = state.find(',', at);
        ++rows[std::atoi(state.c_str() + comma + 1)];
    }
    return rows;
}

// While the operator edits a cell in Excel, a measurement waits for it;
// one that waits beyond the bound ends in the busy message, with the
// destination still chosen and nothing written or counted.
TEST_F(ProgramExcelTest, ABusyExcelIsWaitedForAndNeverCountsAsAGoneDestination)
{
    standin::Server excel;
    excel.script("book\tBook1\tSheet1");
    excel.script("book\t結果.xls\t測定|Sheet2");
    sheetwire::setAutomationBackend(std::make_shared<sheetwire::ExcelBackend>(std::chrono::seconds(3)));
    measureASession();
    const auto before = cellsByRow(excel.state());
    ASSERT_FALSE(before.empty());

    excel.script("busy\t1500");
    main->measure();
    const std::string afterWait = excel.state();
    // One more row, whole: as many cells as the session's last row.
    auto after = cellsByRow(afterWait);
    ASSERT_EQ(after.size(), before.size() + 1) << afterWait;
    EXPECT_EQ(after.rbegin()->second, before.rbegin()->second) << afterWait;
    EXPECT_EQ(main->settings().getInt("Mes_Num"), 5);
    EXPECT_EQ(main->destinationList()->GetSelection(), 1);

    excel.script("busy\t8000");
    try {
        main->measure();
        ADD_FAILURE() << "a measurement into a busy Excel went through";
    } catch (const sheetwire::AutomationError& e) {
        EXPECT_EQ(e.failure(), sheetwire::AutomationFailure::Busy) << e.detail();
    }
    EXPECT_EQ(main->destinationList()->GetSelection(), 1) << "the destination stays chosen";
    EXPECT_EQ(main->settings().getInt("Mes_Num"), 5) << "nothing counted as written";
    excel.script("busy\t0");
    EXPECT_EQ(excel.state(), afterWait) << "nothing written";
}

// Cells of the workbooks' state outside the worksheet named sheet.
int cellsOutside(const std::string& state, const std::string& sheet)
{
    int outside = 0;
    bool inside = false;
    std::istringstream lines(state);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("workbook ", 0) == 0)
            inside = false;
        else if (line.rfind("  worksheet ", 0) == 0)
            inside = line.rfind("  worksheet " + sheet + " ", 0) == 0;
        else if (line.rfind("    cell ", 0) == 0 && !inside)
            ++outside;
    }
    return outside;
}

// Excel selects a cell only on the active worksheet of the active workbook.
// Between two measurements the operator clicks another worksheet, then
// another workbook: each measurement lands whole in 結果.xls/測定 all the
// same, with no message, and 測定 is shown again.
TEST_F(ProgramExcelTest, MeasurementsLandWholeInTheTargetAfterTheOperatorClickedElsewhere)
{
    standin::Server excel;
    excel.script("book\tBook1\tSheet1");
    excel.script("book\t結果.xls\t測定|Sheet2");
    sheetwire::setAutomationBackend(std::make_shared<sheetwire::ExcelBackend>());
    measureASession();
    for (const char* click : {"activate\t結果.xls\tSheet2", "activate\tBook1\tSheet1"}) {
        SCOPED_TRACE(click);
        const auto before = cellsByRow(excel.state());
        excel.script(click);
        EXPECT_NO_DIALOG(main->measure());
        const std::string state = excel.state();
        const auto after = cellsByRow(state);
        ASSERT_EQ(after.size(), before.size() + 1) << state;
        EXPECT_EQ(after.rbegin()->second, before.rbegin()->second) << state;
        EXPECT_EQ(cellsOutside(state, "測定"), 0) << state;
        EXPECT_NE(state.find("workbook 結果.xls (active)\n"), std::string::npos) << state;
        EXPECT_NE(state.find("  worksheet 測定 (active) "), std::string::npos) << state;
    }
    EXPECT_EQ(main->destinationList()->GetSelection(), 1);
    EXPECT_EQ(main->settings().getInt("Mes_Num"), 6);
}

} // namespace

// A worksheet that already holds the operator's cells keeps them: the
// session's title row and rows go below them.
TEST_F(ProgramExcelTest, AWorksheetThatHoldsDataIsWrittenBelowIt)
{
    standin::Server excel;
    excel.script("book\tBook1\tSheet1");
    excel.script("book\t結果.xls\t測定|Sheet2");
    sheetwire::setAutomationBackend(std::make_shared<sheetwire::ExcelBackend>());
    {
        CExcelAutomation operatorsCells;
        ASSERT_EQ(operatorsCells.SelectWorksheet("結果.xls", "測定"), 1);
        for (int row = 1; row <= 5; ++row) {
            ASSERT_EQ(operatorsCells.SetValue(std::string("mine"), 1, row, 2, 1, 0), 1);
            ASSERT_EQ(operatorsCells.SetValue(row, 2, row, 2, 1, 0), 1);
        }
    }
    measureASession();
    const std::string state = excel.state();
    for (int row = 1; row <= 5; ++row)
        EXPECT_NE(state.find("cell 1," + std::to_string(row) + " text \"mine\""), std::string::npos)
            << "row " << row << " of the operator's cells was overwritten\n" << state;
    EXPECT_NE(state.find("cell 1,6 text \"測定No.\""), std::string::npos) << state;
    const auto rows = cellsByRow(state);
    EXPECT_EQ(rows.rbegin()->first, 10) << "title, two rows, title, one row below row 5\n" << state;
}
