// Sheetwire's Excel backend through real cross-process IDispatch calls under
// Wine, against the stand-in server registered as "Excel.Application" in
// the test prefix (tests/excel_standin). The stand-in holds the same
// in-memory spreadsheet model that the other Sheetwire tests use, so the
// same CExcel operations through both backends must leave the same
// spreadsheet and the same calls behind. Then binding, and every failure
// reaching the caller as AutomationError with the server's text.

#include "ChooseWorksheet.h"
#include "GuiTest.h"
#include "StandInClient.h"
#include "TempDir.h"
#include "WindowPing.h"

#include "sheetwire/Automation.h"
#include "sheetwire/CExcel.h"
#include "sheetwire/CExcelAutomation.h"
#include "sheetwire/ExcelBackend.h"
#include "sheetwire/MemorySpreadsheet.h"
#include "sheetwire/SelectWorksheetDlg.h"

#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/frame.h>
#include <wx/treectrl.h>

#include <atomic>
#include <chrono>
#include <clocale>
#include <optional>
#include <sstream>
#include <thread>

using namespace std::chrono_literals;
using sheetwire::AutomationError;

namespace {

const char* const message1002 = "Excel が起動しているか確認してください。";

class ExcelBackendTest : public testing::Test {
protected:
    void SetUp() override
    {
        wxTheApp->SetAppDisplayName(wxString::FromUTF8("SX-4810k用アクセサリーソフトウェア"));
        standin::registerServer();
        standin::endAll();
        sheetwire::setAutomationBackend(backend);
    }

    void TearDown() override
    {
        sheetwire::setAutomationBackend(nullptr);
        standin::quitAll();
    }

    std::shared_ptr<sheetwire::ExcelBackend> backend = std::make_shared<sheetwire::ExcelBackend>();
};

// Two workbooks, as an operator would have them open.
void openWorkbooks(const std::function<void(const std::string&, const std::string&)>& open)
{
    open("Book1", "Sheet1|Sheet2");
    open("結果.xls", "測定|Sheet2|Sheet3");
}

// Every kind of write and format of CExcel into 結果.xls/測定, chosen in the
// worksheet dialog as the operator does.
void writeEverything()
{
    CExcel excel;
    {
        GTestModalHook hook(__FILE__, __LINE__);
        const auto dialog = chooseWorksheet("結果.xls", "測定");
        hook.AddExpectation(dialog);
        EXPECT_EQ(excel.OpenSelectWorksheetDlg(), 1);
        hook.CheckUnmetExpectations();
    }
    const int book = excel.GetWorkbookIndex(), sheet = excel.GetWorksheetIndex();
    EXPECT_EQ(excel.SetValue(42, 1, 1, book, sheet, 1), 1);
    EXPECT_EQ(excel.SetValue(-0.125, 2, 1, book, sheet, 0), 1);
    EXPECT_EQ(excel.SetValue(1.5f, 3, 1, book, sheet, 1), 1);
    EXPECT_EQ(excel.SetValue(std::string("試料 A, \"光沢\""), 4, 1, book, sheet, 1), 1);
    const double reflectances[] = {4.25, 61.5, 99.0, 100.01};
    EXPECT_EQ(excel.SetArrayValue(reflectances, 4, 5, 2, book, sheet, 0, 1), 1);
    const std::string titles[] = {"L*", "a*", "b*"};
    EXPECT_EQ(excel.SetArrayValue(titles, 3, 1, 3, book, sheet, 1, 0), 1);
    const int numbers[] = {7, 8};
    EXPECT_EQ(excel.SetArrayValue(numbers, 2, 2, 3, book, sheet, 1, 1), 1);
    EXPECT_EQ(excel.SetCellAlignment(1, 1, 1, 1, 4, 1, book, sheet), 1);
    EXPECT_EQ(excel.SetCellAlignment(3, 2, 5, 2, 8, 2, book, sheet), 1);
    EXPECT_EQ(excel.SetCellBorderAround(1, 1, 4, 3, 1, 2, -4105, 0x00FF8040, book, sheet), 1);
    EXPECT_EQ(excel.SetCellFont(1, 1, 4, 1, book, sheet, 5), 1);
    EXPECT_EQ(excel.SetCellInterior(1, 2, 8, 2, book, sheet, 35, 1), 1);
    EXPECT_EQ(excel.SetCellAutoWidth(6, 1, 8, 1, book, sheet), 1);
    EXPECT_EQ(excel.GetCellActiveRow(book, sheet), 4);
    EXPECT_EQ(excel.GetCellActiveColumn(book, sheet), 2);
}

// The in-memory model's log without the backend's own entries (binding and
// letting go), which the stand-in's model never sees: there ExcelBackend
// does them through COM.
std::string objectCalls(const std::vector<std::string>& log)
{
    std::string calls;
    for (const std::string& entry : log) {
        // The backend's own steps, and those it takes through other members
        // of Excel (a workbook's identity is its FullName).
        if (entry == "AttachRunning" || entry == "Launch" || entry == "IsRunning" ||
            entry == "Application.Release" || entry == "Application.Flush" ||
            entry == "Workbook.Identity")
            continue;
        calls += entry + "\n";
    }
    return calls;
}

// The workbooks the dialog's tree shows, in order.
std::vector<std::string> shownWorkbooks(CSelectWorksheetDlg& dlg)
{
    auto& tree = *wxStaticCast(dlg.FindWindow(CSelectWorksheetDlg::Tree), wxTreeCtrl);
    std::vector<std::string> names;
    wxTreeItemIdValue books;
    for (auto book = tree.GetFirstChild(tree.GetRootItem(), books); book.IsOk();
         book = tree.GetNextChild(tree.GetRootItem(), books))
        names.push_back(tree.GetItemText(book).utf8_string());
    return names;
}

// The operator quits the Excel that runs; with no reference held on it, it
// ends.
void quitExcel()
{
    standin::Server excel{standin::Server::Attach{}};
    excel.script("userquit");
    EXPECT_TRUE(excel.ends(10s)) << "a reference kept the Excel its user quit alive";
}

ExpectDialog<wxFileDialog> chooseFile(const std::string& path)
{
    return ExpectDialog<wxFileDialog>([path](wxFileDialog& chooser) {
        chooser.SetPath(wxString::FromUTF8(path));
        return wxID_OK;
    });
}

} // namespace

