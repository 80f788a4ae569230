#pragma once
// The automation object model over one office session: Application,
// Workbooks, Workbook, Worksheets, Worksheet, Range, Font and Interior as
// Calc's desktop, spreadsheet documents, sheets and cell ranges.

#include "CalcSession.h"

#include "sheetwire/Automation.h"

#include <memory>

namespace sheetwire::calc {

std::shared_ptr<AutomationApplication> makeApplication(std::shared_ptr<Session> session);

} // namespace sheetwire::calc
