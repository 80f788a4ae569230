#include "sheetwire/CExcelAutomation.h"

#include "Strings.h"

#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/thread.h>
#include <wx/utils.h>
#include <wx/window.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <exception>
#include <cstdio>
#include <future>
#include <limits>
#include <map>

using sheetwire::AutomationRange;
using sheetwire::AutomationWorksheet;
using sheetwire::CellValue;

namespace {

// Collections take their positions as 16-bit integers.
std::int16_t index16(std::int32_t index)
{
    return static_cast<std::int16_t>(index);
}

// Moves along a row or column without overflowing; the reference clamps the
// result anyway.
std::int32_t step(std::int32_t start, int offset)
{
    const auto moved = std::int64_t{start} + offset;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        moved, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// A float travels as the text "%f" makes of it, so the decimal separator is
// the one of the process's numeric locale at the time of the write.
std::string floatText(float value)
{
    const double widened = value;
    const int length = std::snprintf(nullptr, 0, "%f", widened);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%f", widened);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

CellValue cellValue(int value) { return std::int32_t{value}; }
CellValue cellValue(double value) { return value; }
CellValue cellValue(float value) { return floatText(value); }
CellValue cellValue(const std::string& value) { return value; }

// The application's alignment constants for the codes of SetCellAlignment.
std::int16_t horizontalAlignment(std::int32_t code)
{
    switch (code) {
    case 1: return -4108; // centre
    case 2: return -4152; // right
    case 3: return -4131; // left
    default: return 1;    // general
    }
}

std::int16_t verticalAlignment(std::int32_t code)
{
    switch (code) {
    case 1: return -4108; // centre
    case 3: return -4160; // top
    default: return -4107; // bottom
    }
}

// Offered first: what the spreadsheet application opens; last: anything.
const char* const openFilter =
    "Spreadsheet File(*.ods;*.xlsx;*.xls)|*.ods;*.xlsx;*.xls|ALL File(*.*)|*.*";

// Runs work, which may wait seconds for an application to start, so that
// the program stays alive meanwhile: on the UI thread the work runs beside
// it while the windows keep repainting under the wait cursor, taking no
// input.
template <typename Work>
auto whileResponsive(Work work) -> decltype(work())
{
    if (wxTheApp == nullptr || !wxIsMainThread())
        return work();
    wxBusyCursor wait;
    auto result = std::async(std::launch::async, std::move(work));
    while (result.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready)
        wxSafeYield(nullptr, true);
    return result.get();
}

// Drops the application handle when the operation it guards is left by an
// error of the application: while a reference is held the application
// (Excel started by COM) stays alive, also after its user quit it.
class ReleaseOnError {
public:
    explicit ReleaseOnError(std::shared_ptr<sheetwire::AutomationApplication>& handle)
        : handle(handle)
    {
    }
    ~ReleaseOnError()
    {
        if (std::uncaught_exceptions() > pending)
            handle.reset();
    }
    ReleaseOnError(const ReleaseOnError&) = delete;
    ReleaseOnError& operator=(const ReleaseOnError&) = delete;

private:
    std::shared_ptr<sheetwire::AutomationApplication>& handle;
    int pending = std::uncaught_exceptions();
};

} // namespace

CExcelAutomation::CExcelAutomation() = default;
CExcelAutomation::~CExcelAutomation() = default;

int CExcelAutomation::AttachRunning()
{
    const ReleaseOnError release(m_application);
    auto application = sheetwire::automationBackend()->AttachRunning();
    if (!application)
        return 0;
    m_application = std::move(application);
    m_application->PutScreenUpdating(true);
    m_application->PutVisible(true);
    return 1;
}

int CExcelAutomation::AttachOrLaunch(bool visible)
{
    const ReleaseOnError release(m_application);
    const auto backend = sheetwire::automationBackend();
    auto application = whileResponsive([backend] {
        auto running = backend->AttachRunning();
        return running ? running : backend->Launch();
    });
    if (!application) {
        sheetwire::showMessage(1001);
        return 0;
    }
    m_application = std::move(application);
    m_application->PutScreenUpdating(true);
    m_application->PutVisible(visible);
    return 1;
}

int CExcelAutomation::IsExcelRunning()
{
    if (!sheetwire::automationBackend()->IsRunning()) {
        sheetwire::showMessage(1002);
        return 0;
    }
    return 1;
}

bool CExcelAutomation::bindIfUnbound()
{
    return m_application != nullptr || AttachRunning() == 1;
}

void CExcelAutomation::letGo()
{
    // Whatever the handle still holds back is dropped with it, never
    // delivered: only finish() delivers.
    m_application.reset();
}

void CExcelAutomation::finish()
{
    // The application may have held back what this operation asked of it;
    // a failure to deliver it is this operation's failure.
    const auto application = m_application;
    letGo();
    if (application)
        application->Flush();
}

int CExcelAutomation::FindWorkbook(const std::string& workbookName)
{
    const ReleaseOnError release(m_application);
    if (!IsExcelRunning() || !AttachRunning())
        return -1;
    return findWorkbook(workbookName);
}

int CExcelAutomation::findWorkbook(const std::string& workbookName)
{
    const auto workbooks = m_application->Workbooks();
    const int count = workbooks->Count();
    if (count == 0) {
        letGo();
        return -1;
    }
    for (int i = 1; i <= count; ++i) {
        if (workbooks->Item(index16(i))->Name() == workbookName)
            return i;
    }
    sheetwire::showMessage(1004);
    return 0;
}

int CExcelAutomation::FindWorksheet(const std::string& workbookName,
                                    const std::string& worksheetName)
{
    const ReleaseOnError release(m_application);
    if (!IsExcelRunning() || !AttachRunning())
        return -1;
    return findWorksheet(workbookName, worksheetName);
}

int CExcelAutomation::findWorksheet(const std::string& workbookName,
                                    const std::string& worksheetName)
{
    const int workbook = findWorkbook(workbookName);
    if (workbook <= 0) {
        letGo();
        return -1;
    }
    const auto worksheets = m_application->Workbooks()->Item(index16(workbook))->Worksheets();
    const int count = worksheets->Count();
    for (int j = 1; j <= count; ++j) {
        if (worksheets->Item(index16(j))->Name() == worksheetName)
            return j;
    }
    sheetwire::showMessage(1003);
    return 0;
}

int CExcelAutomation::GetWorkbookCount()
{
    const ReleaseOnError release(m_application);
    if (!bindIfUnbound())
        return 0;
    const int count = m_application->Workbooks()->Count();
    // Nothing more will be asked of an application without workbooks.
    if (count <= 0)
        finish();
    return count;
}

std::string CExcelAutomation::GetWorkbookNameAt(int workbookIndex)
{
    const ReleaseOnError release(m_application);
    if (!bindIfUnbound())
        return {};
    auto name = m_application->Workbooks()->Item(index16(workbookIndex))->Name();
    finish();
    return name;
}

int CExcelAutomation::GetWorksheetCount(int workbookIndex)
{
    const ReleaseOnError release(m_application);
    if (!bindIfUnbound())
        return 0;
    const int count =
        m_application->Workbooks()->Item(index16(workbookIndex))->Worksheets()->Count();
    finish();
    return count;
}

std::string CExcelAutomation::GetWorksheetNameAt(int workbookIndex, int worksheetIndex)
{
    const ReleaseOnError release(m_application);
    if (!bindIfUnbound())
        return {};
    auto name = resolveTarget(workbookIndex, worksheetIndex)->Name();
    finish();
    return name;
}

int CExcelAutomation::SelectWorksheet(const std::string& workbookName,
                                      const std::string& worksheetName)
{
    const ReleaseOnError release(m_application);
    if (!IsExcelRunning() || !AttachRunning())
        return 0;
    m_workbookName = workbookName;
    m_workbookIndex = findWorkbook(workbookName);
    m_workbookIdentity = 0;
    if (m_workbookIndex > 0) {
        m_workbookIdentity =
            m_application->Workbooks()->Item(index16(m_workbookIndex))->Identity();
        m_worksheetName = worksheetName;
        m_worksheetIndex = findWorksheet(workbookName, worksheetName);
        if (m_worksheetIndex > 0) {
            bringForward(m_workbookIndex, m_worksheetIndex);
            finish();
            return 1;
        }
    }
    letGo();
    return 0;
}

int CExcelAutomation::ActivateWorksheet(std::int32_t workbookIndex, std::int32_t worksheetIndex)
{
    const ReleaseOnError release(m_application);
    if (!IsExcelRunning() || !AttachRunning())
        return 0;
    bringForward(workbookIndex, worksheetIndex);
    finish();
    return 1;
}

int CExcelAutomation::IsTargetAvailable(std::int32_t workbookIndex, std::int32_t worksheetIndex)
{
    try {
        if (!sheetwire::automationBackend()->IsRunning() || !AttachRunning())
            return 0;
        const auto workbooks = m_application->Workbooks();
        if (workbookIndex < 1 || workbookIndex > workbooks->Count()) {
            letGo();
            return 0;
        }
        const auto workbook = workbooks->Item(index16(workbookIndex));
        if (workbook->Identity() != m_workbookIdentity || workbook->Name() != m_workbookName) {
            letGo();
            return 0;
        }
        const auto worksheets = workbook->Worksheets();
        const bool there = worksheetIndex >= 1 && worksheetIndex <= worksheets->Count() &&
                           worksheets->Item(index16(worksheetIndex))->Name() == m_worksheetName;
        finish();
        return there ? 1 : 0;
    } catch (const sheetwire::AutomationError& error) {
        // An application that fails to answer has no target to offer; one
        // that is busy still has it, and says so.
        letGo();
        if (error.failure() == sheetwire::AutomationFailure::Busy)
            throw;
        return 0;
    }
}

int CExcelAutomation::AddWorkbook()
{
    const ReleaseOnError release(m_application);
    if (!AttachOrLaunch(true))
        return 0;
    m_application->Workbooks()->Add();
    finish();
    return 1;
}

int CExcelAutomation::OpenWorkbook()
{
    const ReleaseOnError release(m_application);
    wxFileDialog chooser(wxGetActiveWindow(), wxString::FromUTF8(sheetwire::strings().get(1000)),
                         wxString(), wxString(), wxString::FromUTF8(openFilter), wxFD_OPEN);
    if (chooser.ShowModal() != wxID_OK || !AttachOrLaunch(true))
        return 0;
    m_application->Workbooks()->Open(chooser.GetPath().utf8_string());
    finish();
    return 1;
}

int CExcelAutomation::CloseWorkbook(const std::string& workbookName, int saveChanges)
{
    const ReleaseOnError release(m_application);
    if (!AttachRunning())
        return 0;
    const int workbook = findWorkbook(workbookName);
    if (workbook < 1 || workbook > m_application->Workbooks()->Count()) {
        letGo();
        return 0;
    }
    m_application->Workbooks()->Item(index16(workbook))->Close(static_cast<std::int16_t>(saveChanges));
    finish();
    return 1;
}

int CExcelAutomation::AddWorksheet(const std::string& workbookName,
                                   const std::string& worksheetName)
{
    const ReleaseOnError release(m_application);
    if (!IsExcelRunning() || !AttachRunning())
        return 0;
    const int workbook = findWorkbook(workbookName);
    const int worksheet = workbook > 0 ? findWorksheet(workbookName, worksheetName) : 0;
    if (worksheet <= 0) {
        letGo();
        return 0;
    }
    const auto worksheets = m_application->Workbooks()->Item(index16(workbook))->Worksheets();
    worksheets->Add(*worksheets->Item(index16(worksheet)));
    finish();
    return 1;
}

int CExcelAutomation::DeleteWorksheet(const std::string& workbookName,
                                      const std::string& worksheetName)
{
    const ReleaseOnError release(m_application);
    if (!IsExcelRunning() || !AttachRunning())
        return 0;
    const int workbook = findWorkbook(workbookName);
    const int worksheet = workbook > 0 ? findWorksheet(workbookName, worksheetName) : 0;
    if (worksheet <= 0) {
        letGo();
        return 0;
    }
    const bool deleted = resolveTarget(workbook, worksheet)->Delete();
    finish();
    return deleted ? 1 : 0;
}

int CExcelAutomation::QuitExcel()
{
    const ReleaseOnError release(m_application);
    if (!AttachRunning())
        return 0;
    m_application->Quit();
    letGo();
    return 1;
}

std::string CExcelAutomation::CellReference(std::int32_t column, std::int32_t row)
{
    column = std::clamp(column, 1, 256);
    row = std::clamp(row, 1, 65536);
    int tens = 0;
    while (column > 26) {
        column -= 26;
        ++tens;
    }
    std::string text;
    if (tens >= 1)
        text += static_cast<char>('A' + tens - 1);
    text += static_cast<char>('A' + column - 1);
    text += std::to_string(row);
    return text;
}

void CExcelAutomation::AutoFitColumns(AutomationRange& range)
{
    const ReleaseOnError release(m_application);
    if (!bindIfUnbound())
        return;
    range.EntireColumn()->AutoFit();
}

void CExcelAutomation::BeginRow()
{
    ++m_rowDepth;
}

void CExcelAutomation::EndRow()
{
    if (m_rowDepth == 0 || --m_rowDepth > 0)
        return;
    auto fits = std::move(m_deferredFits);
    m_deferredFits.clear();
    if (fits.empty() || !AttachRunning())
        return;
    // The columns each worksheet was written in, fitted as few runs of
    // neighbouring columns.
    std::map<std::pair<std::int32_t, std::int32_t>, std::vector<std::int32_t>> columns;
    for (const auto& fit : fits) {
        auto& of = columns[{fit.workbookIndex, fit.worksheetIndex}];
        for (std::int32_t column = fit.firstColumn; column <= fit.lastColumn; ++column)
            of.push_back(std::clamp(column, 1, 256));
    }
    try {
        for (auto& [target, of] : columns) {
            std::sort(of.begin(), of.end());
            of.erase(std::unique(of.begin(), of.end()), of.end());
            for (std::size_t first = 0; first < of.size();) {
                std::size_t last = first;
                while (last + 1 < of.size() && of[last + 1] == of[last] + 1)
                    ++last;
                targetRange(of[first], 1, of[last], 1, target.first, target.second)
                    ->EntireColumn()
                    ->AutoFit();
                first = last + 1;
            }
        }
        finish();
    } catch (const sheetwire::AutomationError&) {
        // The values are in place; a fit that cannot be made now leaves the
        // widths as they were, as a fit has always been allowed to.
        letGo();
    }
}

void CExcelAutomation::AbandonRow()
{
    m_rowDepth = 0;
    m_deferredFits.clear();
}

void CExcelAutomation::fitColumns(AutomationRange& range, std::int32_t workbookIndex,
                                  std::int32_t worksheetIndex, std::int32_t firstColumn,
                                  std::int32_t lastColumn)
{
    if (m_rowDepth > 0)
        m_deferredFits.push_back({workbookIndex, worksheetIndex, firstColumn, lastColumn});
    else
        AutoFitColumns(range);
}

// The application selects cells only on the active worksheet of its active
// workbook (Excel refuses Select elsewhere), and activates a worksheet only
// in the active workbook. Asked once per operation, before its first
// selection; a workbook is told by its identity, as two workbook objects
// of one workbook are different objects.
std::unique_ptr<AutomationWorksheet> CExcelAutomation::bringForward(std::int32_t workbookIndex,
                                                                   std::int32_t worksheetIndex)
{
    const auto workbook = m_application->Workbooks()->Item(index16(workbookIndex));
    const std::uint64_t identity = workbook->Identity();
    const auto active = m_application->ActiveWorkbook();
    if (!active || active->Identity() != identity)
        workbook->Activate();
    auto worksheet = workbook->Worksheets()->Item(index16(worksheetIndex));
    const std::string name = worksheet->Name();
    if (workbook->ActiveSheet()->Name() != name)
        worksheet->Activate();
    return worksheet;
}

std::unique_ptr<AutomationWorksheet> CExcelAutomation::resolveTarget(std::int32_t workbookIndex,
                                                                    std::int32_t worksheetIndex)
{
    return m_application->Workbooks()
        ->Item(index16(workbookIndex))
        ->Worksheets()
        ->Item(index16(worksheetIndex));
}

std::unique_ptr<AutomationRange> CExcelAutomation::targetRange(
    std::int32_t column1, std::int32_t row1, std::int32_t column2, std::int32_t row2,
    std::int32_t workbookIndex, std::int32_t worksheetIndex)
{
    return resolveTarget(workbookIndex, worksheetIndex)
        ->Range(CellReference(column1, row1), CellReference(column2, row2));
}

int CExcelAutomation::writeCell(const CellValue& value, std::int32_t column, std::int32_t row,
                                std::int32_t workbookIndex, std::int32_t worksheetIndex,
                                int autoFit)
{
    const ReleaseOnError release(m_application);
    if (!IsExcelRunning() || !AttachRunning())
        return 0;
    // The caller's positions must still hold the selected target: a closed
    // or moved workbook must not receive the value meant for another one.
    if (findWorkbook(m_workbookName) != workbookIndex) {
        letGo();
        return 0;
    }
    if (findWorksheet(m_workbookName, m_worksheetName) != worksheetIndex) {
        letGo();
        return 0;
    }
    const auto reference = CellReference(column, row);
    const auto range = bringForward(workbookIndex, worksheetIndex)->Range(reference, reference);
    range->Select();
    range->PutValue(value);
    if (autoFit == 1)
        fitColumns(*range, workbookIndex, worksheetIndex, column, column);
    finish();
    return 1;
}

template <typename T>
int CExcelAutomation::writeRun(const T* values, int count, std::int32_t column, std::int32_t row,
                               std::int32_t workbookIndex, std::int32_t worksheetIndex, int down,
                               int autoFit)
{
    const ReleaseOnError release(m_application);
    if (!AttachRunning())
        return 0;
    const auto worksheet = count > 0 ? bringForward(workbookIndex, worksheetIndex)
                                     : resolveTarget(workbookIndex, worksheetIndex);
    const auto cellAt = [&](int i) {
        return down == 1 ? CellReference(column, step(row, i)) : CellReference(step(column, i), row);
    };
    for (int i = 0; i < count; ++i) {
        const auto reference = cellAt(i);
        const auto range = worksheet->Range(reference, reference);
        range->Select();
        range->PutValue(cellValue(values[i]));
    }
    if (autoFit == 1) {
        const int last = std::max(count - 1, 0);
        const std::int32_t lastColumn = down == 1 ? column : step(column, last);
        const auto written = worksheet->Range(
            CellReference(column, row),
            CellReference(lastColumn, down == 1 ? step(row, last) : row));
        fitColumns(*written, workbookIndex, worksheetIndex, column, lastColumn);
    }
    finish();
    return 1;
}

int CExcelAutomation::SetValue(int value, std::int32_t column, std::int32_t row,
                               std::int32_t workbookIndex, std::int32_t worksheetIndex,
                               int autoFit)
{
    return writeCell(cellValue(value), column, row, workbookIndex, worksheetIndex, autoFit);
}

int CExcelAutomation::SetValue(double value, std::int32_t column, std::int32_t row,
                               std::int32_t workbookIndex, std::int32_t worksheetIndex,
                               int autoFit)
{
    return writeCell(cellValue(value), column, row, workbookIndex, worksheetIndex, autoFit);
}

int CExcelAutomation::SetValue(float value, std::int32_t column, std::int32_t row,
                               std::int32_t workbookIndex, std::int32_t worksheetIndex,
                               int autoFit)
{
    return writeCell(cellValue(value), column, row, workbookIndex, worksheetIndex, autoFit);
}

int CExcelAutomation::SetValue(const std::string& value, std::int32_t column, std::int32_t row,
                               std::int32_t workbookIndex, std::int32_t worksheetIndex,
                               int autoFit)
{
    return writeCell(cellValue(value), column, row, workbookIndex, worksheetIndex, autoFit);
}

int CExcelAutomation::SetArrayValue(const int* values, int count, std::int32_t column,
                                    std::int32_t row, std::int32_t workbookIndex,
                                    std::int32_t worksheetIndex, int down, int autoFit)
{
    return writeRun(values, count, column, row, workbookIndex, worksheetIndex, down, autoFit);
}

int CExcelAutomation::SetArrayValue(const double* values, int count, std::int32_t column,
                                    std::int32_t row, std::int32_t workbookIndex,
                                    std::int32_t worksheetIndex, int down, int autoFit)
{
    return writeRun(values, count, column, row, workbookIndex, worksheetIndex, down, autoFit);
}

int CExcelAutomation::SetArrayValue(const float* values, int count, std::int32_t column,
                                    std::int32_t row, std::int32_t workbookIndex,
                                    std::int32_t worksheetIndex, int down, int autoFit)
{
    return writeRun(values, count, column, row, workbookIndex, worksheetIndex, down, autoFit);
}

int CExcelAutomation::SetArrayValue(const std::string* values, int count, std::int32_t column,
                                    std::int32_t row, std::int32_t workbookIndex,
                                    std::int32_t worksheetIndex, int down, int autoFit)
{
    return writeRun(values, count, column, row, workbookIndex, worksheetIndex, down, autoFit);
}

template <typename Format>
int CExcelAutomation::formatRange(std::int32_t column1, std::int32_t row1, std::int32_t column2,
                                  std::int32_t row2, std::int32_t workbookIndex,
                                  std::int32_t worksheetIndex, Format format)
{
    const ReleaseOnError release(m_application);
    if (!AttachRunning())
        return 0;
    const auto range = targetRange(column1, row1, column2, row2, workbookIndex, worksheetIndex);
    format(*range);
    finish();
    return 1;
}

int CExcelAutomation::SetCellAlignment(std::int32_t horizontal, std::int32_t vertical,
                                       std::int32_t column1, std::int32_t row1,
                                       std::int32_t column2, std::int32_t row2,
                                       std::int32_t workbookIndex, std::int32_t worksheetIndex)
{
    return formatRange(column1, row1, column2, row2, workbookIndex, worksheetIndex,
                       [&](AutomationRange& range) {
                           range.PutHorizontalAlignment(horizontalAlignment(horizontal));
                           range.PutVerticalAlignment(verticalAlignment(vertical));
                       });
}

int CExcelAutomation::SetCellBorderAround(std::int32_t column1, std::int32_t row1,
                                          std::int32_t column2, std::int32_t row2,
                                          std::int32_t lineStyle, std::int32_t weight,
                                          std::int32_t colorIndex, std::int32_t color,
                                          std::int32_t workbookIndex,
                                          std::int32_t worksheetIndex)
{
    return formatRange(column1, row1, column2, row2, workbookIndex, worksheetIndex,
                       [&](AutomationRange& range) {
                           range.BorderAround(static_cast<std::int16_t>(lineStyle), weight,
                                              colorIndex, color);
                       });
}

int CExcelAutomation::SetCellFont(std::int32_t column1, std::int32_t row1, std::int32_t column2,
                                  std::int32_t row2, std::int32_t workbookIndex,
                                  std::int32_t worksheetIndex, std::int32_t colorIndex)
{
    return formatRange(column1, row1, column2, row2, workbookIndex, worksheetIndex,
                       [&](AutomationRange& range) {
                           range.Font()->PutColorIndex(static_cast<std::int16_t>(colorIndex));
                       });
}

int CExcelAutomation::SetCellInterior(std::int32_t column1, std::int32_t row1,
                                      std::int32_t column2, std::int32_t row2,
                                      std::int32_t workbookIndex, std::int32_t worksheetIndex,
                                      std::int32_t colorIndex, std::int32_t pattern)
{
    return formatRange(column1, row1, column2, row2, workbookIndex, worksheetIndex,
                       [&](AutomationRange& range) {
                           const auto interior = range.Interior();
                           interior->PutColorIndex(static_cast<std::int16_t>(colorIndex));
                           interior->PutPattern(static_cast<std::int16_t>(pattern));
                       });
}

int CExcelAutomation::SetCellAutoWidth(std::int32_t column1, std::int32_t row1,
                                       std::int32_t column2, std::int32_t row2,
                                       std::int32_t workbookIndex, std::int32_t worksheetIndex)
{
    return formatRange(column1, row1, column2, row2, workbookIndex, worksheetIndex,
                       [](AutomationRange& range) { range.EntireColumn()->AutoFit(); });
}

std::int32_t CExcelAutomation::activeCell(std::int32_t workbookIndex,
                                          std::int32_t worksheetIndex, bool row)
{
    const ReleaseOnError release(m_application);
    if (!AttachRunning())
        return 0;
    bringForward(workbookIndex, worksheetIndex);
    const auto cell = m_application->ActiveCell();
    const std::int32_t number = row ? cell->Row() : cell->Column();
    finish();
    return number;
}

std::int32_t CExcelAutomation::GetCellActiveRow(std::int32_t workbookIndex,
                                                std::int32_t worksheetIndex)
{
    return activeCell(workbookIndex, worksheetIndex, true);
}

std::int32_t CExcelAutomation::GetCellActiveColumn(std::int32_t workbookIndex,
                                                   std::int32_t worksheetIndex)
{
    return activeCell(workbookIndex, worksheetIndex, false);
}

std::int32_t CExcelAutomation::GetFirstFreeRow(std::int32_t workbookIndex,
                                               std::int32_t worksheetIndex)
{
    if (!AttachRunning())
        return 0;
    const auto used = resolveTarget(workbookIndex, worksheetIndex)->UsedRange();
    const std::string address = used->Address();
    // The last row is the number after the address's last "$" ("$A$1:$B$5").
    const std::size_t mark = address.rfind('$');
    std::int32_t lastRow = 1;
    if (mark != std::string::npos)
        std::from_chars(address.data() + mark + 1, address.data() + address.size(), lastRow);
    // An empty worksheet's used range is its empty first cell.
    const bool empty = address == "$A$1" && used->Formula().empty();
    finish();
    return empty ? lastRow : step(lastRow, 1);
}
