// CExcel end to end over a real office: the worksheet chosen in dialog 12000,
// values and formats written there and read back through UNO, the name
// check, and positions the office does not hold.

#include "CalcTest.h"

#include "GuiTest.h"

#include "sheetwire/CExcel.h"
#include "sheetwire/SelectWorksheetDlg.h"

#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/table/CellHoriJustify.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <wx/app.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

using Dlg = CSelectWorksheetDlg;
using sheetwire::AutomationError;
using css::uno::UNO_QUERY_THROW;

namespace {

const char* const message1004 = "指定したワークブックは開いていません。";

std::vector<wxTreeItemId> children(wxTreeCtrl& tree, const wxTreeItemId& parent)
{
    std::vector<wxTreeItemId> items;
    wxTreeItemIdValue cookie;
    for (auto item = tree.GetFirstChild(parent, cookie); item.IsOk();
         item = tree.GetNextChild(parent, cookie))
        items.push_back(item);
    return items;
}

// The tree as shown: "workbook/worksheet" for every worksheet.
std::vector<std::string> shownTree(Dlg& dlg)
{
    auto& tree = *wxStaticCast(dlg.FindWindow(Dlg::Tree), wxTreeCtrl);
    std::vector<std::string> shown;
    for (const auto& book : children(tree, tree.GetRootItem())) {
        for (const auto& sheet : children(tree, book))
            shown.push_back(tree.GetItemText(book).utf8_string() + "/" +
                            tree.GetItemText(sheet).utf8_string());
    }
    return shown;
}

void choose(Dlg& dlg, const std::string& workbook, const std::string& worksheet)
{
    auto& tree = *wxStaticCast(dlg.FindWindow(Dlg::Tree), wxTreeCtrl);
    for (const auto& book : children(tree, tree.GetRootItem())) {
        for (const auto& sheet : children(tree, book)) {
            if (tree.GetItemText(book).utf8_string() == workbook &&
                tree.GetItemText(sheet).utf8_string() == worksheet) {
                tree.SelectItem(sheet);
                return;
            }
        }
    }
    ADD_FAILURE() << "no tree item " << workbook << "/" << worksheet;
}


} // namespace

class CExcelOverCalc : public CalcTest {
protected:
    void SetUp() override
    {
        CalcTest::SetUp();
        wxTheApp->SetAppDisplayName(wxString::FromUTF8("SX-4810k用アクセサリーソフトウェア"));
        sheetwire::setAutomationBackend(backend);
    }

    void TearDown() override
    {
        sheetwire::setAutomationBackend(nullptr);
        CalcTest::TearDown();
    }

    // Runs dialog 12000 and selects workbook/worksheet in it.
    int selectInDialog(const std::string& workbook, const std::string& worksheet,
                       const std::vector<std::string>& expectedTree)
    {
        GTestModalHook hook(__FILE__, __LINE__);
        const ExpectDialog<Dlg> dialog([&](Dlg& dlg) {
            EXPECT_EQ(shownTree(dlg), expectedTree);
            choose(dlg, workbook, worksheet);
            press(dlg, Dlg::SelectButton);
            EXPECT_EQ(wxStaticCast(dlg.FindWindow(Dlg::WorkbookText), wxTextCtrl)->GetValue().utf8_string(),
                      workbook);
            press(dlg, wxID_OK);
            return dlg.GetReturnCode();
        });
        hook.AddExpectation(dialog);
        const int result = excel.OpenSelectWorksheetDlg();
        hook.CheckUnmetExpectations();
        return result;
    }

    std::string text(const std::string& title, const std::string& reference)
    {
        return utf8(Reference<css::text::XText>(probe->cell(title, "Sheet1", reference), UNO_QUERY_THROW)
                        ->getString());
    }

    GTestModalHook unexpectedDialogsFail{__FILE__, __LINE__};
    CExcel excel;
};

