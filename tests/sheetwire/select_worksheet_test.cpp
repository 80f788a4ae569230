// The worksheet selection dialog over the in-memory spreadsheet, run through
// CExcel::OpenSelectWorksheetDlg under the modal hook: the tree, the rules
// that switch buttons on and off, the selection and its tips, the results,
// and errors the application raises inside a step.

#include "SheetwireTest.h"
#include "Layout.h"

#include "sheetwire/CExcel.h"
#include "sheetwire/CExcelAutomation.h"
#include "sheetwire/SelectWorksheetDlg.h"

#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/statbox.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

#include <algorithm>
#include <functional>

namespace {

using Dlg = CSelectWorksheetDlg;
using Names = std::vector<std::string>;

const struct {
    int id;
    const char* caption;
} controls[] = {
    {Dlg::OpenButton, "開く..."},          {Dlg::NewButton, "新規作成"},
    {Dlg::CloseWorkbookButton, "閉じる"}, {Dlg::QuitButton, "終了"},
    {Dlg::AddButton, "追加"},              {Dlg::DeleteButton, "削除"},
    {Dlg::RefreshButton, "最新情報に更新"}, {Dlg::SelectButton, "選択"},
    {wxID_OK, "閉じる(1)"},
};

const Names allButtons = {"開く...", "新規作成", "閉じる", "終了", "追加",
                          "削除", "最新情報に更新", "選択", "閉じる(1)"};
const Names withoutApplication = {"開く...", "新規作成", "最新情報に更新", "閉じる(1)"};
const Names workbookChosen = {"開く...", "新規作成", "閉じる", "終了", "最新情報に更新", "閉じる(1)"};

Names enabledButtons(Dlg& dlg)
{
    Names enabled;
    for (const auto& control : controls)
        if (dlg.FindWindow(control.id)->IsEnabled())
            enabled.push_back(control.caption);
    return enabled;
}


wxTreeCtrl& treeOf(Dlg& dlg)
{
    return *wxStaticCast(dlg.FindWindow(Dlg::Tree), wxTreeCtrl);
}

std::vector<wxTreeItemId> children(wxTreeCtrl& tree, const wxTreeItemId& parent)
{
    std::vector<wxTreeItemId> items;
    wxTreeItemIdValue cookie;
    for (auto item = tree.GetFirstChild(parent, cookie); item.IsOk();
         item = tree.GetNextChild(parent, cookie))
        items.push_back(item);
    return items;
}

// The tree as shown: one entry per root item with its children's texts.
std::vector<WorkbookEntry> shownTree(Dlg& dlg)
{
    auto& tree = treeOf(dlg);
    std::vector<WorkbookEntry> shown;
    for (const auto& workbook : children(tree, tree.GetRootItem())) {
        shown.push_back({tree.GetItemText(workbook).utf8_string(), {}});
        for (const auto& worksheet : children(tree, workbook))
            shown.back().worksheets.push_back(tree.GetItemText(worksheet).utf8_string());
    }
    return shown;
}

// Selects an item in the tree as the user would: a workbook, or one of its
// worksheets.
void choose(Dlg& dlg, const std::string& workbook, const std::string& worksheet = {})
{
    auto& tree = treeOf(dlg);
    for (const auto& book : children(tree, tree.GetRootItem())) {
        if (tree.GetItemText(book).utf8_string() != workbook)
            continue;
        if (worksheet.empty()) {
            tree.SelectItem(book);
            return;
        }
        for (const auto& sheet : children(tree, book)) {
            if (tree.GetItemText(sheet).utf8_string() == worksheet) {
                tree.SelectItem(sheet);
                return;
            }
        }
    }
    ADD_FAILURE() << "no tree item " << workbook << "/" << worksheet;
}

std::string textOf(Dlg& dlg, int id)
{
    return wxStaticCast(dlg.FindWindow(id), wxTextCtrl)->GetValue().utf8_string();
}

std::string tipOf(Dlg& dlg, int id)
{
    return dlg.FindWindow(id)->GetToolTipText().utf8_string();
}

// The modal hook reads -1 as "not this dialog"; a dialog that ended with -1
// is answered as cancelled, which OpenSelectWorksheetDlg reports the same way.
int answer(Dlg& dlg)
{
    return dlg.GetReturnCode() == -1 ? wxID_CANCEL : dlg.GetReturnCode();
}

} // namespace

