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
//
// Delivery. A backend may hold back what the objects of one Application
// handle are told to do (values, formats, selections, column fits) and carry
// it to the application in fewer, larger calls, as long as:
// - Flush delivers everything held back by that handle's objects and
//   raises AutomationError when any of it did not land; what it held is
//   gone either way. CExcelAutomation calls it at the end of every
//   operation that reaches the application, so each operation still
//   reports its own failures and nothing reports success that did not land.
//   Releasing a handle never delivers: what was not flushed is dropped.
// - Whatever the application is asked (a name, a count, the active cell)
//   is answered as of everything told before it: a backend delivers what it
//   holds before it asks.
// - Once flushed, the application looks exactly as if every call had been
//   made one by one: cell values and their types, formats, column widths,
//   the active worksheet and the selected cell.
// - Answers may come from what the backend remembers of the application
//   (workbook names, their order) only while the application's own
//   notifications keep that memory current; a workbook closed or renamed
//   between two operations must be seen by the second.
// A backend that delivers every call at once implements Flush as nothing.

#include "sheetwire/sheetwire_export.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>

namespace sheetwire {

// What kind of refusal an AutomationError is; each has its message for the
// operator in Sheetwire's string table.
enum class AutomationFailure {
    // The application quit, crashed or cannot be reached any more.
    ApplicationGone,
    // The workbook (or the worksheet) was closed or deleted meanwhile.
    WorkbookClosed,
    // A position or name the application does not hold.
    NoSuchItem,
    // Closing with its changes saved a workbook that has no file yet; the
    // subject is the workbook's name.
    NeverSaved,
    // A file the application could not open as a workbook; the subject is
    // the file.
    CannotOpen,
    // The application kept refusing calls for as long as a call waits for it
    // (its user editing a cell, one of its dialogs open). It is still there,
    // and so is the destination.
    Busy,
    // Anything else the application refused.
    Refused,
};

class SHEETWIRE_EXPORT AutomationError : public std::runtime_error {
public:
    // what() is the message the operator is shown, in the program's
    // language, with subject filled in where the message names something;
    // detail says which call failed and how, for diagnosis.
    AutomationError(AutomationFailure failure, const std::string& detail,
                    const std::string& subject = {});
    ~AutomationError() override;

    AutomationFailure failure() const { return m_failure; }
    const std::string& detail() const { return m_detail; }

private:
    AutomationFailure m_failure;
    std::string m_detail;
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
    // The range's absolute A1 reference, "$A$1" for one cell, "$A$1:$B$5"
    // for more (Address with its optional arguments omitted).
    virtual std::string Address() = 0;
    virtual void AutoFit() = 0;
    // The outline of the range. The colour is an RGB value and travels whole.
    virtual void BorderAround(std::int16_t lineStyle, std::int32_t weight,
                              std::int32_t colorIndex, std::int32_t color) = 0;
    virtual std::int32_t Column() = 0;
    virtual std::unique_ptr<AutomationRange> EntireColumn() = 0;
    virtual std::unique_ptr<AutomationFont> Font() = 0;
    virtual void PutHorizontalAlignment(std::int16_t alignment) = 0;
    // A single cell's contents as entered: "" for an empty cell.
    virtual std::string Formula() = 0;
    virtual std::unique_ptr<AutomationInterior> Interior() = 0;
    virtual std::int32_t Row() = 0;
    // Moves the selection to the range. The application refuses it (Excel:
    // "Select method of Range class failed") unless the range's worksheet is
    // the active sheet of the active workbook.
    virtual void Select() = 0;
    virtual void PutValue(const CellValue& value) = 0;
    virtual void PutVerticalAlignment(std::int16_t alignment) = 0;
};

class SHEETWIRE_EXPORT AutomationWorksheet {
public:
    virtual ~AutomationWorksheet();
    // Shows this worksheet in its workbook's window, as clicking its tab
    // does. The application may refuse it while the workbook is not the
    // active one (activate the workbook first).
    virtual void Activate() = 0;
    // False when the user answered the application's confirmation with
    // Cancel, and the worksheet stays.
    virtual bool Delete() = 0;
    virtual std::string Name() = 0;
    // The rectangle between two corner cells given as A1 references.
    virtual std::unique_ptr<AutomationRange> Range(const std::string& cell1,
                                                   const std::string& cell2) = 0;
    // The smallest rectangle holding every cell that has contents or a
    // format of its own; the cell A1 alone on an empty worksheet.
    virtual std::unique_ptr<AutomationRange> UsedRange() = 0;
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
    // Makes this the application's active workbook, its window the one on
    // top.
    virtual void Activate() = 0;
    // The sheet on top in this workbook's window.
    virtual std::unique_ptr<AutomationWorksheet> ActiveSheet() = 0;
    // Closes the workbook (Filename and RouteWorkbook null).
    virtual void Close(std::int16_t saveChanges) = 0;
    // Tells this workbook from every other one: the same while it stays
    // open, and again for its file opened anew; never that of another
    // workbook of this process's life, such as a new, never saved one that
    // took a closed one's name and position. Never 0.
    virtual std::uint64_t Identity() = 0;
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
    // The workbook of the window on top; null when no workbook shows.
    virtual std::unique_ptr<AutomationWorkbook> ActiveWorkbook() = 0;
    virtual void Quit() = 0;
    virtual void PutScreenUpdating(bool on) = 0;
    virtual void PutVisible(bool visible) = 0;
    virtual std::unique_ptr<AutomationWorkbooks> Workbooks() = 0;
    // Delivers what this handle's objects have held back (see Delivery).
    virtual void Flush() = 0;
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
