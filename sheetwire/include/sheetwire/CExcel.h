#pragma once
// Sheetwire's whole interface to the program: put values into a worksheet of
// the running spreadsheet application and format its cells, and let the user
// choose that worksheet in the library's own dialog.
//
// Cells are addressed by 1-based column and row, workbooks and worksheets by
// their 1-based position. Operations return 1 on success and 0 on failure
// and show their own messages; an error the spreadsheet application raises
// leaves them as sheetwire::AutomationError. A flag counts as set only when
// it equals 1.

#include "sheetwire/sheetwire_export.h"

#include <cstdint>
#include <memory>
#include <string>

class CExcelAutomation;

class SHEETWIRE_EXPORT CExcel {
public:
    // Also sets the process locale to the user's default for all categories.
    CExcel();
    virtual ~CExcel();

    CExcel(const CExcel&) = delete;
    CExcel& operator=(const CExcel&) = delete;

    // Runs the worksheet selection dialog; 1 when it was closed with its
    // close button after a successful selection, otherwise 0. The target may
    // have changed either way.
    int OpenSelectWorksheetDlg();

    std::string GetWorkbookName();
    std::string GetWorksheetName();
    std::int32_t GetWorkbookIndex();
    std::int32_t GetWorksheetIndex();
    // Tells the selected workbook from any other, also from one that took
    // its name and position after it was closed; 0 before a selection found
    // its workbook.
    std::uint64_t GetWorkbookIdentity();

    // 1 when the spreadsheet application runs and the selected workbook and
    // worksheet are still the ones at these positions (by name, and the
    // workbook by its identity); otherwise 0. Shows no message and lets no
    // error of the application through.
    int IsTargetAvailable(std::int32_t workbookIndex, std::int32_t worksheetIndex);

    // A row of cells: between BeginRow and EndRow the column fits the
    // writes ask for are made once, at EndRow, for every column written;
    // each write still delivers its value, format and selection and reports
    // its own failure. AbandonRow ends the row without fitting (for a row
    // given up because its destination is gone).
    void BeginRow();
    void EndRow();
    void AbandonRow();

    // One cell, after checking by name that the selected workbook and
    // worksheet still sit at the given positions.
    int SetValue(int value, std::int32_t column, std::int32_t row, std::int32_t workbookIndex,
                 std::int32_t worksheetIndex, int autoFit);
    int SetValue(double value, std::int32_t column, std::int32_t row, std::int32_t workbookIndex,
                 std::int32_t worksheetIndex, int autoFit);
    // Written as the text "%f" gives in the process locale.
    int SetValue(float value, std::int32_t column, std::int32_t row, std::int32_t workbookIndex,
                 std::int32_t worksheetIndex, int autoFit);
    int SetValue(std::string value, std::int32_t column, std::int32_t row,
                 std::int32_t workbookIndex, std::int32_t worksheetIndex, int autoFit);

    // count cells from the start cell, down the column when down is 1, else
    // across the row; no name check.
    int SetArrayValue(const int* values, int count, std::int32_t column, std::int32_t row,
                      std::int32_t workbookIndex, std::int32_t worksheetIndex, int down,
                      int autoFit);
    int SetArrayValue(const double* values, int count, std::int32_t column, std::int32_t row,
                      std::int32_t workbookIndex, std::int32_t worksheetIndex, int down,
                      int autoFit);
    int SetArrayValue(const float* values, int count, std::int32_t column, std::int32_t row,
                      std::int32_t workbookIndex, std::int32_t worksheetIndex, int down,
                      int autoFit);
    int SetArrayValue(const std::string* values, int count, std::int32_t column,
                      std::int32_t row, std::int32_t workbookIndex, std::int32_t worksheetIndex,
                      int down, int autoFit);

    // The range operations work on the rectangle between the two corner
    // cells, both included.

    // Codes: 1 centre/centre, 2 right/bottom, 3 left/top, other general/bottom.
    int SetCellAlignment(std::int32_t horizontal, std::int32_t vertical, std::int32_t column1,
                         std::int32_t row1, std::int32_t column2, std::int32_t row2,
                         std::int32_t workbookIndex, std::int32_t worksheetIndex);
    int SetCellBorderAround(std::int32_t column1, std::int32_t row1, std::int32_t column2,
                            std::int32_t row2, std::int32_t lineStyle, std::int32_t weight,
                            std::int32_t colorIndex, std::int32_t color,
                            std::int32_t workbookIndex, std::int32_t worksheetIndex);
    int SetCellFont(std::int32_t column1, std::int32_t row1, std::int32_t column2,
                    std::int32_t row2, std::int32_t workbookIndex, std::int32_t worksheetIndex,
                    std::int32_t colorIndex);
    int SetCellInterior(std::int32_t column1, std::int32_t row1, std::int32_t column2,
                        std::int32_t row2, std::int32_t workbookIndex,
                        std::int32_t worksheetIndex, std::int32_t colorIndex,
                        std::int32_t pattern);
    int SetCellAutoWidth(std::int32_t column1, std::int32_t row1, std::int32_t column2,
                         std::int32_t row2, std::int32_t workbookIndex,
                         std::int32_t worksheetIndex);

    // Activate the worksheet and report the application's active cell; 0
    // when no spreadsheet application runs.
    std::int32_t GetCellActiveRow(std::int32_t workbookIndex, std::int32_t worksheetIndex);
    std::int32_t GetCellActiveColumn(std::int32_t workbookIndex, std::int32_t worksheetIndex);

    // The first row below everything the worksheet holds: 1 on an empty
    // worksheet, so that nothing already there is written over; 0 when no
    // spreadsheet application runs.
    std::int32_t GetFirstFreeRow(std::int32_t workbookIndex, std::int32_t worksheetIndex);

private:
    std::unique_ptr<CExcelAutomation> automation;
};