// The dialog runs on the program's UI thread, and so do the calls its
// buttons make into an Excel they may have had to start.
TEST_F(ExcelBackendTest, NewAndOpenInTheDialogWorkWithAndWithoutAnExcelRunning)
{
    TempDir files;
    // The stand-in opens a file on the disk as a workbook of the worksheets
    // named in its lines.
    files.write("shade.xlsx", "Data\r\nNotes\r\n");
    const std::string path = files.path("shade.xlsx");
    const struct {
        bool running;
        bool openFirst;
    } cases[] = {{false, false}, {false, true}, {true, false}, {true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.running ? "an Excel running" : "no Excel running") +
                     (c.openFirst ? ", 開く... first" : ", 新規作成 first"));
        std::optional<standin::Server> excel;
        std::vector<std::string> expected;
        if (c.running) {
            excel.emplace();
            excel->script("book\tBook1\tSheet1");
            expected.push_back("Book1");
        }
        const auto pressNew = [&](CSelectWorksheetDlg& dlg) {
            press(dlg, CSelectWorksheetDlg::NewButton);
            expected.push_back(c.running ? "Book2" : "Book1");
            EXPECT_EQ(shownWorkbooks(dlg), expected);
        };
        const auto pressOpen = [&](CSelectWorksheetDlg& dlg) {
            press(dlg, CSelectWorksheetDlg::OpenButton);
            expected.push_back("shade.xlsx");
            EXPECT_EQ(shownWorkbooks(dlg), expected);
        };
        CExcel workbooks;
        // Any error box fails the test.
        wxTEST_DIALOG(workbooks.OpenSelectWorksheetDlg(),
                      ExpectDialog<CSelectWorksheetDlg>([&](CSelectWorksheetDlg& dlg) {
                          EXPECT_EQ(shownWorkbooks(dlg), expected);
                          if (c.openFirst) {
                              pressOpen(dlg);
                              pressNew(dlg);
                          } else {
                              pressNew(dlg);
                              pressOpen(dlg);
                          }
                          return wxID_CANCEL;
                      }),
                      chooseFile(path));
        quitExcel();
    }
}

