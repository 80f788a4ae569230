#pragma once
// The program's side of the spreadsheet output: the one CExcel, the workbook
// and worksheet the program last wrote to, the next free row, the check that
// the destination can still be written, and the cell operations the
// measurement record lays its rows out with.
//
// Only the font operation (and with it the destination check) catches the
// spreadsheet application's errors; every other operation lets
// sheetwire::AutomationError reach its caller.

#include <cstdint>
#include <memory>
#include <string>

class CExcel;

namespace tonvale {

class SpreadsheetOutput {
public:
    // The program's one spreadsheet output, made on first use.
    static SpreadsheetOutput& instance();
    // Deletes it (and its CExcel); the main window does so when it is
    // destroyed. Excel itself is left running.
    static void destroyInstance();

    // Creates the CExcel, which sets the process locale to the user's
    // default.
    SpreadsheetOutput();
    virtual ~SpreadsheetOutput();
    SpreadsheetOutput(const SpreadsheetOutput&) = delete;
    SpreadsheetOutput& operator=(const SpreadsheetOutput&) = delete;

    // Remembers the workbook and worksheet current before the dialog, then
    // lets the operator choose in the worksheet selection dialog; true when
    // the dialog confirmed a selection. The new choice is CExcel's current
    // target: the destination the checks probe and, from the next
    // isSameDestination on, the one written to.
    bool selectDestination();

    // Whether CExcel's current workbook and worksheet are the remembered
    // ones, by position and by what they are (the same workbook, not one
    // that took its name and position; the worksheet of the same name);
    // either way they become the remembered ones.
    bool isSameDestination();

    std::int32_t workbookIndex() const { return workbookIndex_; }
    std::int32_t worksheetIndex() const { return worksheetIndex_; }

    std::int32_t nextRow() const { return nextRow_; }
    // The first row below what the remembered worksheet already holds (1 when
    // it is empty), where a destination newly written to starts.
    std::int32_t firstFreeRow();
    // Takes the last row written; the next row is the one below it.
    void setNextRow(std::int32_t lastRow) { nextRow_ = lastRow + 1; }

    // Whether the chosen workbook and worksheet (CExcel's current target)
    // can be written: still the ones chosen at their positions, and their
    // cell A1 taking font colour index 0 through setCellFont.
    bool checkDestination();

    // Whether the workbook or worksheet written to can no longer be found
    // where it was (closed, renamed, deleted, moved, the application gone).
    bool destinationGone();

    // The spreadsheet's row scope around the cells of one row: their column
    // fits are made once, at endRow; abandonRow gives the row up without
    // them.
    void beginRow();
    void endRow();
    void abandonRow();

    // CExcel's cell operations with its arguments in its order; non-zero on
    // success.
    int setValue(int value, std::int32_t column, std::int32_t row, std::int32_t workbookIndex,
                 std::int32_t worksheetIndex, int autoFit);
    int setValue(const std::string& value, std::int32_t column, std::int32_t row,
                 std::int32_t workbookIndex, std::int32_t worksheetIndex, int autoFit);
    int setArrayValue(const double* values, int count, std::int32_t column, std::int32_t row,
                      std::int32_t workbookIndex, std::int32_t worksheetIndex, int down,
                      int autoFit);
    int setCellInterior(std::int32_t column1, std::int32_t row1, std::int32_t column2,
                        std::int32_t row2, std::int32_t workbookIndex,
                        std::int32_t worksheetIndex, std::int32_t colorIndex,
                        std::int32_t pattern);
    // False also when the application raises an error during the call,
    // except for a cell being edited (AutomationFailure::Busy), which
    // leaves as the error.
    bool setCellFont(std::int32_t column1, std::int32_t row1, std::int32_t column2,
                     std::int32_t row2, std::int32_t workbookIndex, std::int32_t worksheetIndex,
                     std::int32_t colorIndex);

private:
    bool sameDestination = false;
    std::int32_t nextRow_ = 1;
    // Below 1 until the first selectDestination: no destination chosen yet.
    std::int32_t worksheetIndex_ = 0;
    std::int32_t workbookIndex_ = 0;
    // What the remembered workbook and worksheet are, beyond their
    // positions.
    std::uint64_t workbookIdentity = 0;
    std::string worksheetName;
    std::unique_ptr<CExcel> excel;
};

} // namespace tonvale