TEST_F(CExcelOverCalc, TheWorksheetSelectedInTheDialogReceivesValuesAndFormats)
{
    const auto first = addWorkbook();
    const auto second = addWorkbook();
    ASSERT_EQ(selectInDialog(second, "Sheet1", {first + "/Sheet1", second + "/Sheet1"}), 1);
    EXPECT_EQ(excel.GetWorkbookName(), second);
    EXPECT_EQ(excel.GetWorksheetName(), "Sheet1");
    ASSERT_EQ(excel.GetWorkbookIndex(), 2);
    ASSERT_EQ(excel.GetWorksheetIndex(), 1);

    // A title row as the program writes it: texts, fitted, grey.
    EXPECT_EQ(excel.SetValue(std::string("測定No."), 1, 1, 2, 1, 1), 1);
    EXPECT_EQ(excel.SetValue(std::string("測定値名"), 2, 1, 2, 1, 1), 1);
    EXPECT_EQ(excel.SetCellInterior(1, 1, 2, 1, 2, 1, 15, 1), 1);
    // A data row: number, name, values across, yellow.
    EXPECT_EQ(excel.SetValue(3, 1, 2, 2, 1, 1), 1);
    EXPECT_EQ(excel.SetValue(std::string("sample"), 2, 2, 2, 1, 1), 1);
    const double lab[] = {52.25, -1.5, 3.125};
    EXPECT_EQ(excel.SetArrayValue(lab, 3, 3, 2, 2, 1, 0, 1), 1);
    EXPECT_EQ(excel.SetCellInterior(1, 2, 5, 2, 2, 1, 36, 1), 1);
    EXPECT_EQ(excel.SetCellFont(1, 2, 1, 2, 2, 1, 3), 1);
    EXPECT_EQ(excel.SetCellAlignment(2, 2, 1, 1, 5, 1, 2, 1), 1);
    const int down[] = {360, 370};
    EXPECT_EQ(excel.SetArrayValue(down, 2, 1, 4, 2, 1, 1, 0), 1);
    EXPECT_EQ(excel.SetValue(2.75, 6, 2, 2, 1, 0), 1);

    EXPECT_EQ(text(second, "A1"), "測定No.");
    EXPECT_EQ(text(second, "B1"), "測定値名");
    EXPECT_EQ(probe->cell(second, "Sheet1", "A2")->getValue(), 3);
    EXPECT_EQ(text(second, "B2"), "sample");
    EXPECT_EQ(probe->cell(second, "Sheet1", "C2")->getValue(), 52.25);
    EXPECT_EQ(probe->cell(second, "Sheet1", "D2")->getValue(), -1.5);
    EXPECT_EQ(probe->cell(second, "Sheet1", "E2")->getValue(), 3.125);
    EXPECT_EQ(probe->cell(second, "Sheet1", "A4")->getValue(), 360);
    EXPECT_EQ(probe->cell(second, "Sheet1", "A5")->getValue(), 370);
    EXPECT_EQ(probe->cell(second, "Sheet1", "F2")->getValue(), 2.75);
    const auto colour = [&](const char* reference, const char* name) {
        sal_Int32 value = 0;
        probe->range(second, "Sheet1", reference)->getPropertyValue(rtl::OUString::createFromAscii(name)) >>= value;
        return value;
    };
    EXPECT_EQ(colour("A1:B1", "CellBackColor"), 0xC0C0C0);
    EXPECT_EQ(colour("A2:E2", "CellBackColor"), 0xFFFF99);
    EXPECT_EQ(colour("A2", "CharColor"), 0xFF0000);
    css::table::CellHoriJustify justify{};
    probe->range(second, "Sheet1", "A1:E1")->getPropertyValue("HoriJustify") >>= justify;
    EXPECT_EQ(justify, css::table::CellHoriJustify_RIGHT);
    // Nothing went into the other workbook.
    EXPECT_EQ(probe->cell(first, "Sheet1", "A1")->getType(), css::table::CellContentType_EMPTY);

    // The cell cursor followed the writes.
    EXPECT_EQ(probe->selection(second), "F2");
    EXPECT_EQ(excel.GetCellActiveRow(2, 1), 2);
    EXPECT_EQ(excel.GetCellActiveColumn(2, 1), 6);
}

