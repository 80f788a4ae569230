#include "sheetwire/CExcel.h"

#include "sheetwire/CExcelAutomation.h"
#include "sheetwire/SelectWorksheetDlg.h"

#include <clocale>

CExcel::CExcel() : automation(std::make_unique<CExcelAutomation>())
{
    std::setlocale(LC_ALL, "");
}

CExcel::~CExcel() = default;

int CExcel::OpenSelectWorksheetDlg()
{
    CSelectWorksheetDlg dialog(*automation, nullptr);
    return dialog.ShowModal() == wxID_OK ? 1 : 0;
}

std::string CExcel::GetWorkbookName()
{
    return automation->workbookName();
}

std::string CExcel::GetWorksheetName()
{
    return automation->worksheetName();
}

std::int32_t CExcel::GetWorkbookIndex()
{
    return automation->workbookIndex();
}

std::int32_t CExcel::GetWorksheetIndex()
{
    return automation->worksheetIndex();
}

std::uint64_t CExcel::GetWorkbookIdentity()
{
    return automation->workbookIdentity();
}

int CExcel::IsTargetAvailable(std::int32_t workbookIndex, std::int32_t worksheetIndex)
{
    return automation->IsTargetAvailable(workbookIndex, worksheetIndex);
}

void CExcel::BeginRow()
{
    automation->BeginRow();
}

void CExcel::EndRow()
{
    automation->EndRow();
}

void CExcel::AbandonRow()
{
    automation->AbandonRow();
}

int CExcel::SetValue(int value, std::int32_t column, std::int32_t row, std::int32_t workbookIndex,
                     std::int32_t worksheetIndex, int autoFit)
{
    return automation->SetValue(value, column, row, workbookIndex, worksheetIndex, autoFit);
}

int CExcel::SetValue(double value, std::int32_t column, std::int32_t row,
                     std::int32_t workbookIndex, std::int32_t worksheetIndex, int autoFit)
{
    return automation->SetValue(value, column, row, workbookIndex, worksheetIndex, autoFit);
}

int CExcel::SetValue(float value, std::int32_t column, std::int32_t row,
                     std::int32_t workbookIndex, std::int32_t worksheetIndex, int autoFit)
{
    return automation->SetValue(value, column, row, workbookIndex, worksheetIndex, autoFit);
}

int CExcel::SetValue(std::string value, std::int32_t column, std::int32_t row,
                     std::int32_t workbookIndex, std::int32_t worksheetIndex, int autoFit)
{
    return automation->SetValue(value, column, row, workbookIndex, worksheetIndex, autoFit);
}

int CExcel::SetArrayValue(const int* values, int count, std::int32_t column, std::int32_t row,
                          std::int32_t workbookIndex, std::int32_t worksheetIndex, int down,
                          int autoFit)
{
    return automation->SetArrayValue(values, count, column, row, workbookIndex, worksheetIndex,
                                     down, autoFit);
}

int CExcel::SetArrayValue(const double* values, int count, std::int32_t column, std::int32_t row,
                          std::int32_t workbookIndex, std::int32_t worksheetIndex, int down,
                          int autoFit)
{
    return automation->SetArrayValue(values, count, column, row, workbookIndex, worksheetIndex,
                                     down, autoFit);
}

int CExcel::SetArrayValue(const float* values, int count, std::int32_t column, std::int32_t row,
                          std::int32_t workbookIndex, std::int32_t worksheetIndex, int down,
                          int autoFit)
{
    return automation->SetArrayValue(values, count, column, row, workbookIndex, worksheetIndex,
                                     down, autoFit);
}

int CExcel::SetArrayValue(const std::string* values, int count, std::int32_t column,
                          std::int32_t row, std::int32_t workbookIndex,
                          std::int32_t worksheetIndex, int down, int autoFit)
{
    return automation->SetArrayValue(values, count, column, row, workbookIndex, worksheetIndex,
                                     down, autoFit);
}

int CExcel::SetCellAlignment(std::int32_t horizontal, std::int32_t vertical, std::int32_t column1,
                             std::int32_t row1, std::int32_t column2, std::int32_t row2,
                             std::int32_t workbookIndex, std::int32_t worksheetIndex)
{
    return automation->SetCellAlignment(horizontal, vertical, column1, row1, column2, row2,
                                        workbookIndex, worksheetIndex);
}

int CExcel::SetCellBorderAround(std::int32_t column1, std::int32_t row1, std::int32_t column2,
                                std::int32_t row2, std::int32_t lineStyle, std::int32_t weight,
                                std::int32_t colorIndex, std::int32_t color,
                                std::int32_t workbookIndex, std::int32_t worksheetIndex)
{
    return automation->SetCellBorderAround(column1, row1, column2, row2, lineStyle, weight,
                                           colorIndex, color, workbookIndex, worksheetIndex);
}

int CExcel::SetCellFont(std::int32_t column1, std::int32_t row1, std::int32_t column2,
                        std::int32_t row2, std::int32_t workbookIndex, std::int32_t worksheetIndex,
                        std::int32_t colorIndex)
{
    return automation->SetCellFont(column1, row1, column2, row2, workbookIndex, worksheetIndex,
                                   colorIndex);
}

int CExcel::SetCellInterior(std::int32_t column1, std::int32_t row1, std::int32_t column2,
                            std::int32_t row2, std::int32_t workbookIndex,
                            std::int32_t worksheetIndex, std::int32_t colorIndex,
                            std::int32_t pattern)
{
    return automation->SetCellInterior(column1, row1, column2, row2, workbookIndex,
                                       worksheetIndex, colorIndex, pattern);
}

int CExcel::SetCellAutoWidth(std::int32_t column1, std::int32_t row1, std::int32_t column2,
                             std::int32_t row2, std::int32_t workbookIndex,
                             std::int32_t worksheetIndex)
{
    return automation->SetCellAutoWidth(column1, row1, column2, row2, workbookIndex,
                                        worksheetIndex);
}

std::int32_t CExcel::GetCellActiveRow(std::int32_t workbookIndex, std::int32_t worksheetIndex)
{
    return automation->GetCellActiveRow(workbookIndex, worksheetIndex);
}

std::int32_t CExcel::GetCellActiveColumn(std::int32_t workbookIndex, std::int32_t worksheetIndex)
{
    return automation->GetCellActiveColumn(workbookIndex, worksheetIndex);
}

std::int32_t CExcel::GetFirstFreeRow(std::int32_t workbookIndex, std::int32_t worksheetIndex)
{
    return automation->GetFirstFreeRow(workbookIndex, worksheetIndex);
}
