#include "SpreadsheetOutput.h"

#include <algorithm>

#include "sheetwire/Automation.h"
#include "sheetwire/CExcel.h"

namespace tonvale {
namespace {

std::unique_ptr<SpreadsheetOutput>& theOutput()
{
    static std::unique_ptr<SpreadsheetOutput> output;
    return output;
}

} // namespace

SpreadsheetOutput& SpreadsheetOutput::instance()
{
    auto& output = theOutput();
    if (!output)
        output = std::make_unique<SpreadsheetOutput>();
    return *output;
}

void SpreadsheetOutput::destroyInstance()
{
    theOutput().reset();
}

SpreadsheetOutput::SpreadsheetOutput() : excel(std::make_unique<CExcel>()) {}

SpreadsheetOutput::~SpreadsheetOutput() = default;

bool SpreadsheetOutput::selectDestination()
{
    workbookIndex_ = excel->GetWorkbookIndex();
    worksheetIndex_ = excel->GetWorksheetIndex();
    workbookIdentity = excel->GetWorkbookIdentity();
    worksheetName = excel->GetWorksheetName();
    return excel->OpenSelectWorksheetDlg() != 0;
}

bool SpreadsheetOutput::isSameDestination()
{
    const std::int32_t workbook = excel->GetWorkbookIndex();
    const std::int32_t worksheet = excel->GetWorksheetIndex();
    const std::uint64_t identity = excel->GetWorkbookIdentity();
    std::string name = excel->GetWorksheetName();
    // A new workbook at the old one's position is another destination, and
    // so is a worksheet chosen by another name.
    sameDestination = workbook == workbookIndex_ && worksheet == worksheetIndex_ &&
                      identity == workbookIdentity && name == worksheetName;
    workbookIndex_ = workbook;
    worksheetIndex_ = worksheet;
    workbookIdentity = identity;
    worksheetName = std::move(name);
    return sameDestination;
}

bool SpreadsheetOutput::checkDestination()
{
    // The operator's last choice in the dialog, even before anything was
    // written to it.
    const std::int32_t workbook = excel->GetWorkbookIndex();
    const std::int32_t worksheet = excel->GetWorksheetIndex();
    return excel->IsTargetAvailable(workbook, worksheet) != 0 &&
           setCellFont(1, 1, 1, 1, workbook, worksheet, 0);
}

std::int32_t SpreadsheetOutput::firstFreeRow()
{
    return std::max(excel->GetFirstFreeRow(workbookIndex_, worksheetIndex_), 1);
}

bool SpreadsheetOutput::destinationGone()
{
    return excel->IsTargetAvailable(workbookIndex_, worksheetIndex_) == 0;
}

void SpreadsheetOutput::beginRow()
{
    excel->BeginRow();
}

void SpreadsheetOutput::endRow()
{
    excel->EndRow();
}

void SpreadsheetOutput::abandonRow()
{
    excel->AbandonRow();
}

int SpreadsheetOutput::setValue(int value, std::int32_t column, std::int32_t row,
                                std::int32_t workbookIndex, std::int32_t worksheetIndex,
                                int autoFit)
{
    return excel->SetValue(value, column, row, workbookIndex, worksheetIndex, autoFit);
}

int SpreadsheetOutput::setValue(const std::string& value, std::int32_t column, std::int32_t row,
                                std::int32_t workbookIndex, std::int32_t worksheetIndex,
                                int autoFit)
{
    return excel->SetValue(value, column, row, workbookIndex, worksheetIndex, autoFit);
}

int SpreadsheetOutput::setArrayValue(const double* values, int count, std::int32_t column,
                                     std::int32_t row, std::int32_t workbookIndex,
                                     std::int32_t worksheetIndex, int down, int autoFit)
{
    return excel->SetArrayValue(values, count, column, row, workbookIndex, worksheetIndex, down,
                                autoFit);
}

int SpreadsheetOutput::setCellInterior(std::int32_t column1, std::int32_t row1,
                                       std::int32_t column2, std::int32_t row2,
                                       std::int32_t workbookIndex, std::int32_t worksheetIndex,
                                       std::int32_t colorIndex, std::int32_t pattern)
{
    return excel->SetCellInterior(column1, row1, column2, row2, workbookIndex, worksheetIndex,
                                  colorIndex, pattern);
}

bool SpreadsheetOutput::setCellFont(std::int32_t column1, std::int32_t row1, std::int32_t column2,
                                    std::int32_t row2, std::int32_t workbookIndex,
                                    std::int32_t worksheetIndex, std::int32_t colorIndex)
{
    // This call is the probe of a destination that may be gone (Excel
    // closed, the workbook or worksheet no longer there), so the
    // application's error is an answer here, not a fault.
    try {
        return excel->SetCellFont(column1, row1, column2, row2, workbookIndex, worksheetIndex,
                                  colorIndex) != 0;
    } catch (const sheetwire::AutomationError& error) {
        // A busy application is no gone destination: its message goes to
        // the operator, and the destination stays chosen.
        if (error.failure() == sheetwire::AutomationFailure::Busy)
            throw;
        return false;
    }
}

} // namespace tonvale