// The user clicks another sheet of the workbook, then another workbook's
// window, between two writes: each lands in the selected worksheet, which
// the office shows again in its active window.
TEST_F(CExcelOverCalc, WritesLandInTheSelectedWorksheetAfterTheUserClickedElsewhere)
{
    const auto first = addWorkbook();
    const auto second = addWorkbook();
    Reference<css::sheet::XSpreadsheetDocument>(probe->model(second), UNO_QUERY_THROW)
        ->getSheets()
        ->insertNewByName("Other", 1);
    ASSERT_EQ(selectInDialog(second, "Sheet1",
                             {first + "/Sheet1", second + "/Sheet1", second + "/Other"}),
              1);
    const struct {
        const char* what;
        std::string title;
        const char* sheet;
    } clicks[] = {
        {"another sheet", second, "Other"},
        {"another workbook", first, ""},
    };
    int row = 1;
    for (const auto& c : clicks) {
        SCOPED_TRACE(c.what);
        probe->click(c.title, c.sheet);
        const double values[] = {1.5, 2.5};
        EXPECT_EQ(excel.SetValue(row, 1, row, 2, 1, 0), 1);
        EXPECT_EQ(excel.SetArrayValue(values, 2, 2, row, 2, 1, 0, 0), 1);
        const std::string number = std::to_string(row);
        EXPECT_EQ(probe->cell(second, "Sheet1", "A" + number)->getValue(), row);
        EXPECT_EQ(probe->cell(second, "Sheet1", "C" + number)->getValue(), 2.5);
        EXPECT_EQ(probe->activeTitle(), second);
        EXPECT_EQ(probe->activeSheet(second), "Sheet1");
        EXPECT_EQ(probe->selection(second), "C" + number);
        ++row;
    }
    EXPECT_EQ(probe->cell(second, "Other", "A1")->getType(), css::table::CellContentType_EMPTY);
    EXPECT_EQ(probe->cell(first, "Sheet1", "A1")->getType(), css::table::CellContentType_EMPTY);
}

TEST_F(CExcelOverCalc, TheNameCheckAndPositionsTheOfficeDoesNotHold)
{
    const auto first = addWorkbook();
    const auto second = addWorkbook();
    ASSERT_EQ(selectInDialog(second, "Sheet1", {first + "/Sheet1", second + "/Sheet1"}), 1);

    // Not where the caller says the target is: nothing written, no message.
    EXPECT_EQ(excel.SetValue(1, 1, 1, 1, 1, 0), 0);
    EXPECT_EQ(probe->cell(first, "Sheet1", "A1")->getType(), css::table::CellContentType_EMPTY);

    // Positions the office does not hold leave as errors.
    const double values[] = {1.0};
    EXPECT_THROW(excel.SetArrayValue(values, 1, 1, 1, 3, 1, 0, 0), AutomationError);
    EXPECT_THROW(excel.SetArrayValue(values, 1, 1, 1, 2, 2, 0, 0), AutomationError);
    EXPECT_THROW(excel.SetArrayValue(values, 1, 1, 1, 0, 1, 0, 0), AutomationError);
    EXPECT_THROW(excel.SetCellFont(1, 1, 1, 1, 2, 9, 0), AutomationError);
    EXPECT_THROW(excel.GetCellActiveRow(5, 1), AutomationError);

    // The selected workbook closed in the office: message 1004.
    Reference<css::util::XCloseable>(probe->model(second), UNO_QUERY_THROW)->close(true);
    GTestModalHook hook(__FILE__, __LINE__);
    const ExpectMessage notOpen(message1004);
    hook.AddExpectation(notOpen);
    EXPECT_EQ(excel.SetValue(1, 1, 1, 2, 1, 0), 0);
    hook.CheckUnmetExpectations();
}

TEST_F(CExcelOverCalc, TheFirstFreeRowIsBelowWhatTheWorksheetHolds)
{
    const auto filled = addWorkbook();
    const auto other = addWorkbook();
    // The operator's A1:B5.
    for (int row = 1; row <= 5; ++row) {
        probe->cell(filled, "Sheet1", "A" + std::to_string(row))->setFormula(ou("mine"));
        probe->cell(filled, "Sheet1", "B" + std::to_string(row))->setValue(row);
    }
    EXPECT_EQ(excel.GetFirstFreeRow(1, 1), 6);

    // An empty worksheet, also with the font the destination check sets on A1.
    EXPECT_EQ(excel.GetFirstFreeRow(2, 1), 1);
    EXPECT_EQ(excel.SetCellFont(1, 1, 1, 1, 2, 1, 0), 1);
    EXPECT_EQ(excel.GetFirstFreeRow(2, 1), 1);
    probe->cell(other, "Sheet1", "A1")->setValue(1);
    EXPECT_EQ(excel.GetFirstFreeRow(2, 1), 2);
    probe->cell(other, "Sheet1", "A1")->setFormula(ou(""));
    probe->cell(other, "Sheet1", "C10")->setFormula(ou("memo"));
    EXPECT_EQ(excel.GetFirstFreeRow(2, 1), 11);
    // What the library wrote itself counts as soon as it is written.
    const double values[] = {1.5, 2.5};
    EXPECT_EQ(excel.SetArrayValue(values, 2, 1, 20, 2, 1, 1, 0), 1);
    EXPECT_EQ(excel.GetFirstFreeRow(2, 1), 22);
    EXPECT_EQ(excel.GetFirstFreeRow(1, 1), 6);
}