class SelectWorksheetTest : public SheetwireTest {
protected:
    // Runs the dialog with body; further expectations for the dialogs the
    // body opens can follow.
    template <typename... More>
    int open(const std::function<void(Dlg&)>& body, const More&... more)
    {
        GTestModalHook hook(__FILE__, __LINE__);
        const ExpectDialog<Dlg> dialog([&](Dlg& dlg) {
            body(dlg);
            return answer(dlg);
        });
        hook.AddExpectation(dialog);
        (hook.AddExpectation(more), ...);
        const int result = excel.OpenSelectWorksheetDlg();
        hook.CheckUnmetExpectations();
        return result;
    }

    GTestModalHook unexpectedDialogsFail{__FILE__, __LINE__};
    CExcel excel;
};

TEST_F(SelectWorksheetTest, TheTreeHoldsEveryWorkbookExpandedWithTheLastOneAtTheTop)
{
    // More worksheets than the tree can show at once, so that the last
    // workbook can be scrolled to the top.
    Names many;
    for (int i = 1; i <= 30; ++i)
        many.push_back("Sheet" + std::to_string(i));
    spreadsheet->addWorkbook("Book1", many);
    spreadsheet->addWorkbook("結果.xls", many);
    open([&](Dlg& dlg) {
        const std::vector<WorkbookEntry> expected = {{"Book1", many}, {"結果.xls", many}};
        EXPECT_EQ(shownTree(dlg), expected);
        EXPECT_EQ(dlg.logic().workbooks(), expected);
        auto& tree = treeOf(dlg);
        const auto workbooks = children(tree, tree.GetRootItem());
        for (const auto& workbook : workbooks)
            EXPECT_TRUE(tree.IsExpanded(workbook));
        // The last workbook is the top row, to within the tree's scroll step:
        // at most a sliver of the item above it shows.
        wxRect top;
        ASSERT_TRUE(tree.GetBoundingRect(workbooks.back(), top));
        EXPECT_GE(top.y, 0);
        EXPECT_LT(top.y, top.height / 2);
        const auto selected = tree.GetSelection();
#ifdef _WIN32
        // A Windows tree selects its top row when it takes the focus: the
        // buttons follow that workbook.
        EXPECT_TRUE(selected == workbooks.back()) << tree.GetItemText(selected);
        EXPECT_EQ(enabledButtons(dlg), workbookChosen);
#else
        EXPECT_TRUE(!selected.IsOk() || selected == tree.GetRootItem())
            << "nothing is selected: " << tree.GetItemText(selected);
        EXPECT_EQ(enabledButtons(dlg), allButtons);
#endif
        EXPECT_EQ(dlg.GetTitle().utf8_string(), "ワークシートの選択");
    });
}

TEST_F(SelectWorksheetTest, WithoutARunningApplicationOnlyOpenNewRefreshAndCloseStayOn)
{
    spreadsheet->running = false;
    open([](Dlg& dlg) {
        EXPECT_TRUE(shownTree(dlg).empty());
        EXPECT_EQ(enabledButtons(dlg), withoutApplication);
    });

    // Running but without workbooks: the tree is empty too, "終了" stays on.
    spreadsheet->running = true;
    open([](Dlg& dlg) {
        EXPECT_TRUE(shownTree(dlg).empty());
        EXPECT_EQ(enabledButtons(dlg), (Names{"開く...", "新規作成", "終了", "最新情報に更新", "閉じる(1)"}));
    });
}

