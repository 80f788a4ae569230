#pragma once
// The spreadsheet application as Sheetwire drives it: its object model cut
// down to the members the library calls (Application, Workbooks, Workbook,
// Worksheets, Worksheet, Range, Font, Interior), one abstract class per
// object. A backend (the in-memory spreadsheet of the tests, a running
// LibreOffice Calc, a Windows OLE server) implements these classes and
// hands out the Application through an AutomationBackend.
//
// Argument shapes follow the automation calls they stand for: collection
// indexes are 16-bit, cell references are A1 texts, colour indexes, patterns,
// alignments and line styles are 16-bit. Optional arguments the library
// always omits do not appear at all. Every error the application raises
// during a call leaves it as AutomationError.

#include "sheetwire/sheetwire_export.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>

namespace sheetwire {

class SHEETWIRE_EXPORT AutomationError : public std::runtime_error {
public:
    explicit AutomationError(const std::string& description);
    ~AutomationError() override;
};

// What a cell's Value is set to: a 32-bit integer, a double or a text.
using CellValue = std::variant<std::int32_t, double, std::string>;

class SHEETWIRE_EXPORT AutomationFont {
public:
    virtual ~AutomationFont();
    virtual void PutColorIndex(std::int16_t colorIndex) = 0;
};

class SHEETWIRE_EXPORT AutomationInterior {
public:
    virtual ~AutomationInterior();
    virtual void PutColorIndex(std::int16_t colorIndex) = 0;
    virtual void PutPattern(std::int16_t pattern) = 0;
};

class SHEETWIRE_EXPORT AutomationRange {
public:
    virtual ~AutomationRange();
    virtual void AutoFit() = 0;
    // The outline of the range. The colour is an RGB value and travels whole.
    virtual void BorderAround(std::int16_t lineStyle, std::int32_t weight,
                              std::int32_t colorIndex, std::int32_t color) = 0;
    virtual std::int32_t Column() = 0;
    virtual std::unique_ptr<AutomationRange> EntireColumn() = 0;
    virtual std::unique_ptr<AutomationFont> Font() = 0;
    virtual void PutHorizontalAlignment(std::int16_t alignment) = 0;
    virtual std::unique_ptr<AutomationInterior> Interior() = 0;
    virtual std::int32_t Row() = 0;
    virtual void Select() = 0;
    virtual void PutValue(const CellValue& value) = 0;
    virtual void PutVerticalAlignment(std::int16_t alignment) = 0;
};

class SHEETWIRE_EXPORT AutomationWorksheet {
public:
    virtual ~AutomationWorksheet();
    virtual void Activate() = 0;
    virtual void Delete() = 0;
    virtual std::string Name() = 0;
    // The rectangle between two corner cells given as A1 references.
    virtual std::unique_ptr<AutomationRange> Range(const std::string& cell1,
                                                   const std::string& cell2) = 0;
};

class SHEETWIRE_EXPORT AutomationWorksheets {
public:
    virtual ~AutomationWorksheets();
    // Inserts one new worksheet before the given one (After, Count and Type
    // omitted); the new worksheet becomes the active one.
    virtual std::unique_ptr<AutomationWorksheet> Add(AutomationWorksheet& before) = 0;
    virtual std::int32_t Count() = 0;
    // 1-based; a position beyond Count raises AutomationError.
    virtual std::unique_ptr<AutomationWorksheet> Item(std::int16_t index) = 0;
};

class SHEETWIRE_EXPORT AutomationWorkbook {
public:
    virtual ~AutomationWorkbook();
    // Closes the workbook (Filename and RouteWorkbook null).
    virtual void Close(std::int16_t saveChanges) = 0;
    virtual std::string Name() = 0;
    virtual std::unique_ptr<AutomationWorksheets> Worksheets() = 0;
};

class SHEETWIRE_EXPORT AutomationWorkbooks {
public:
    virtual ~AutomationWorkbooks();
    // A new workbook from the default template (Template omitted).
    virtual std::unique_ptr<AutomationWorkbook> Add() = 0;
    virtual std::int32_t Count() = 0;
    // 1-based; a position beyond Count raises AutomationError.
    virtual std::unique_ptr<AutomationWorkbook> Item(std::int16_t index) = 0;
    // Opens the file at path (the twelve optional arguments omitted).
    virtual std::unique_ptr<AutomationWorkbook> Open(const std::string& path) = 0;
};

class SHEETWIRE_EXPORT AutomationApplication {
public:
    virtual ~AutomationApplication();
    virtual std::unique_ptr<AutomationRange> ActiveCell() = 0;
    virtual void Quit() = 0;
    virtual void PutScreenUpdating(bool on) = 0;
    virtual void PutVisible(bool visible) = 0;
    virtual std::unique_ptr<AutomationWorkbooks> Workbooks() = 0;
};

// How the library reaches the application. Releasing the last reference to
// an Application handle lets go of the application without closing it.
class SHEETWIRE_EXPORT AutomationBackend {
public:
    virtual ~AutomationBackend();
    // The running application, or null when none runs.
    virtual std::shared_ptr<AutomationApplication> AttachRunning() = 0;
    // A newly started application, or null when none can be started.
    virtual std::shared_ptr<AutomationApplication> Launch() = 0;
    virtual bool IsRunning() = 0;
};

// The backend every CExcel binds through. Until one is installed it is the
// platform's spreadsheet application: on Linux the LibreOffice of this
// user's default profile (CalcBackend), on Windows Excel (ExcelBackend).
SHEETWIRE_EXPORT std::shared_ptr<AutomationBackend> automationBackend();

// Installs backend for the whole process; null restores the default.
SHEETWIRE_EXPORT void setAutomationBackend(std::shared_ptr<AutomationBackend> backend);

} // namespace sheetwire
