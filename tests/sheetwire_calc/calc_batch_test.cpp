// The batched backend over a real office: what a handle is told lands on
// Flush and only then, exactly as if each call had been made; errors
// surface at Flush and nothing is delivered twice; the open workbooks are
// remembered only while the office's events keep them current; a column is
// fitted again only for something wider than it was fitted to.

#include "CalcTest.h"

#include "GuiTest.h"

#include "sheetwire/CExcel.h"
#include "sheetwire/CExcelAutomation.h"
#include "sheetwire/SelectWorksheetDlg.h"

#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/CellHoriJustify.hpp>
#include <com/sun/star/table/TableBorder2.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <wx/app.h>
#include <wx/treectrl.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

using sheetwire::AutomationError;
using sheetwire::AutomationFailure;
using sheetwire::CellValue;
using css::uno::UNO_QUERY_THROW;
namespace fs = std::filesystem;

namespace {

Reference<css::beans::XPropertySet> column(OfficeProbe& probe, const std::string& title,
                                           sal_Int32 index)
{
    const auto columns =
        Reference<css::table::XColumnRowRange>(probe.sheet(title, "Sheet1"), UNO_QUERY_THROW)->getColumns();
    return Reference<css::beans::XPropertySet>(columns->getByIndex(index), UNO_QUERY_THROW);
}

std::string text(const Reference<css::table::XCell>& cell)
{
    return utf8(Reference<css::text::XText>(cell, UNO_QUERY_THROW)->getString());
}

const char* const message1003 = "指定したワークシートは開いていません。";
const char* const message1004 = "指定したワークブックは開いていません。";

} // namespace

class CalcBatched : public CalcTest {
protected:
    void SetUp() override
    {
        CalcTest::SetUp();
        sheetwire::setAutomationBackend(backend);
    }

    void TearDown() override
    {
        sheetwire::setAutomationBackend(nullptr);
        CalcTest::TearDown();
    }

    // A new workbook, its title, and its first worksheet through a handle
    // of its own.
    std::unique_ptr<sheetwire::AutomationWorksheet> firstWorksheet(std::string& title)
    {
        auto workbook = attach()->Workbooks()->Add();
        title = workbook->Name();
        return workbook->Worksheets()->Item(1);
    }
};

