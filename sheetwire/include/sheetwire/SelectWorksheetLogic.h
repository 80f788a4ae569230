#pragma once
// The rules of the worksheet selection dialog without its window: what the
// tree holds, which buttons are on, what the two edit boxes and their tips
// show, and whether a selection succeeded. The window feeds it the tree's
// selection and redraws from it after every step.

#include <array>
#include <optional>
#include <string>
#include <vector>

class CExcelAutomation;

// One root of the tree: a workbook and its worksheets in collection order.
struct WorkbookEntry {
    std::string name;
    std::vector<std::string> worksheets;

    bool operator==(const WorkbookEntry&) const = default;
};

// The tree's selected item as the buttons use it; all empty when nothing is
// selected.
struct TreeSelection {
    std::string text;
    std::string parentText; // empty for a root item
    bool hasChildren = false;
};

class SelectWorksheetLogic {
public:
    enum Button {
        OpenWorkbook,
        NewWorkbook,
        CloseWorkbook,
        Quit,
        AddWorksheet,
        DeleteWorksheet,
        Refresh,
        Select,
        ButtonCount
    };

    explicit SelectWorksheetLogic(CExcelAutomation& automation);

    // When the window is created.
    void initialise();

    void openWorkbook();
    // Adds a workbook and chooses its first worksheet in the tree, as if the
    // user had, so that "選択" takes it at once.
    void newWorkbook();
    void closeWorkbook(const TreeSelection& selection);
    void quit();
    void addWorksheet(const TreeSelection& selection);
    void deleteWorksheet(const TreeSelection& selection);
    // True when the worksheet became the target.
    bool select(const TreeSelection& selection);
    void refresh();
    void selectionChanged(const TreeSelection& selection);

    bool isEnabled(Button button) const { return enabled[button]; }
    const std::vector<WorkbookEntry>& workbooks() const { return tree; }
    // Changes with every rebuild of the tree, even to the same contents.
    unsigned treeVersion() const { return version; }
    // The item the rebuilt tree selects, when a step chose one; any later
    // rebuild drops it.
    const std::optional<TreeSelection>& treeChoice() const { return m_treeChoice; }
    const std::string& workbookText() const { return m_workbookText; }
    const std::string& worksheetText() const { return m_worksheetText; }
    const std::string& workbookTip() const { return workbookTipText; }
    const std::string& worksheetTip() const { return worksheetTipText; }
    // A selection succeeded during this run of the dialog.
    bool selected() const { return m_selected; }

private:
    bool refreshTree();
    void clearTree();
    void setEnabled(std::initializer_list<Button> buttons, bool on);

    CExcelAutomation& automation;
    std::vector<WorkbookEntry> tree;
    unsigned version = 0;
    std::optional<TreeSelection> m_treeChoice;
    std::array<bool, ButtonCount> enabled;
    std::string m_worksheetText;
    std::string m_workbookText;
    std::string workbookTipText;
    std::string worksheetTipText;
    bool m_selected = false;
};
