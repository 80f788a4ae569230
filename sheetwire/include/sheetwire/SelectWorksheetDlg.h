#pragma once
// Dialog 12000, "ワークシートの選択": the workbooks of the running spreadsheet
// application as a tree, buttons to open, create and close workbooks, add
// and delete worksheets, quit the application, and select the worksheet
// that becomes the target. Binds the resource's controls to a
// SelectWorksheetLogic; ends with wxID_OK only through its close button
// after a successful selection, with -1 through that button otherwise and
// with wxID_CANCEL on Escape or the title bar's close.

#include "sheetwire/SelectWorksheetLogic.h"
#include "sheetwire/sheetwire_export.h"

#include <wx/dialog.h>
#include <wx/treebase.h>

#include <functional>

class CExcelAutomation;
class wxTreeCtrl;
class wxTreeEvent;

class SHEETWIRE_EXPORT CSelectWorksheetDlg : public wxDialog {
public:
    // Control ids of the resource.
    enum {
        QuitButton = 12001,
        NewButton = 12002,
        Tree = 12003,
        DeleteButton = 12004,
        AddButton = 12005,
        OpenButton = 12006,
        CloseWorkbookButton = 12008,
        SelectButton = 12011,
        RefreshButton = 12012,
        WorksheetText = 12013,
        WorkbookText = 12014
    };

    CSelectWorksheetDlg(CExcelAutomation& automation, wxWindow* parent);

    const SelectWorksheetLogic& logic() const { return form; }

private:
    // Runs one step; an error the spreadsheet application raises is shown
    // and the dialog stays open. The controls follow the logic afterwards.
    void run(const std::function<void()>& step);
    void showLogic();
    void rebuildTree();
    // Selects the worksheet item the logic chose, without it counting as
    // the user's choice.
    void selectItem(const TreeSelection& choice);
    TreeSelection treeSelection() const;
    void focusTree(bool raise);
    void finish(int result);

    void onInitDialog(wxInitDialogEvent& event);
    void onSelectionChanged(wxTreeEvent& event);
    void onCharHook(wxKeyEvent& event);

    SelectWorksheetLogic form;
    wxTreeCtrl* tree = nullptr;
    wxTreeItemId root;
    unsigned shownTreeVersion = 0;
    bool rebuilding = false;
};