// An error Excel raises in a step of the dialog ends in the dialog's
// message, and the dialog goes on.
TEST_F(ExcelBackendTest, AFailingStepOfTheDialogEndsInItsMessage)
{
    TempDir files;
    const std::string missing = files.path("missing.xlsx");
    for (const bool running : {false, true}) {
        SCOPED_TRACE(running ? "an Excel running" : "no Excel running");
        std::optional<standin::Server> excel;
        if (running)
            excel.emplace();
        CExcel workbooks;
        wxTEST_DIALOG(workbooks.OpenSelectWorksheetDlg(),
                      ExpectDialog<CSelectWorksheetDlg>([&](CSelectWorksheetDlg& dlg) {
                          press(dlg, CSelectWorksheetDlg::OpenButton);
                          EXPECT_TRUE(shownWorkbooks(dlg).empty());
                          press(dlg, CSelectWorksheetDlg::NewButton);
                          EXPECT_EQ(shownWorkbooks(dlg), std::vector<std::string>{"Book1"});
                          return wxID_CANCEL;
                      }),
                      chooseFile(missing),
                      ExpectMessage("「" + missing + "」を開くことができませんでした。"));
        quitExcel();
    }
}

TEST_F(ExcelBackendTest, WritesWhatTheInMemoryBackendWritesWithTheSameCalls)
{
    auto memory = sheetwire::MemorySpreadsheet::create();
    openWorkbooks([&](const std::string& name, const std::string& sheets) {
        std::vector<std::string> names;
        std::istringstream in(sheets);
        for (std::string sheet; std::getline(in, sheet, '|');)
            names.push_back(sheet);
        memory->addWorkbook(name, names);
    });
    memory->log.clear();
    sheetwire::setAutomationBackend(memory);
    writeEverything();

    standin::Server excel;
    openWorkbooks([&](const std::string& name, const std::string& sheets) {
        excel.script("book\t" + name + "\t" + sheets);
    });
    excel.script("clearlog");
    sheetwire::setAutomationBackend(backend);
    writeEverything();

    EXPECT_EQ(excel.state(), memory->describe());
    EXPECT_EQ(excel.log(), objectCalls(memory->log));
}

TEST_F(ExcelBackendTest, FindsARunningExcelAndStartsOneWhenNoneRuns)
{
    EXPECT_FALSE(backend->IsRunning());
    EXPECT_EQ(backend->AttachRunning(), nullptr);

    // Started through COM from the registered local server.
    const auto started = backend->Launch();
    ASSERT_NE(started, nullptr);
    started->PutVisible(true);
    EXPECT_EQ(started->Workbooks()->Count(), 0);
    EXPECT_TRUE(backend->IsRunning());
    const auto attached = backend->AttachRunning();
    ASSERT_NE(attached, nullptr);
    attached->Workbooks()->Add();
    EXPECT_EQ(started->Workbooks()->Count(), 1) << "attached to another Excel than the one started";
}

TEST_F(ExcelBackendTest, NoExcelMeansMessage1002AndNothingWritten)
{
    CExcel excel;
    int result = -1;
    wxTEST_DIALOG(result = excel.SetValue(1, 1, 1, 1, 1, 0), ExpectMessage(message1002));
    EXPECT_EQ(result, 0);
}