TEST_F(CalcBatched, WhatAHandleIsToldLandsOnFlushAsIfEachCallHadBeenMade)
{
    std::string title;
    const auto worksheet = firstWorksheet(title);
    const struct {
        const char* reference;
        CellValue value;
        css::table::CellContentType type;
        double number;
        std::string shown;
    } cases[] = {
        {"B1", std::int32_t{42}, css::table::CellContentType_VALUE, 42, "42"},
        {"B2", 2.5, css::table::CellContentType_VALUE, 2.5, "2.5"},
        {"B3", std::string("測定No."), css::table::CellContentType_TEXT, 0, "測定No."},
        {"B4", std::string("0.100000"), css::table::CellContentType_VALUE, 0.1, "0.1"},
        {"B5", std::string("'12"), css::table::CellContentType_TEXT, 0, "12"},
        {"B6", std::string("=1+2"), css::table::CellContentType_FORMULA, 3, "3"},
    };
    for (const auto& c : cases)
        worksheet->Range(c.reference, c.reference)->PutValue(c.value);
    // A run across and one down, each written as one array.
    for (int i = 0; i < 3; ++i) {
        const std::string across = std::string(1, char('C' + i)) + "8";
        worksheet->Range(across, across)->PutValue(1.5 * i);
        const std::string down = "A" + std::to_string(10 + i);
        worksheet->Range(down, down)->PutValue(std::int32_t{100 + i});
    }
    const auto interior = worksheet->Range("B1", "C2")->Interior();
    interior->PutColorIndex(36);
    interior->PutPattern(1);
    worksheet->Range("B3", "B3")->Font()->PutColorIndex(3);
    worksheet->Range("B1", "B6")->PutHorizontalAlignment(-4152);
    worksheet->Range("D1", "D1")->Select();
    worksheet->Range("E4", "E4")->Select();

    EXPECT_EQ(probe->cell(title, "Sheet1", "B1")->getType(), css::table::CellContentType_EMPTY)
        << "nothing before Flush";
    application->Flush();

    for (const auto& c : cases) {
        SCOPED_TRACE(c.reference);
        const auto cell = probe->cell(title, "Sheet1", c.reference);
        EXPECT_EQ(cell->getType(), c.type);
        EXPECT_DOUBLE_EQ(cell->getValue(), c.number);
        EXPECT_EQ(text(cell), c.shown);
    }
    EXPECT_EQ(probe->cell(title, "Sheet1", "E8")->getValue(), 3.0);
    EXPECT_EQ(probe->cell(title, "Sheet1", "A12")->getValue(), 102);
    EXPECT_EQ(property<sal_Int32>(probe->range(title, "Sheet1", "B1:C2"), "CellBackColor"), 0xFFFF99);
    EXPECT_FALSE(property<bool>(probe->range(title, "Sheet1", "B1:C2"), "IsCellBackgroundTransparent"));
    EXPECT_EQ(property<sal_Int32>(probe->range(title, "Sheet1", "B3"), "CharColor"), 0xFF0000);
    EXPECT_EQ(property<css::table::CellHoriJustify>(probe->range(title, "Sheet1", "B1:B6"), "HoriJustify"),
              css::table::CellHoriJustify_RIGHT);
    EXPECT_EQ(probe->selection(title), "E4") << "the last selection";

    // Asking delivers first: the active cell is the one just selected.
    worksheet->Activate();
    worksheet->Range("F9", "F9")->Select();
    EXPECT_EQ(attach()->ActiveCell()->Row(), 9);
}

TEST_F(CalcBatched, AFailureSurfacesAtFlushAndWhatFailedIsNotDeliveredLater)
{
    std::string title;
    const auto worksheet = firstWorksheet(title);
    const auto workbooks = attach()->Workbooks();

    // A worksheet the workbook does not hold.
    const auto missing = workbooks->Item(1)->Worksheets()->Item(9);
    missing->Range("A1", "A1")->PutValue(std::int32_t{1});
    worksheet->Range("A2", "A2")->PutValue(std::int32_t{2});
    try {
        application->Flush();
        ADD_FAILURE() << "no error raised";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.failure(), AutomationFailure::NoSuchItem) << error.detail();
    }
    application->Flush();
    EXPECT_EQ(probe->cell(title, "Sheet1", "A2")->getType(), css::table::CellContentType_EMPTY)
        << "dropped with the failed flush";

    // A workbook closed before its values are delivered.
    worksheet->Range("A3", "A3")->PutValue(std::int32_t{3});
    Reference<css::util::XCloseable>(probe->model(title), UNO_QUERY_THROW)->close(true);
    try {
        application->Flush();
        ADD_FAILURE() << "no error raised";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.failure(), AutomationFailure::WorkbookClosed) << error.detail();
        EXPECT_STREQ(error.what(), "ワークブックはすでに閉じられています。");
    }
}

