#include "sheetwire/SelectWorksheetDlg.h"

#include "Resources.h"
#include "Strings.h"
#include "sheetwire/Automation.h"

#include "uikit/Xrc.h"

#include <wx/button.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

namespace {

struct ButtonBinding {
    int id;
    SelectWorksheetLogic::Button button;
};

constexpr ButtonBinding buttons[] = {
    {CSelectWorksheetDlg::OpenButton, SelectWorksheetLogic::OpenWorkbook},
    {CSelectWorksheetDlg::NewButton, SelectWorksheetLogic::NewWorkbook},
    {CSelectWorksheetDlg::CloseWorkbookButton, SelectWorksheetLogic::CloseWorkbook},
    {CSelectWorksheetDlg::QuitButton, SelectWorksheetLogic::Quit},
    {CSelectWorksheetDlg::AddButton, SelectWorksheetLogic::AddWorksheet},
    {CSelectWorksheetDlg::DeleteButton, SelectWorksheetLogic::DeleteWorksheet},
    {CSelectWorksheetDlg::RefreshButton, SelectWorksheetLogic::Refresh},
    {CSelectWorksheetDlg::SelectButton, SelectWorksheetLogic::Select},
};

} // namespace

CSelectWorksheetDlg::CSelectWorksheetDlg(CExcelAutomation& automation, wxWindow* parent)
    : form(automation)
{
    sheetwire::ensureResources();
    uikit::loadDialog(*this, parent, "SHEETWIRE_SELECT_WORKSHEET_12000");
    tree = static_cast<wxTreeCtrl*>(FindWindow(Tree));
    root = tree->AddRoot(wxString());
    // Tips are registered at once, empty until a selection succeeds.
    FindWindow(WorkbookText)->SetToolTip(wxString());
    FindWindow(WorksheetText)->SetToolTip(wxString());
    // Without a cancel button wx would turn Escape and the title bar's close
    // into the close button; both cancel here.
    SetEscapeId(wxID_NONE);

    Bind(wxEVT_INIT_DIALOG, &CSelectWorksheetDlg::onInitDialog, this);
    Bind(wxEVT_CHAR_HOOK, &CSelectWorksheetDlg::onCharHook, this);
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { finish(wxID_CANCEL); });
    Bind(wxEVT_TREE_SEL_CHANGED, &CSelectWorksheetDlg::onSelectionChanged, this, Tree);

    const auto onButton = [this](int id, std::function<void()> step) {
        Bind(wxEVT_BUTTON, [this, step](wxCommandEvent&) { run(step); }, id);
    };
    onButton(OpenButton, [this] {
        form.openWorkbook();
        focusTree(true);
    });
    onButton(NewButton, [this] {
        form.newWorkbook();
        focusTree(true);
    });
    onButton(CloseWorkbookButton, [this] {
        form.closeWorkbook(treeSelection());
        focusTree(false);
    });
    onButton(QuitButton, [this] { form.quit(); });
    onButton(AddButton, [this] {
        form.addWorksheet(treeSelection());
        focusTree(false);
    });
    onButton(DeleteButton, [this] {
        form.deleteWorksheet(treeSelection());
        focusTree(false);
    });
    onButton(SelectButton, [this] {
        if (!form.select(treeSelection()))
            focusTree(false);
    });
    onButton(RefreshButton, [this] {
        form.refresh();
        focusTree(false);
    });
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { finish(form.selected() ? wxID_OK : -1); },
         wxID_OK);
}

void CSelectWorksheetDlg::run(const std::function<void()>& step)
{
    try {
        step();
    } catch (const sheetwire::AutomationError& error) {
        sheetwire::showError(error.what());
    }
    showLogic();
}

void CSelectWorksheetDlg::showLogic()
{
    if (form.treeVersion() != shownTreeVersion)
        rebuildTree();
    for (const auto& binding : buttons)
        FindWindow(binding.id)->Enable(form.isEnabled(binding.button));
    auto* workbook = static_cast<wxTextCtrl*>(FindWindow(WorkbookText));
    auto* worksheet = static_cast<wxTextCtrl*>(FindWindow(WorksheetText));
    workbook->ChangeValue(wxString::FromUTF8(form.workbookText()));
    worksheet->ChangeValue(wxString::FromUTF8(form.worksheetText()));
    workbook->SetToolTip(wxString::FromUTF8(form.workbookTip()));
    worksheet->SetToolTip(wxString::FromUTF8(form.worksheetTip()));
}

void CSelectWorksheetDlg::rebuildTree()
{
    // Only the user's choice of an item may switch buttons on; clearing and
    // filling the tree must not look like one.
    rebuilding = true;
    tree->DeleteChildren(root);
    wxTreeItemId lastWorkbook;
    wxTreeItemId lastItem;
    for (const auto& workbook : form.workbooks()) {
        lastWorkbook = lastItem = tree->AppendItem(root, wxString::FromUTF8(workbook.name));
        for (const auto& worksheet : workbook.worksheets)
            lastItem = tree->AppendItem(lastWorkbook, wxString::FromUTF8(worksheet));
        tree->Expand(lastWorkbook);
    }
    // The last workbook becomes the first visible item: scroll to the end,
    // then back up to it when it lies above the view.
    if (lastWorkbook.IsOk()) {
        tree->ScrollTo(lastItem);
        tree->ScrollTo(lastWorkbook);
    }
    if (const auto& choice = form.treeChoice())
        selectItem(*choice);
    shownTreeVersion = form.treeVersion();
    rebuilding = false;
}

void CSelectWorksheetDlg::selectItem(const TreeSelection& choice)
{
    // From the last workbook up: a new one, the one chosen, comes last and
    // may share its name with an older one.
    for (auto book = tree->GetLastChild(root); book.IsOk(); book = tree->GetPrevSibling(book)) {
        if (tree->GetItemText(book).utf8_string() != choice.parentText)
            continue;
        wxTreeItemIdValue sheets;
        for (auto sheet = tree->GetFirstChild(book, sheets); sheet.IsOk();
             sheet = tree->GetNextChild(book, sheets)) {
            if (tree->GetItemText(sheet).utf8_string() == choice.text) {
                tree->SelectItem(sheet);
                tree->EnsureVisible(sheet);
                return;
            }
        }
    }
}

TreeSelection CSelectWorksheetDlg::treeSelection() const
{
    const wxTreeItemId item = tree->GetSelection();
    if (!item.IsOk() || item == root)
        return {};
    const wxTreeItemId parent = tree->GetItemParent(item);
    return {tree->GetItemText(item).utf8_string(),
            parent == root ? std::string() : tree->GetItemText(parent).utf8_string(),
            tree->GetChildrenCount(item, false) > 0};
}

void CSelectWorksheetDlg::focusTree(bool raise)
{
    if (raise)
        Raise();
    tree->SetFocus();
}

void CSelectWorksheetDlg::finish(int result)
{
    // Also kept when the dialog runs without a modal loop of its own.
    SetReturnCode(result);
    EndDialog(result);
}

void CSelectWorksheetDlg::onInitDialog(wxInitDialogEvent&)
{
    run([this] { form.initialise(); });
    focusTree(true);
}

void CSelectWorksheetDlg::onSelectionChanged(wxTreeEvent& event)
{
    if (rebuilding)
        return;
    form.selectionChanged(treeSelection());
    showLogic();
    event.Skip();
}

void CSelectWorksheetDlg::onCharHook(wxKeyEvent& event)
{
    if (event.GetKeyCode() == WXK_ESCAPE && event.GetModifiers() == wxMOD_NONE)
        finish(wxID_CANCEL);
    else
        event.Skip();
}
