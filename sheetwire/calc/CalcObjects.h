#pragma once
// The automation object model over one office session: Application,
// Workbooks, Workbook, Worksheets, Worksheet, Range, Font and Interior as
// Calc's desktop, spreadsheet documents, sheets and cell ranges, each call
// made in the office as it is made (Flush has nothing to do).

#include "CalcSession.h"

#include "sheetwire/Automation.h"

#include <chrono>
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

// The model that holds back values, formats, selections and column fits
// and delivers them on Flush in as few calls as it can; names and the list
// of workbooks come from what the session remembers. A delivery into a
// workbook with a cell being edited waits up to cellEditWait for the edit
// to end.
std::shared_ptr<AutomationApplication> makeBatchedApplication(std::shared_ptr<Session> session,
                                                              std::chrono::milliseconds cellEditWait);

} // namespace sheetwire::calc