TEST_F(ExcelBackendTest, ErrorsOfExcelCarryItsDescription)
{
    standin::Server excel;
    excel.script("book\tBook1\tSheet1|Sheet2");
    const auto app = backend->AttachRunning();
    ASSERT_NE(app, nullptr);
    const auto books = app->Workbooks();
    auto book = books->Item(1);
    const auto sheets = book->Worksheets();
    auto second = sheets->Item(2);

    const struct {
        std::function<void()> call;
        sheetwire::AutomationFailure failure;
        std::string begins;
    } cases[] = {
        {[&] { books->Item(2); }, sheetwire::AutomationFailure::NoSuchItem, "Workbooks.Item: "},
        {[&] { sheets->Item(0); }, sheetwire::AutomationFailure::NoSuchItem, "Worksheets.Item: "},
        {[&] { second->Range("A0", "A0"); }, sheetwire::AutomationFailure::NoSuchItem, "Worksheet.Range: "},
        {[&] { second->Range("A1", "A1")->AutoFit(); }, sheetwire::AutomationFailure::Refused,
         "Range.AutoFit: "},
        {[&] { books->Open("C:\\nowhere\\x.xls"); }, sheetwire::AutomationFailure::CannotOpen,
         "Workbooks.Open: "},
        // Sheet1 is the active one: Excel selects nowhere else.
        {[&] { second->Range("A1", "A1")->Select(); }, sheetwire::AutomationFailure::Refused,
         "Range.Select: Select method of Range"},
    };
    for (const auto& c : cases) {
        try {
            c.call();
            ADD_FAILURE() << "no error for " << c.begins;
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.failure(), c.failure) << e.detail();
            // Which call failed, with Excel's own description.
            EXPECT_EQ(e.detail().compare(0, c.begins.size(), c.begins), 0) << e.detail();
            EXPECT_GT(e.detail().size(), c.begins.size() + 4) << "no description: " << e.detail();
        }
    }

    // A worksheet deleted, then a workbook closed by the user: their objects
    // fail from then on.
    second->Delete();
    const auto failureOf = [](const std::function<void()>& call) {
        try {
            call();
        } catch (const AutomationError& e) {
            return std::optional(e.failure());
        }
        return std::optional<sheetwire::AutomationFailure>();
    };
    EXPECT_EQ(failureOf([&] { second->Name(); }), sheetwire::AutomationFailure::WorkbookClosed);
    excel.script("close\tBook1");
    EXPECT_EQ(failureOf([&] { book->Name(); }), sheetwire::AutomationFailure::WorkbookClosed);
    EXPECT_EQ(failureOf([&] { sheets->Count(); }), sheetwire::AutomationFailure::WorkbookClosed);
}

// Excel's active workbook and each workbook's active sheet, as activation
// and its user's clicks change them; a worksheet of a workbook that is not
// the active one is neither activated nor selected in.
TEST_F(ExcelBackendTest, TheActiveWorkbookAndSheetFollowActivationAndTheUsersClicks)
{
    standin::Server excel;
    const auto app = backend->AttachRunning();
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(app->ActiveWorkbook(), nullptr) << "no workbook open";
    excel.script("book\tBook1\tSheet1|Sheet2");
    excel.script("book\tBook2\tSheet1");
    const auto book1 = app->Workbooks()->Item(1);
    const auto sheet2 = book1->Worksheets()->Item(2);
    EXPECT_EQ(app->ActiveWorkbook()->Name(), "Book2");
    const auto refused = [](const std::function<void()>& call) {
        try {
            call();
        } catch (const AutomationError& e) {
            return e.failure() == sheetwire::AutomationFailure::Refused;
        }
        return false;
    };
    EXPECT_TRUE(refused([&] { sheet2->Activate(); })) << "in a workbook that is not active";
    EXPECT_TRUE(refused([&] { sheet2->Range("A1", "A1")->Select(); }));

    book1->Activate();
    EXPECT_EQ(app->ActiveWorkbook()->Name(), "Book1");
    EXPECT_EQ(book1->ActiveSheet()->Name(), "Sheet1");
    sheet2->Activate();
    EXPECT_EQ(book1->ActiveSheet()->Name(), "Sheet2");
    sheet2->Range("B3", "B3")->Select();
    EXPECT_NE(excel.state().find("worksheet Sheet2 (active) active cell 2,3"), std::string::npos)
        << excel.state();

    excel.script("activate\tBook2\tSheet1");
    EXPECT_EQ(app->ActiveWorkbook()->Name(), "Book2");
    EXPECT_EQ(book1->ActiveSheet()->Name(), "Sheet2") << "each workbook keeps its own";
    EXPECT_TRUE(refused([&] { sheet2->Range("A1", "A1")->Select(); }));
}