TEST_F(SelectWorksheetTest, TheResultIsOneOnlyForTheCloseButtonAfterASuccessfulSelection)
{
    openTwoWorkbooks();
    const struct {
        const char* what;
        bool selectFirst;
        std::function<void(Dlg&)> end;
        int returnCode;
        int result;
    } cases[] = {
        {"closed without selecting", false, [](Dlg& dlg) { press(dlg, wxID_OK); }, -1, 0},
        {"closed after selecting", true, [](Dlg& dlg) { press(dlg, wxID_OK); }, wxID_OK, 1},
        {"Escape after selecting", true,
         [](Dlg& dlg) {
             wxKeyEvent escape(wxEVT_CHAR_HOOK);
             escape.m_keyCode = WXK_ESCAPE;
             dlg.ProcessWindowEvent(escape);
         },
         wxID_CANCEL, 0},
        {"title bar close after selecting", true, [](Dlg& dlg) { dlg.Close(); }, wxID_CANCEL, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(open([&](Dlg& dlg) {
                      if (c.selectFirst) {
                          choose(dlg, "結果.xls", "Sheet3");
                          press(dlg, Dlg::SelectButton);
                      }
                      c.end(dlg);
                      EXPECT_EQ(dlg.GetReturnCode(), c.returnCode);
                  }),
                  c.result);
        // The target is what the dialog selected, whatever its result.
        EXPECT_EQ(excel.GetWorkbookIndex(), c.selectFirst ? 2 : 1);
        EXPECT_EQ(excel.GetWorksheetIndex(), c.selectFirst ? 3 : 1);
    }
}

TEST_F(SelectWorksheetTest, ASelectionShowsTheTargetAndItsTipsAndAFailedOneKeepsTheResult)
{
    openTwoWorkbooks();
    // An earlier run selected a target: the edit boxes show it, the tips not.
    EXPECT_EQ(open([](Dlg& dlg) {
                  choose(dlg, "Book1", "Sheet2");
                  press(dlg, Dlg::SelectButton);
                  press(dlg, wxID_OK);
              }),
              1);

    EXPECT_EQ(open(
                  [&](Dlg& dlg) {
                      EXPECT_EQ(textOf(dlg, Dlg::WorkbookText), "Book1");
                      EXPECT_EQ(textOf(dlg, Dlg::WorksheetText), "Sheet2");
                      EXPECT_EQ(tipOf(dlg, Dlg::WorkbookText), "");
                      EXPECT_EQ(tipOf(dlg, Dlg::WorksheetText), "");

                      choose(dlg, "結果.xls", "測定");
                      press(dlg, Dlg::SelectButton);
                      EXPECT_TRUE(dlg.logic().selected());
                      EXPECT_EQ(textOf(dlg, Dlg::WorkbookText), "結果.xls");
                      EXPECT_EQ(textOf(dlg, Dlg::WorksheetText), "測定");
                      EXPECT_EQ(tipOf(dlg, Dlg::WorkbookText), "結果.xls");
                      EXPECT_EQ(tipOf(dlg, Dlg::WorksheetText), "測定");

                      // The worksheet goes away behind the dialog's back.
                      choose(dlg, "結果.xls", "Sheet3");
                      auto book = spreadsheet->workbook("結果.xls");
                      book->worksheets.pop_back();
                      press(dlg, Dlg::SelectButton);
                      EXPECT_EQ(textOf(dlg, Dlg::WorksheetText), "測定");
                      EXPECT_EQ(tipOf(dlg, Dlg::WorksheetText), "測定");
                      EXPECT_EQ(shownTree(dlg).back().worksheets, (Names{"測定", "Sheet2"}))
                          << "a failed selection refreshes the tree";
                      press(dlg, wxID_OK);
                  },
                  ExpectMessage(message1003)),
              1);
    // The target is that of the failed attempt as far as it got.
    EXPECT_EQ(excel.GetWorkbookName(), "結果.xls");
    EXPECT_EQ(excel.GetWorkbookIndex(), 2);
    EXPECT_EQ(excel.GetWorksheetName(), "Sheet3");
    EXPECT_EQ(excel.GetWorksheetIndex(), 0);
}

TEST_F(SelectWorksheetTest, ChoosingAWorkbookOrAWorksheetSwitchesTheButtons)
{
    openTwoWorkbooks();
    open([](Dlg& dlg) {
        choose(dlg, "Book1");
        EXPECT_EQ(enabledButtons(dlg), workbookChosen);
        choose(dlg, "Book1", "Sheet1");
        EXPECT_EQ(enabledButtons(dlg), allButtons);
    });
    // A worksheet leaves "閉じる" and "終了" as they are.
    spreadsheet->running = false;
    open([&](Dlg& dlg) {
        spreadsheet->running = true;
        spreadsheet->addWorkbook("Book9", {"Sheet1"});
        press(dlg, Dlg::RefreshButton);
        EXPECT_EQ(enabledButtons(dlg), withoutApplication) << "a refresh switches nothing on";
        choose(dlg, "Book9", "Sheet1");
        EXPECT_EQ(enabledButtons(dlg), (Names{"開く...", "新規作成", "追加", "削除",
                                              "最新情報に更新", "選択", "閉じる(1)"}));
    });
}

TEST_F(SelectWorksheetTest, CloseClosesTheWorkbookOfTheSelectedItemSavingChanges)
{
    openTwoWorkbooks();
    spreadsheet->addWorkbook("Book3", {"Sheet1"});
    open([&](Dlg& dlg) {
        choose(dlg, "Book1", "Sheet2");
        press(dlg, Dlg::CloseWorkbookButton);
        EXPECT_EQ(spreadsheet->workbookNames(), (Names{"結果.xls", "Book3"}));
        choose(dlg, "Book3");
        press(dlg, Dlg::CloseWorkbookButton);
        EXPECT_EQ(spreadsheet->workbookNames(), (Names{"結果.xls"}));
        EXPECT_EQ(std::count(spreadsheet->log.begin(), spreadsheet->log.end(), "Workbook.Close(1)"), 2);
        EXPECT_EQ(shownTree(dlg), (std::vector<WorkbookEntry>{{"結果.xls", {"測定", "Sheet2", "Sheet3"}}}));
        EXPECT_TRUE(dlg.FindWindow(Dlg::CloseWorkbookButton)->IsEnabled());

        choose(dlg, "結果.xls");
        press(dlg, Dlg::CloseWorkbookButton);
        EXPECT_TRUE(shownTree(dlg).empty());
        EXPECT_FALSE(dlg.FindWindow(Dlg::CloseWorkbookButton)->IsEnabled())
            << "nothing left to close";
    });
}

TEST_F(SelectWorksheetTest, AddInsertsBeforeTheSelectedWorksheetAndDeleteRemovesIt)
{
    openTwoWorkbooks();
    open([&](Dlg& dlg) {
        choose(dlg, "結果.xls", "Sheet2");
        press(dlg, Dlg::AddButton);
        EXPECT_EQ(shownTree(dlg).back().worksheets, (Names{"測定", "Sheet4", "Sheet2", "Sheet3"}));
        choose(dlg, "結果.xls", "測定");
        press(dlg, Dlg::DeleteButton);
        EXPECT_EQ(shownTree(dlg).back().worksheets, (Names{"Sheet4", "Sheet2", "Sheet3"}));
        EXPECT_EQ(enabledButtons(dlg), allButtons);
    });
}

TEST_F(SelectWorksheetTest, AFailedAddOrDeleteSwitchesItsButtonOff)
{
    openTwoWorkbooks();
    const struct {
        int button;
        const char* off;
    } cases[] = {{Dlg::AddButton, "追加"}, {Dlg::DeleteButton, "削除"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.off);
        open(
            [&](Dlg& dlg) {
                choose(dlg, "Book1", "Sheet1");
                spreadsheet->worksheet("Book1", "Sheet1")->name = "Renamed";
                press(dlg, c.button);
                Names expected = allButtons;
                expected.erase(std::find(expected.begin(), expected.end(), c.off));
                EXPECT_EQ(enabledButtons(dlg), expected);
                spreadsheet->worksheet("Book1", "Renamed")->name = "Sheet1";
            },
            ExpectMessage(message1003));
    }
}

TEST_F(SelectWorksheetTest, AnErrorRaisedInsideAStepIsShownAndTheDialogStaysOpen)
{
    spreadsheet->addWorkbook("Book1", {"Sheet1"});
    EXPECT_EQ(open(
                  [](Dlg& dlg) {
                      choose(dlg, "Book1", "Sheet1");
                      press(dlg, Dlg::DeleteButton);
                      EXPECT_EQ(dlg.GetReturnCode(), 0);
                      EXPECT_EQ(shownTree(dlg), (std::vector<WorkbookEntry>{{"Book1", {"Sheet1"}}}));
                      press(dlg, Dlg::SelectButton);
                      press(dlg, wxID_OK);
                  },
                  ExpectMessage("Excel がこの操作を受け付けませんでした。")),
              1);
}

TEST_F(SelectWorksheetTest, QuitEmptiesTheTreeAndLeavesFourButtonsOn)
{
    openTwoWorkbooks();
    open([&](Dlg& dlg) {
        choose(dlg, "Book1", "Sheet1");
        press(dlg, Dlg::QuitButton);
        EXPECT_FALSE(spreadsheet->running);
        EXPECT_TRUE(shownTree(dlg).empty());
        EXPECT_EQ(enabledButtons(dlg), withoutApplication);
    });
}

TEST_F(SelectWorksheetTest, RefreshWithoutTheApplicationSwitchesTheWorksheetButtonsOff)
{
    openTwoWorkbooks();
    open([&](Dlg& dlg) {
        spreadsheet->running = false;
        press(dlg, Dlg::RefreshButton);
        EXPECT_TRUE(shownTree(dlg).empty());
        EXPECT_EQ(enabledButtons(dlg), withoutApplication);
        spreadsheet->running = true;
        press(dlg, Dlg::RefreshButton);
        EXPECT_EQ(shownTree(dlg).size(), 2u);
        EXPECT_EQ(enabledButtons(dlg), withoutApplication);
    });
}

TEST_F(SelectWorksheetTest, OpenAndNewAddWorkbooksStartingTheApplicationWhenNeeded)
{
    spreadsheet->running = false;
    const std::string path = spreadsheetFile("shade.xlsx", {"Data"});
    open(
        [&](Dlg& dlg) {
            press(dlg, Dlg::OpenButton);
            EXPECT_TRUE(shownTree(dlg).empty()) << "cancelled";
            press(dlg, Dlg::OpenButton);
            EXPECT_EQ(shownTree(dlg), (std::vector<WorkbookEntry>{{"shade.xlsx", {"Data"}}}));
            EXPECT_EQ(enabledButtons(dlg), withoutApplication)
                << "only choosing an item switches buttons back on";
            press(dlg, Dlg::NewButton);
            EXPECT_EQ(shownTree(dlg), (std::vector<WorkbookEntry>{{"shade.xlsx", {"Data"}},
                                                                  {"Book1", {"Sheet1"}}}));
        },
        ExpectDialog<wxFileDialog>([](wxFileDialog&) { return wxID_CANCEL; }),
        ExpectDialog<wxFileDialog>([&](wxFileDialog& chooser) {
            chooser.SetPath(wxString::FromUTF8(path));
            // The chooser takes the file once it has read its folder.
            EXPECT_TRUE(pumpUntil([&] { return !chooser.GetPath().empty(); }));
            return wxID_OK;
        }));
}

TEST_F(SelectWorksheetTest, NewChoosesTheNewWorkbooksFirstWorksheetReadyToBeSelected)
{
    openTwoWorkbooks();
    EXPECT_EQ(open([&](Dlg& dlg) {
                  // Whatever was chosen before, even a workbook.
                  choose(dlg, "結果.xls");
                  press(dlg, Dlg::NewButton);
                  auto& tree = treeOf(dlg);
                  const auto chosen = tree.GetSelection();
                  ASSERT_TRUE(chosen.IsOk());
                  EXPECT_EQ(tree.GetItemText(chosen).utf8_string(), "Sheet1");
                  // Of the new workbook, last in the tree.
                  EXPECT_EQ(tree.GetItemParent(chosen), tree.GetLastChild(tree.GetRootItem()));
                  EXPECT_EQ(tree.GetItemText(tree.GetItemParent(chosen)).utf8_string(), "Book2");
                  EXPECT_EQ(children(tree, tree.GetRootItem()).size(), 3u);
                  EXPECT_EQ(enabledButtons(dlg), allButtons);
                  press(dlg, Dlg::SelectButton);
                  press(dlg, wxID_OK);
              }),
              1);
    EXPECT_EQ(excel.GetWorkbookIndex(), 3);
    EXPECT_EQ(excel.GetWorksheetIndex(), 1);
    EXPECT_EQ(spreadsheet->activeWorkbook, spreadsheet->workbooks.back());

    // Without a running application the new workbook's worksheet is chosen
    // too; "閉じる" and "終了" stay as they were.
    spreadsheet->running = false;
    open([&](Dlg& dlg) {
        press(dlg, Dlg::NewButton);
        const auto chosen = treeOf(dlg).GetSelection();
        ASSERT_TRUE(chosen.IsOk());
        EXPECT_EQ(treeOf(dlg).GetItemText(chosen).utf8_string(), "Sheet1");
        EXPECT_EQ(enabledButtons(dlg), (Names{"開く...", "新規作成", "追加", "削除",
                                              "最新情報に更新", "選択", "閉じる(1)"}));
        // Any later rebuild leaves the choice to the user again.
        press(dlg, Dlg::RefreshButton);
        EXPECT_FALSE(treeOf(dlg).GetSelection().IsOk());
    });
}

TEST(SelectWorksheetLayout, EveryCaptionFitsAndNoControlsOverlap)
{
    CExcelAutomation automation;
    Dlg dlg(automation, nullptr);
    EXPECT_EQ(expectTidyLayout(dlg), 14u);
}
