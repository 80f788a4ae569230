#pragma once
// The inside of Sheetwire: binds to the spreadsheet application afresh for
// each operation (through the process's automation backend), once, and lets
// go at the end, after delivering what the operation asked (Flush); finds
// workbooks and worksheets by name or position, remembers the target the
// user selected, builds A1 references and carries out every write and
// formatting step of CExcel and the selection dialog, in the order the
// application is called. Shows messages 1001-1004; errors the application
// raises are not caught.
//
// A row scope (BeginRow ... EndRow) puts off the column fits the writes
// inside it ask for until its end, where each column written is fitted
// once; the values, formats and selection of each write are delivered by
// the write itself all the same.

#include "sheetwire/Automation.h"
#include "sheetwire/sheetwire_export.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class SHEETWIRE_EXPORT CExcelAutomation {
public:
    CExcelAutomation();
    virtual ~CExcelAutomation();

    CExcelAutomation(const CExcelAutomation&) = delete;
    CExcelAutomation& operator=(const CExcelAutomation&) = delete;

    // Binding. Each binding makes the application visible and turns its
    // screen updating on.
    int AttachRunning();
    int AttachOrLaunch(bool visible);
    int IsExcelRunning();

    // 1-based index; 0 after a message when no such name is open; -1 when
    // nothing is running or open.
    int FindWorkbook(const std::string& workbookName);
    int FindWorksheet(const std::string& workbookName, const std::string& worksheetName);

    int GetWorkbookCount();
    std::string GetWorkbookNameAt(int workbookIndex);
    int GetWorksheetCount(int workbookIndex);
    std::string GetWorksheetNameAt(int workbookIndex, int worksheetIndex);

    // Remembers the pair as the target and activates it; a failure keeps
    // whatever it had remembered up to the failing lookup.
    int SelectWorksheet(const std::string& workbookName, const std::string& worksheetName);
    int ActivateWorksheet(std::int32_t workbookIndex, std::int32_t worksheetIndex);

    int AddWorkbook();
    int OpenWorkbook();
    int CloseWorkbook(const std::string& workbookName, int saveChanges);
    int AddWorksheet(const std::string& workbookName, const std::string& worksheetName);
    int DeleteWorksheet(const std::string& workbookName, const std::string& worksheetName);
    int QuitExcel();

    // A1 text of the cell, column clamped to 1..256 (A..IV), row to 1..65536.
    static std::string CellReference(std::int32_t column, std::int32_t row);

    // Fits the whole columns of range; nothing when the application cannot
    // be bound.
    void AutoFitColumns(sheetwire::AutomationRange& range);

    // Scopes nest; the outermost EndRow makes the fits, best-effort: a fit
    // the application refuses leaves the widths as they are. AbandonRow
    // ends every scope and drops its fits without reaching the application.
    void BeginRow();
    void EndRow();
    void AbandonRow();

    // 1 when the application runs and the selected workbook (by its name and
    // identity) and worksheet (by its name) are still at these positions;
    // 0 otherwise. No message; an error of the application counts as 0,
    // except that a busy application's (AutomationFailure::Busy) leaves it.
    int IsTargetAvailable(std::int32_t workbookIndex, std::int32_t worksheetIndex);

    const std::string& workbookName() const { return m_workbookName; }
    const std::string& worksheetName() const { return m_worksheetName; }
    std::int32_t workbookIndex() const { return m_workbookIndex; }
    std::int32_t worksheetIndex() const { return m_worksheetIndex; }
    // The selected workbook's identity (AutomationWorkbook::Identity), 0
    // until a selection found its workbook.
    std::uint64_t workbookIdentity() const { return m_workbookIdentity; }

    int SetValue(int value, std::int32_t column, std::int32_t row, std::int32_t workbookIndex,
                 std::int32_t worksheetIndex, int autoFit);
    int SetValue(double value, std::int32_t column, std::int32_t row, std::int32_t workbookIndex,
                 std::int32_t worksheetIndex, int autoFit);
    int SetValue(float value, std::int32_t column, std::int32_t row, std::int32_t workbookIndex,
                 std::int32_t worksheetIndex, int autoFit);
    int SetValue(const std::string& value, std::int32_t column, std::int32_t row,
                 std::int32_t workbookIndex, std::int32_t worksheetIndex, int autoFit);

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

    std::int32_t GetCellActiveRow(std::int32_t workbookIndex, std::int32_t worksheetIndex);
    std::int32_t GetCellActiveColumn(std::int32_t workbookIndex, std::int32_t worksheetIndex);

    // The row below the worksheet's used range; 1 when that is the empty
    // cell A1 (an empty worksheet); 0 when nothing runs.
    std::int32_t GetFirstFreeRow(std::int32_t workbookIndex, std::int32_t worksheetIndex);

private:
    struct Fit {
        std::int32_t workbookIndex, worksheetIndex, firstColumn, lastColumn;
    };

    bool bindIfUnbound();
    void letGo();
    // Delivers what the bound application holds back, then lets go.
    void finish();
    // FindWorkbook and FindWorksheet on the application already bound.
    int findWorkbook(const std::string& workbookName);
    int findWorksheet(const std::string& workbookName, const std::string& worksheetName);
    // Fits the columns of range now, or at the end of the row scope.
    void fitColumns(sheetwire::AutomationRange& range, std::int32_t workbookIndex,
                    std::int32_t worksheetIndex, std::int32_t firstColumn,
                    std::int32_t lastColumn);
    // The worksheet, made the active one of the active workbook where it is
    // not (the user may have clicked another since the last operation).
    std::unique_ptr<sheetwire::AutomationWorksheet> bringForward(std::int32_t workbookIndex,
                                                                std::int32_t worksheetIndex);
    std::unique_ptr<sheetwire::AutomationWorksheet> resolveTarget(std::int32_t workbookIndex,
                                                                 std::int32_t worksheetIndex);
    std::unique_ptr<sheetwire::AutomationRange> targetRange(std::int32_t column1,
                                                           std::int32_t row1,
                                                           std::int32_t column2,
                                                           std::int32_t row2,
                                                           std::int32_t workbookIndex,
                                                           std::int32_t worksheetIndex);
    template <typename Format>
    int formatRange(std::int32_t column1, std::int32_t row1, std::int32_t column2,
                    std::int32_t row2, std::int32_t workbookIndex, std::int32_t worksheetIndex,
                    Format format);
    int writeCell(const sheetwire::CellValue& value, std::int32_t column, std::int32_t row,
                  std::int32_t workbookIndex, std::int32_t worksheetIndex, int autoFit);
    template <typename T>
    int writeRun(const T* values, int count, std::int32_t column, std::int32_t row,
                 std::int32_t workbookIndex, std::int32_t worksheetIndex, int down, int autoFit);
    std::int32_t activeCell(std::int32_t workbookIndex, std::int32_t worksheetIndex, bool row);

    std::string m_worksheetName;
    std::string m_workbookName;
    std::shared_ptr<sheetwire::AutomationApplication> m_application;
    std::int32_t m_worksheetIndex = 1;
    std::int32_t m_workbookIndex = 1;
    std::uint64_t m_workbookIdentity = 0;
    int m_rowDepth = 0;
    std::vector<Fit> m_deferredFits;
};