TEST_F(ExcelBackendTest, AnExcelThatDiesFailsTheNextCallAndTheOneUnderWay)
{
    {
        standin::Server excel;
        excel.script("book\tBook1\tSheet1");
        const auto app = backend->AttachRunning();
        ASSERT_NE(app, nullptr);
        const auto books = app->Workbooks();
        EXPECT_EQ(books->Count(), 1);
        excel.kill();
        const auto start = std::chrono::steady_clock::now();
        try {
            books->Count();
            ADD_FAILURE() << "a call into a dead Excel succeeded";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.failure(), sheetwire::AutomationFailure::ApplicationGone) << e.detail();
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
        EXPECT_FALSE(backend->IsRunning());
    }
    {
        standin::Server excel;
        excel.script("book\tBook1\tSheet1");
        const auto app = backend->AttachRunning();
        ASSERT_NE(app, nullptr);
        const auto books = app->Workbooks();
        excel.delayNextCall(5000);
        std::thread killer([&] {
            std::this_thread::sleep_for(500ms);
            excel.kill();
        });
        const auto start = std::chrono::steady_clock::now();
        try {
            books->Count();
            ADD_FAILURE() << "a call into a dead Excel succeeded";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.failure(), sheetwire::AutomationFailure::ApplicationGone) << e.detail();
            EXPECT_EQ(e.detail().compare(0, 17, "Workbooks.Count: "), 0) << e.detail();
        }
        killer.join();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 4500ms) << "waited for the dead call";
    }
}

// While its user edits a cell Excel refuses every call: a call waits for it,
// the program repainting meanwhile, up to the backend's bound; then it fails
// as Busy, with a message of its own, and nothing of it is written.
TEST_F(ExcelBackendTest, ACallWaitsForABusyExcelUpToItsBound)
{
    standin::Server excel;
    excel.script("book\tBook1\tSheet1");
    sheetwire::setAutomationBackend(std::make_shared<sheetwire::ExcelBackend>(3s));
    CExcel workbooks;
    wxTEST_DIALOG(EXPECT_EQ(workbooks.OpenSelectWorksheetDlg(), 1), chooseWorksheet("Book1", "Sheet1"));

    excel.script("busy\t1500");
    EXPECT_EQ(workbooks.SetValue(7, 1, 1, 1, 1, 0), 1);
    EXPECT_NE(excel.state().find("cell 1,1 int 7 "), std::string::npos) << excel.state();

    excel.script("busy\t8000");
    const auto start = std::chrono::steady_clock::now();
    try {
        workbooks.SetValue(8, 1, 2, 1, 1, 0);
        ADD_FAILURE() << "a write into a busy Excel succeeded";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.failure(), sheetwire::AutomationFailure::Busy) << e.detail();
        EXPECT_EQ(std::string(e.what()),
                  "Excel が応答しません。Excel でセルを編集中か、Excel のダイアログが開いています。\n"
                  "Excel でセルの編集を終えるかダイアログを閉じてから、もう一度操作してください。");
    }
    EXPECT_GE(std::chrono::steady_clock::now() - start, 3s) << "gave up before the bound";
    excel.script("busy\t0");
    EXPECT_EQ(excel.state().find("cell 1,2 "), std::string::npos) << excel.state();
    EXPECT_EQ(workbooks.SetValue(8, 1, 2, 1, 1, 0), 1) << "Excel answers again";
}

// COM keeps an Excel alive while any reference to it is held: after every
// operation, failed ones and a refresh of the dialog with no workbook open
// included, Tonvale holds none, and an Excel its user quits ends.
TEST_F(ExcelBackendTest, NoReferenceToExcelIsKeptBetweenOperations)
{
    const std::string none = "application 0 objects 0";
    standin::Server excel;
    EXPECT_EQ(excel.references(), none);
    CExcel workbooks;
    wxTEST_DIALOG(workbooks.OpenSelectWorksheetDlg(),
                  ExpectDialog<CSelectWorksheetDlg>([&](CSelectWorksheetDlg& dlg) {
                      EXPECT_EQ(excel.references(), none) << "opened with no workbook";
                      press(dlg, CSelectWorksheetDlg::RefreshButton);
                      EXPECT_EQ(excel.references(), none) << "refreshed with no workbook";
                      press(dlg, CSelectWorksheetDlg::NewButton);
                      EXPECT_EQ(excel.references(), none) << "after 新規作成";
                      return wxID_CANCEL;
                  }));
    wxTEST_DIALOG(EXPECT_EQ(workbooks.OpenSelectWorksheetDlg(), 1), chooseWorksheet("Book1", "Sheet1"));
    EXPECT_EQ(excel.references(), none) << "after a selection";
    EXPECT_EQ(workbooks.SetValue(1, 1, 1, 1, 1, 1), 1);
    const double values[] = {1.5, 2.5};
    EXPECT_EQ(workbooks.SetArrayValue(values, 2, 1, 2, 1, 1, 0, 1), 1);
    EXPECT_EQ(workbooks.GetCellActiveRow(1, 1), 2);
    EXPECT_EQ(excel.references(), none) << "after writes";
    // Positions Excel does not hold: its error leaves the operation.
    EXPECT_THROW(workbooks.SetArrayValue(values, 2, 1, 2, 1, 9, 0, 0), AutomationError);
    EXPECT_THROW(workbooks.SetCellFont(1, 1, 1, 1, 3, 1, 5), AutomationError);
    EXPECT_EQ(excel.references(), none) << "after failures";

    // The operator quits Excel while Tonvale runs.
    excel.script("userquit");
    EXPECT_TRUE(excel.ends(10s)) << "a reference kept the Excel its user quit alive";
}

