#pragma once
// The automation object model over one office session: Application,
// Workbooks, Workbook, Worksheets, Worksheet, Range, Font and Interior as
// Calc's desktop, spreadsheet documents, sheets and cell ranges, each call
// made in the office as it is made (Flush has nothing to do).

#include "CalcSession.h"

#include "sheetwire/Automation.h"

#include <memory>

namespace sheetwire::calc {

std::shared_ptr<AutomationApplication> makeApplication(std::shared_ptr<Session> session);

// Single objects of that model, for the steps of the batched model that go
// to the office at once: the workbooks (listed afresh), a workbook, a
// workbook's worksheets.
std::unique_ptr<AutomationWorkbooks> makeWorkbooks(std::shared_ptr<Session> session);
std::unique_ptr<AutomationWorkbook> makeWorkbook(std::shared_ptr<Session> session,
                                                 std::shared_ptr<OpenDocument> document);
std::unique_ptr<AutomationWorksheets> makeWorksheets(std::shared_ptr<Session> session,
                                                     std::shared_ptr<OpenDocument> document);
// The document of a workbook of that model.
std::shared_ptr<OpenDocument> documentOf(const AutomationWorkbook& workbook);

// The selection of a row of cells being written (CalcBackend's BeginRow ...
// EndRow), held back by the batched model until the row ends.
class RowSelection {
public:
    RowSelection();
    ~RowSelection();
    RowSelection(const RowSelection&) = delete;
    RowSelection& operator=(const RowSelection&) = delete;

    bool open = false;
    // Keeps the cells from column1, row1 to column2, row2 (1-based) of the
    // document's sheet at position sheet as the one to select.
    void hold(std::shared_ptr<OpenDocument> document, sal_Int32 sheet, sal_Int32 column1,
              sal_Int32 row1, sal_Int32 column2, sal_Int32 row2);
    // Selects what is held, if anything and its workbook is still open;
    // raises AutomationError when the office refuses.
    void make();
    void drop();

private:
    struct Held;
    std::unique_ptr<Held> held;
};

// The model that holds back values, formats, selections and column fits
// and delivers them on Flush in as few calls as it can (the selection, in
// an open row, until the row ends); names and the list of workbooks come
// from what the session remembers.
std::shared_ptr<AutomationApplication> makeBatchedApplication(std::shared_ptr<Session> session,
                                                              std::shared_ptr<RowSelection> row);

} // namespace sheetwire::calc
