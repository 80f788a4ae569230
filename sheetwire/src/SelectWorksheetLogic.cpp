#include "sheetwire/SelectWorksheetLogic.h"

#include "sheetwire/CExcelAutomation.h"

SelectWorksheetLogic::SelectWorksheetLogic(CExcelAutomation& automation) : automation(automation)
{
    enabled.fill(true);
}

void SelectWorksheetLogic::setEnabled(std::initializer_list<Button> buttons, bool on)
{
    for (const Button button : buttons)
        enabled[button] = on;
}

void SelectWorksheetLogic::clearTree()
{
    tree.clear();
    m_treeChoice.reset();
    ++version;
}

bool SelectWorksheetLogic::refreshTree()
{
    if (!automation.AttachRunning()) {
        setEnabled({Quit}, false);
        clearTree();
        return false;
    }
    const int workbooks = automation.GetWorkbookCount();
    clearTree();
    if (workbooks <= 0)
        return false;
    for (int i = 1; i <= workbooks; ++i) {
        // Items go in as they are read, so an error half-way leaves what was
        // read so far in the tree.
        tree.push_back({automation.GetWorkbookNameAt(i), {}});
        const int worksheets = automation.GetWorksheetCount(i);
        for (int j = 1; j <= worksheets; ++j)
            tree.back().worksheets.push_back(automation.GetWorksheetNameAt(i, j));
    }
    return true;
}

void SelectWorksheetLogic::initialise()
{
    if (refreshTree()) {
        m_workbookText = automation.workbookName();
        m_worksheetText = automation.worksheetName();
    } else {
        setEnabled({CloseWorkbook, AddWorksheet, DeleteWorksheet, Select}, false);
    }
}

void SelectWorksheetLogic::openWorkbook()
{
    if (automation.OpenWorkbook() == 1)
        refreshTree();
}

void SelectWorksheetLogic::newWorkbook()
{
    if (automation.AddWorkbook() != 1 || !refreshTree())
        return;
    // The application adds a new workbook last.
    const WorkbookEntry& added = tree.back();
    if (added.worksheets.empty())
        return;
    m_treeChoice = TreeSelection{added.worksheets.front(), added.name, false};
    selectionChanged(*m_treeChoice);
}

void SelectWorksheetLogic::closeWorkbook(const TreeSelection& selection)
{
    // A worksheet stands for the workbook it belongs to.
    const std::string& workbook = selection.hasChildren ? selection.text : selection.parentText;
    automation.CloseWorkbook(workbook, 1);
    if (!refreshTree())
        setEnabled({CloseWorkbook}, false);
}

void SelectWorksheetLogic::quit()
{
    if (automation.QuitExcel() == 1) {
        clearTree();
        setEnabled({Quit, CloseWorkbook, AddWorksheet, DeleteWorksheet, Select}, false);
    }
}

void SelectWorksheetLogic::addWorksheet(const TreeSelection& selection)
{
    if (automation.AddWorksheet(selection.parentText, selection.text) == 0)
        setEnabled({AddWorksheet}, false);
    if (!refreshTree())
        setEnabled({DeleteWorksheet}, false);
}

void SelectWorksheetLogic::deleteWorksheet(const TreeSelection& selection)
{
    if (automation.DeleteWorksheet(selection.parentText, selection.text) == 0)
        setEnabled({DeleteWorksheet}, false);
    if (!refreshTree())
        setEnabled({AddWorksheet}, false);
}

bool SelectWorksheetLogic::select(const TreeSelection& selection)
{
    if (automation.SelectWorksheet(selection.parentText, selection.text) == 1) {
        m_workbookText = selection.parentText;
        m_worksheetText = selection.text;
        m_selected = true;
        workbookTipText = m_workbookText;
        worksheetTipText = m_worksheetText;
        return true;
    }
    refresh();
    return false;
}

void SelectWorksheetLogic::refresh()
{
    if (!refreshTree())
        setEnabled({CloseWorkbook, AddWorksheet, DeleteWorksheet, Select}, false);
}

void SelectWorksheetLogic::selectionChanged(const TreeSelection& selection)
{
    if (selection.hasChildren) {
        setEnabled({CloseWorkbook, Quit}, true);
        setEnabled({AddWorksheet, DeleteWorksheet, Select}, false);
    } else {
        setEnabled({AddWorksheet, DeleteWorksheet, Select}, true);
    }
}