// An Excel that COM started for a client ends with the client's last
// reference, unless it was made visible: then its user has it.
TEST_F(ExcelBackendTest, AnExcelStartedByComEndsWithItsLastReferenceUnlessShown)
{
    for (const bool shown : {false, true}) {
        SCOPED_TRACE(shown ? "shown" : "hidden");
        // Wine's COM keeps the class of a server that has just ended for a
        // moment, and a start in that moment fails: the start after the
        // first is tried again for a few seconds.
        std::shared_ptr<sheetwire::AutomationApplication> started = backend->Launch();
        for (const auto until = std::chrono::steady_clock::now() + 10s;
             started == nullptr && std::chrono::steady_clock::now() < until;
             started = backend->Launch())
            std::this_thread::sleep_for(200ms);
        ASSERT_NE(started, nullptr);
        EXPECT_EQ(started->Workbooks()->Count(), 0);
        if (shown)
            started->PutVisible(true);
        standin::Server excel{standin::Server::Attach{}};
        started.reset();
        EXPECT_EQ(excel.ends(shown ? 1s : 10s), !shown);
        if (shown) {
            excel.script("userquit");
            EXPECT_TRUE(excel.ends(10s)) << "its user quit it";
        }
    }
}

// Excel asks before it deletes a worksheet; the user's Cancel is no
// deletion.
TEST_F(ExcelBackendTest, ACancelledDeleteReturns0AndKeepsTheWorksheet)
{
    standin::Server excel;
    excel.script("book\tBook1\tSheet1|Sheet2|Sheet3");
    CExcelAutomation automation;
    excel.script("canceldelete");
    EXPECT_EQ(automation.DeleteWorksheet("Book1", "Sheet2"), 0);
    EXPECT_NE(excel.state().find("worksheet Sheet2"), std::string::npos) << excel.state();
    EXPECT_EQ(automation.DeleteWorksheet("Book1", "Sheet2"), 1);
    EXPECT_EQ(excel.state().find("worksheet Sheet2"), std::string::npos) << excel.state();
}

TEST_F(ExcelBackendTest, AWorkbookIsKnownByItsFileAndANewOneByItsExcel)
{
    standin::Server excel;
    excel.script("file\tC:\\data\\shade.xlsx\tData");
    const auto app = backend->AttachRunning();
    ASSERT_NE(app, nullptr);
    const auto books = app->Workbooks();
    auto book1 = books->Add();
    auto file = books->Open("C:\\data\\shade.xlsx");
    const std::uint64_t newOne = book1->Identity(), saved = file->Identity();
    EXPECT_NE(newOne, 0u);
    EXPECT_NE(newOne, saved);
    EXPECT_EQ(books->Item(1)->Identity(), newOne) << "the same workbook, reached again";

    // The file opened anew is the same workbook; a new "Book1" of an Excel
    // started anew is not.
    file->Close(0);
    EXPECT_EQ(books->Open("C:\\data\\shade.xlsx")->Identity(), saved);
    excel.kill();
    standin::Server other;
    const auto otherApp = backend->AttachRunning();
    ASSERT_NE(otherApp, nullptr);
    EXPECT_NE(otherApp->Workbooks()->Add()->Identity(), newOne);
}