TEST_F(CalcBatched, ACellBeingEditedHoldsTheDeliveryUntilTheEditEndsOrTheBound)
{
    using namespace std::chrono_literals;
    // The operator starts typing into a cell of the workbook (F2), the
    // program's values wait for that edit to end, then land.
    std::string title;
    const auto worksheet = firstWorksheet(title);
    probe->dispatch(title, ".uno:SetInputMode");
    worksheet->Range("B2", "B2")->PutValue(std::int32_t{42});
    worksheet->Range("B2", "B2")->Select();
    std::thread operatorEnds([&] {
        std::this_thread::sleep_for(1500ms);
        EXPECT_EQ(probe->cell(title, "Sheet1", "B2")->getType(), css::table::CellContentType_EMPTY)
            << "delivered while the cell was being edited";
        probe->dispatch(title, ".uno:Cancel");
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NO_THROW(application->Flush());
    const auto waited = std::chrono::steady_clock::now() - start;
    operatorEnds.join();
    EXPECT_GE(waited, 1500ms);
    EXPECT_EQ(probe->cell(title, "Sheet1", "B2")->getValue(), 42);

    // An edit that outlasts the bound: the operator hears why, nothing of
    // it lands later, and the next delivery after the edit goes through.
    auto office = sharedOffice().office();
    office.cellEditWait = 1s;
    const auto impatient = std::make_shared<sheetwire::CalcBackend>(office)->AttachRunning();
    ASSERT_TRUE(impatient);
    const auto sheet = impatient->Workbooks()->Item(1)->Worksheets()->Item(1);
    probe->dispatch(title, ".uno:SetInputMode");
    sheet->Range("C3", "C3")->PutValue(std::int32_t{7});
    try {
        impatient->Flush();
        ADD_FAILURE() << "no error raised";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.failure(), AutomationFailure::Busy) << error.detail();
        // The busy application's message, as for an Excel that takes no calls.
        EXPECT_STREQ(error.what(), "Excel が応答しません。Excel でセルを編集中か、Excel のダイアログが開いています。\n"
                                   "Excel でセルの編集を終えるかダイアログを閉じてから、もう一度操作してください。");
    }
    probe->dispatch(title, ".uno:Cancel");
    sheet->Range("C4", "C4")->PutValue(std::int32_t{8});
    impatient->Flush();
    EXPECT_EQ(probe->cell(title, "Sheet1", "C3")->getType(), css::table::CellContentType_EMPTY);
    EXPECT_EQ(probe->cell(title, "Sheet1", "C4")->getValue(), 8);
}

TEST_F(CalcBatched, TheRememberedWorkbooksFollowTheOfficesEvents)
{
    const auto first = addWorkbook();
    const auto second = addWorkbook();
    CExcelAutomation excel;
    ASSERT_EQ(excel.SelectWorksheet(second, "Sheet1"), 1);
    ASSERT_EQ(excel.SetValue(1, 1, 1, 2, 1, 0), 1);

    // Opened behind the program's back: counted at once.
    probe->open("private:factory/scalc");
    EXPECT_EQ(excel.GetWorkbookCount(), 3);

    // An earlier workbook closed: the target moved, nothing written.
    Reference<css::util::XCloseable>(probe->model(first), UNO_QUERY_THROW)->close(true);
    EXPECT_EQ(excel.SetValue(2, 1, 2, 2, 1, 0), 0);
    EXPECT_EQ(probe->cell(second, "Sheet1", "A2")->getType(), css::table::CellContentType_EMPTY);
    EXPECT_EQ(excel.SetValue(2, 1, 2, 1, 1, 0), 1) << "at its new position";
    EXPECT_EQ(probe->cell(second, "Sheet1", "A2")->getValue(), 2);

    // Saved under another name: its old name is no longer open.
    const fs::path dir = fs::path(testing::TempDir()) / ("tonvale-calc-batch-" + std::to_string(getpid()));
    fs::create_directories(dir);
    Reference<css::frame::XStorable>(probe->model(second), UNO_QUERY_THROW)
        ->storeAsURL(ou("file://" + (dir / "renamed.ods").string()), {});
    GTestModalHook hook(__FILE__, __LINE__);
    const ExpectMessage notOpen(message1004);
    hook.AddExpectation(notOpen);
    EXPECT_EQ(excel.SetValue(3, 1, 3, 1, 1, 0), 0);
    hook.CheckUnmetExpectations();

    // Its worksheet renamed: found no more.
    ASSERT_EQ(excel.SelectWorksheet("renamed.ods", "Sheet1"), 1);
    Reference<css::container::XNamed>(probe->sheet("renamed.ods", "Sheet1"), UNO_QUERY_THROW)
        ->setName("改名");
    const ExpectMessage sheetNotOpen(message1003);
    hook.AddExpectation(sheetNotOpen);
    EXPECT_EQ(excel.SetValue(4, 1, 4, 1, 1, 0), 0);
    hook.CheckUnmetExpectations();
    probe->closeAll();
    fs::remove_all(dir);
}

TEST_F(CalcBatched, AColumnIsFittedAgainOnlyForSomethingWiderThanItWasFittedTo)
{
    const auto title = addWorkbook();
    CExcelAutomation excel;
    ASSERT_EQ(excel.SelectWorksheet(title, "Sheet1"), 1);
    const auto columnB = column(*probe, title, 1);

    ASSERT_EQ(excel.SetValue(std::string("Sample_No.1"), 2, 1, 1, 1, 1), 1);
    const auto fitted = property<sal_Int32>(columnB, "Width");
    // Made narrow behind the program's back: a cell of a shape the column
    // was fitted to leaves it so...
    columnB->setPropertyValue("Width", css::uno::Any(sal_Int32{300}));
    ASSERT_EQ(excel.SetValue(std::string("Sample_No.7"), 2, 2, 1, 1, 1), 1);
    EXPECT_EQ(property<sal_Int32>(columnB, "Width"), 300) << "no second pass over the column";
    // ...a wider one fits it again, to all its cells.
    ASSERT_EQ(excel.SetValue(std::string("Sample_No.12"), 2, 3, 1, 1, 1), 1);
    EXPECT_GT(property<sal_Int32>(columnB, "Width"), fitted);

    // Numbers by the shape they show.
    const auto columnC = column(*probe, title, 2);
    ASSERT_EQ(excel.SetValue(45.67, 3, 1, 1, 1, 1), 1);
    columnC->setPropertyValue("Width", css::uno::Any(sal_Int32{300}));
    ASSERT_EQ(excel.SetValue(12.34, 3, 2, 1, 1, 1), 1);
    EXPECT_EQ(property<sal_Int32>(columnC, "Width"), 300);
    ASSERT_EQ(excel.SetValue(-123.45, 3, 3, 1, 1, 1), 1);
    EXPECT_GT(property<sal_Int32>(columnC, "Width"), 300);
}

TEST_F(CalcBatched, ClosingAChangedWorkbookThatWasNeverSavedIsRefusedInJapanese)
{
    wxTheApp->SetAppDisplayName(wxString::FromUTF8("SX-4810k用アクセサリーソフトウェア"));
    const auto title = addWorkbook();
    probe->cell(title, "Sheet1", "A1")->setValue(7);
    application.reset();

    CExcel excel;
    GTestModalHook hook(__FILE__, __LINE__);
    const ExpectDialog<CSelectWorksheetDlg> dialog([&](CSelectWorksheetDlg& dlg) {
        auto& tree = *wxStaticCast(dlg.FindWindow(CSelectWorksheetDlg::Tree), wxTreeCtrl);
        wxTreeItemIdValue cookie;
        const auto book = tree.GetFirstChild(tree.GetRootItem(), cookie);
        EXPECT_EQ(tree.GetItemText(book).utf8_string(), title);
        tree.SelectItem(book);
        wxCommandEvent close(wxEVT_BUTTON, CSelectWorksheetDlg::CloseWorkbookButton);
        close.SetEventObject(dlg.FindWindow(CSelectWorksheetDlg::CloseWorkbookButton));
        dlg.FindWindow(CSelectWorksheetDlg::CloseWorkbookButton)->ProcessWindowEvent(close);
        return wxID_CANCEL;
    });
    const ExpectMessage refused("ワークブック「" + title +
                                "」は一度も保存されていないため、変更を保存して閉じることができません。\n"
                                "Excel で名前を付けて保存してから閉じてください。");
    hook.AddExpectation(dialog);
    hook.AddExpectation(refused);
    EXPECT_EQ(excel.OpenSelectWorksheetDlg(), 0);
    hook.CheckUnmetExpectations();
    EXPECT_NE(probe->model(title), nullptr) << "the changes are kept";
}
