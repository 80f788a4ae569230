#include "SpreadsheetOutput.h"

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
    return excel->OpenSelectWorksheetDlg() != 0;
}

bool SpreadsheetOutput::isSameDestination()
{
    const std::int32_t workbook = excel->GetWorkbookIndex();
    const std::int32_t worksheet = excel->GetWorksheetIndex();
    sameDestination = workbook == workbookIndex_ && worksheet == worksheetIndex_;
    workbookIndex_ = workbook;
    worksheetIndex_ = worksheet;
    return sameDestination;
}

bool SpreadsheetOutput::checkDestination()
{
    return setCellFont(1, 1, 1, 1, workbookIndex_, worksheetIndex_, 0);
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
    } catch (const sheetwire::AutomationError&) {
        return false;
    }
}

} // namespace tonvale
