#pragma once
// A spreadsheet application held in memory, for tests: workbooks with named
// worksheets and cells, an active workbook, worksheet and cell, "running"
// or not, and a log of every call made through the automation interface so
// that a test can check their order.
//
// It behaves as the real application does where Sheetwire depends on it: an
// index outside 1..Count raises AutomationError, Workbooks.Add names new
// workbooks "Book1", "Book2", ..., Worksheets.Add inserts before the given
// worksheet and activates the new one, AutoFit works only on whole columns,
// a workbook's last worksheet cannot be deleted, objects of a closed
// workbook or a quit application raise AutomationError, a range is
// selected only on the active worksheet of the active workbook, and a
// worksheet is activated only in the active workbook.
//
// Install it with sheetwire::setAutomationBackend(spreadsheet).

#include "sheetwire/Automation.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace sheetwire {

struct MemoryBorder {
    std::int32_t firstColumn, firstRow, lastColumn, lastRow;
    std::int16_t lineStyle;
    std::int32_t weight;
    std::int32_t colorIndex;
    std::int32_t color;
};

struct MemoryCell {
    std::optional<CellValue> value;
    std::optional<std::int16_t> fontColorIndex;
    std::optional<std::int16_t> interiorColorIndex;
    std::optional<std::int16_t> interiorPattern;
    std::optional<std::int16_t> horizontalAlignment;
    std::optional<std::int16_t> verticalAlignment;
};

struct MemoryWorksheet {
    std::string name;
    std::map<std::pair<std::int32_t, std::int32_t>, MemoryCell> cells; // by (column, row)
    std::set<std::int32_t> autoFitColumns;
    std::vector<MemoryBorder> borders;
    std::int32_t activeColumn = 1;
    std::int32_t activeRow = 1;
    bool deleted = false;

    // The cell at an A1 reference, or null when nothing was ever set there.
    const MemoryCell* cell(const std::string& reference) const;
};

struct MemoryWorkbook {
    std::string name;
    // That of its file, or its own for a workbook never saved.
    std::uint64_t identity = 0;
    std::vector<std::shared_ptr<MemoryWorksheet>> worksheets;
    std::shared_ptr<MemoryWorksheet> activeWorksheet;
    bool closed = false;

    std::shared_ptr<MemoryWorksheet> worksheet(const std::string& worksheetName) const;
    std::vector<std::string> worksheetNames() const;
};

class MemorySpreadsheet : public AutomationBackend,
                          public std::enable_shared_from_this<MemorySpreadsheet> {
public:
    static std::shared_ptr<MemorySpreadsheet> create();

    // Opens a workbook with these worksheets and makes it active: the file
    // of that name (the same identity whenever it is opened), or with saved
    // false a new workbook never saved (an identity of its own).
    MemoryWorkbook& addWorkbook(const std::string& name, const std::vector<std::string>& worksheets,
                                bool saved = true);
    std::shared_ptr<MemoryWorkbook> workbook(const std::string& name) const;
    std::shared_ptr<MemoryWorksheet> worksheet(const std::string& workbookName,
                                               const std::string& worksheetName) const;
    std::vector<std::string> workbookNames() const;
    // Closes a workbook as the user would.
    void closeWorkbook(const std::string& name);
    // The user clicks a workbook's window and a worksheet's tab in it.
    void activate(const std::string& workbookName, const std::string& worksheetName);

    // A file that Workbooks.Open finds: the workbook is named after the
    // file's name and holds these worksheets.
    void addFile(const std::string& path, const std::vector<std::string>& worksheets);

    // The application's whole state as text, one fact per line, so that two
    // applications can be compared: whether it runs and shows, its workbooks
    // in order with their worksheets, every cell that was set (value with its
    // type, colours, pattern, alignment), fitted columns, borders, the active
    // cell of each worksheet and the active workbook and worksheet.
    std::string describe() const;

    std::shared_ptr<AutomationApplication> AttachRunning() override;
    std::shared_ptr<AutomationApplication> Launch() override;
    bool IsRunning() override;

    // Application state.
    bool running = true;
    bool canLaunch = true;
    bool visible = false;
    bool screenUpdating = false;
    std::vector<std::shared_ptr<MemoryWorkbook>> workbooks;
    std::shared_ptr<MemoryWorkbook> activeWorkbook;
    std::map<std::string, std::vector<std::string>> files;
    // One entry per call, e.g. "Workbooks.Item(2)", "Range.Value=int 5".
    std::vector<std::string> log;
    // Called with each entry as the call is made, before it takes effect:
    // lets a test change the application between two calls.
    std::function<void(const std::string&)> onCall;
    // Application handles handed out and not yet released.
    int liveHandles = 0;
    // Counts starts and quits; handles of an earlier run are dead.
    unsigned generation = 0;
    int nextBookNumber = 1;
    std::uint64_t nextIdentity = 1;
    // The identity of each file opened so far, by name.
    std::map<std::string, std::uint64_t> fileIdentities;

private:
    MemorySpreadsheet() = default;
};

} // namespace sheetwire