// A worksheet that holds the operator's cells is written below them: the
// first free row is read from Excel's used range, whose address and first
// cell's formula cross the process boundary as Excel gives them.
TEST_F(ExcelBackendTest, TheFirstFreeRowIsBelowTheUsedRangeAndOneOnAnEmptyWorksheet)
{
    standin::Server server;
    server.script("book\tBook1\tSheet1|Sheet2");
    CExcelAutomation excel;
    ASSERT_EQ(excel.SelectWorksheet("Book1", "Sheet2"), 1);
    EXPECT_EQ(excel.GetFirstFreeRow(1, 2), 1);
    // Excel reports an empty worksheet's used range as A1, formatted or not.
    EXPECT_EQ(excel.SetCellFont(1, 1, 1, 1, 1, 2, 0), 1);
    EXPECT_EQ(excel.GetFirstFreeRow(1, 2), 1);
    EXPECT_EQ(excel.SetValue(std::string("mine"), 1, 1, 1, 2, 0), 1);
    EXPECT_EQ(excel.GetFirstFreeRow(1, 2), 2);
    const double values[] = {1.5, 2.5, 3.5, 4.5, 5.5};
    EXPECT_EQ(excel.SetArrayValue(values, 5, 2, 1, 1, 2, 1, 0), 1);
    EXPECT_EQ(excel.GetFirstFreeRow(1, 2), 6);
    EXPECT_EQ(excel.SetValue(std::string("memo"), 3, 12, 1, 2, 0), 1);
    EXPECT_EQ(excel.GetFirstFreeRow(1, 2), 13);
    EXPECT_EQ(excel.GetFirstFreeRow(1, 1), 1) << "the other worksheet is still empty";
}

// Excel asks its user before it closes a workbook with unsaved changes and
// before it quits with one open, and its method returns only once the user
// has answered. Meanwhile Tonvale's window keeps answering, the wait is not
// taken for a busy Excel however long the user takes, and Tonvale puts no
// box of its own over Excel's question.
TEST_F(ExcelBackendTest, WhileExcelAsksItsUserTonvaleStaysResponsiveAndWaitsForTheAnswer)
{
    standin::Server excel;
    excel.script("book\tBook1\tSheet1");
    excel.script("book\tBook2\tSheet1");
    // A bound on a busy Excel shorter than the user's answer.
    sheetwire::setAutomationBackend(std::make_shared<sheetwire::ExcelBackend>(1s));
    auto* frame = new wxFrame(nullptr, wxID_ANY, "Tonvale");
    frame->Show();
    const unsigned long window = nativeWindowId(*frame);
    CExcelAutomation automation;

    // Runs operation while the user takes 2.5 s over Excel's question, and
    // pings Tonvale's window meanwhile; what it returned.
    const auto whileAsked = [&](const char* what, const std::function<int()>& operation) -> int {
        SCOPED_TRACE(what);
        excel.script("question\t2500");
        std::atomic<bool> done{false};
        std::vector<std::optional<std::chrono::milliseconds>> pings;
        std::thread pinger([&] {
            while (!done) {
                pings.push_back(pingWindow(window, 1000ms));
                std::this_thread::sleep_for(200ms);
            }
        });
        const auto start = std::chrono::steady_clock::now();
        int result = -1;
        {
            GTestModalHook noBoxOfOurOwn(__FILE__, __LINE__);
            result = operation();
        }
        const auto took = std::chrono::steady_clock::now() - start;
        done = true;
        pinger.join();
        EXPECT_GE(took, 2500ms) << "returned before the user answered";
        EXPECT_GE(pings.size(), 5u);
        for (const auto& ping : pings) {
            EXPECT_TRUE(ping.has_value()) << "Tonvale's window did not answer while Excel asked";
            EXPECT_LT(ping.value_or(1000ms), 500ms);
        }
        return result;
    };

    EXPECT_EQ(whileAsked("Close", [&] { return automation.CloseWorkbook("Book1", 1); }), 1);
    EXPECT_EQ(excel.state().find("workbook Book1"), std::string::npos) << excel.state();
    EXPECT_EQ(whileAsked("Quit", [&] { return automation.QuitExcel(); }), 1);
    EXPECT_TRUE(excel.ends(10s)) << "the Excel told to quit did not end";
    frame->Destroy();
}
