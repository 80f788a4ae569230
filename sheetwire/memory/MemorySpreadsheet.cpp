#include "sheetwire/MemorySpreadsheet.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

namespace sheetwire {
namespace {

constexpr std::int32_t maxRow = 65536;

std::pair<std::int32_t, std::int32_t> parseReference(const std::string& reference)
{
    std::size_t i = 0;
    std::int64_t column = 0;
    while (i < reference.size() && std::isupper(static_cast<unsigned char>(reference[i])) && column <= 16384)
        column = column * 26 + (reference[i++] - 'A' + 1);
    std::int64_t row = 0;
    const std::size_t digits = i;
    while (i < reference.size() && std::isdigit(static_cast<unsigned char>(reference[i])) && row <= maxRow)
        row = row * 10 + (reference[i++] - '0');
    if (column < 1 || column > 16384 || i == digits || i != reference.size() || row < 1 || row > maxRow)
        throw AutomationError(AutomationFailure::NoSuchItem,
                              "Range: \"" + reference + "\" is not a cell reference");
    return {static_cast<std::int32_t>(column), static_cast<std::int32_t>(row)};
}

std::string describe(const CellValue& value)
{
    if (const auto* number = std::get_if<std::int32_t>(&value))
        return "int " + std::to_string(*number);
    if (const auto* number = std::get_if<double>(&value)) {
        char text[64];
        std::snprintf(text, sizeof text, "%.17g", *number);
        return std::string("double ") + text;
    }
    return "text \"" + std::get<std::string>(value) + "\"";
}

std::string columnLetters(std::int32_t column)
{
    std::string letters;
    for (; column > 0; column = (column - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
    return letters;
}

// What a cell shows in the formula bar: numbers as the application writes
// them, texts as they are.
std::string formulaOf(const CellValue& value)
{
    if (const auto* number = std::get_if<std::int32_t>(&value))
        return std::to_string(*number);
    if (const auto* number = std::get_if<double>(&value)) {
        char text[64];
        std::snprintf(text, sizeof text, "%.15g", *number);
        return text;
    }
    return std::get<std::string>(value);
}

bool used(const MemoryCell& cell)
{
    return cell.value || cell.fontColorIndex || cell.interiorColorIndex || cell.interiorPattern ||
           cell.horizontalAlignment || cell.verticalAlignment;
}

// What every object of the application shares: the application itself and
// the run it belongs to.
class Part {
public:
    explicit Part(std::shared_ptr<MemorySpreadsheet> app) : app(std::move(app)), generation(this->app->generation) {}

protected:
    void call(const std::string& entry) const
    {
        app->log.push_back(entry);
        if (app->onCall)
            app->onCall(entry);
        if (!app->running || app->generation != generation)
            throw AutomationError(AutomationFailure::ApplicationGone,
                                  entry + ": the application is no longer running");
    }

    std::shared_ptr<MemorySpreadsheet> app;
    unsigned generation;
};

class Font : public AutomationFont, Part {
public:
    Font(std::shared_ptr<MemorySpreadsheet> app, std::vector<MemoryCell*> cells)
        : Part(std::move(app)), cells(std::move(cells)) {}

    void PutColorIndex(std::int16_t colorIndex) override
    {
        call("Font.ColorIndex=" + std::to_string(colorIndex));
        for (auto* cell : cells)
            cell->fontColorIndex = colorIndex;
    }

private:
    std::vector<MemoryCell*> cells;
};

class Interior : public AutomationInterior, Part {
public:
    Interior(std::shared_ptr<MemorySpreadsheet> app, std::vector<MemoryCell*> cells)
        : Part(std::move(app)), cells(std::move(cells)) {}

    void PutColorIndex(std::int16_t colorIndex) override
    {
        call("Interior.ColorIndex=" + std::to_string(colorIndex));
        for (auto* cell : cells)
            cell->interiorColorIndex = colorIndex;
    }

    void PutPattern(std::int16_t pattern) override
    {
        call("Interior.Pattern=" + std::to_string(pattern));
        for (auto* cell : cells)
            cell->interiorPattern = pattern;
    }

private:
    std::vector<MemoryCell*> cells;
};

class Range : public AutomationRange, Part {
public:
    Range(std::shared_ptr<MemorySpreadsheet> app, std::shared_ptr<MemoryWorkbook> book,
          std::shared_ptr<MemoryWorksheet> sheet, std::int32_t column1, std::int32_t row1,
          std::int32_t column2, std::int32_t row2, bool entireColumns)
        : Part(std::move(app)), book(std::move(book)), sheet(std::move(sheet)),
          firstColumn(std::min(column1, column2)), firstRow(std::min(row1, row2)),
          lastColumn(std::max(column1, column2)), lastRow(std::max(row1, row2)),
          entireColumns(entireColumns)
    {
    }

    std::string Address() override
    {
        enter("Range.Address");
        const auto corner = [](std::int32_t column, std::int32_t row) {
            return "$" + columnLetters(column) + "$" + std::to_string(row);
        };
        const std::string first = corner(firstColumn, firstRow);
        if (firstColumn == lastColumn && firstRow == lastRow)
            return first;
        return first + ":" + corner(lastColumn, lastRow);
    }

    void AutoFit() override
    {
        enter("Range.AutoFit");
        if (!entireColumns)
            throw AutomationError(AutomationFailure::Refused,
                                  "AutoFit method of Range class failed: not whole columns");
        for (auto column = firstColumn; column <= lastColumn; ++column)
            sheet->autoFitColumns.insert(column);
    }

    void BorderAround(std::int16_t lineStyle, std::int32_t weight, std::int32_t colorIndex,
                      std::int32_t color) override
    {
        enter("Range.BorderAround(" + std::to_string(lineStyle) + "," + std::to_string(weight) +
              "," + std::to_string(colorIndex) + "," + std::to_string(color) + ")");
        sheet->borders.push_back(
            {firstColumn, firstRow, lastColumn, lastRow, lineStyle, weight, colorIndex, color});
    }

    std::int32_t Column() override
    {
        enter("Range.Column");
        return firstColumn;
    }

    std::unique_ptr<AutomationRange> EntireColumn() override
    {
        enter("Range.EntireColumn");
        return std::make_unique<Range>(app, book, sheet, firstColumn, 1, lastColumn, maxRow, true);
    }

    std::unique_ptr<AutomationFont> Font() override
    {
        enter("Range.Font");
        return std::make_unique<class Font>(app, cells());
    }

    std::string Formula() override
    {
        enter("Range.Formula");
        const auto cell = sheet->cells.find({firstColumn, firstRow});
        if (cell == sheet->cells.end() || !cell->second.value)
            return {};
        return formulaOf(*cell->second.value);
    }

    void PutHorizontalAlignment(std::int16_t alignment) override
    {
        enter("Range.HorizontalAlignment=" + std::to_string(alignment));
        for (auto* cell : cells())
            cell->horizontalAlignment = alignment;
    }

    std::unique_ptr<AutomationInterior> Interior() override
    {
        enter("Range.Interior");
        return std::make_unique<class Interior>(app, cells());
    }

    std::int32_t Row() override
    {
        enter("Range.Row");
        return firstRow;
    }

    void Select() override
    {
        enter("Range.Select");
        if (app->activeWorkbook != book || book->activeWorksheet != sheet)
            throw AutomationError(AutomationFailure::Refused,
                                  "Select method of Range class failed");
        sheet->activeColumn = firstColumn;
        sheet->activeRow = firstRow;
    }

    void PutValue(const CellValue& value) override
    {
        enter("Range.Value=" + describe(value));
        for (auto* cell : cells())
            cell->value = value;
    }

    void PutVerticalAlignment(std::int16_t alignment) override
    {
        enter("Range.VerticalAlignment=" + std::to_string(alignment));
        for (auto* cell : cells())
            cell->verticalAlignment = alignment;
    }

private:
    void enter(const std::string& entry) const
    {
        call(entry);
        if (book->closed || sheet->deleted)
            throw AutomationError(AutomationFailure::WorkbookClosed, entry + ": the worksheet is gone");
    }

    // Formatting a whole column touches every row; the memory keeps the
    // cells that exist already and the first one.
    std::vector<MemoryCell*> cells() const
    {
        std::vector<MemoryCell*> found;
        if (entireColumns) {
            for (auto& [at, cell] : sheet->cells)
                if (at.first >= firstColumn && at.first <= lastColumn)
                    found.push_back(&cell);
            return found;
        }
        for (auto column = firstColumn; column <= lastColumn; ++column)
            for (auto row = firstRow; row <= lastRow; ++row)
                found.push_back(&sheet->cells[{column, row}]);
        return found;
    }

    std::shared_ptr<MemoryWorkbook> book;
    std::shared_ptr<MemoryWorksheet> sheet;
    std::int32_t firstColumn, firstRow, lastColumn, lastRow;
    bool entireColumns;
};

void activate(MemorySpreadsheet& app, const std::shared_ptr<MemoryWorkbook>& book,
              const std::shared_ptr<MemoryWorksheet>& sheet)
{
    app.activeWorkbook = book;
    book->activeWorksheet = sheet;
}

class Worksheet : public AutomationWorksheet, Part {
public:
    Worksheet(std::shared_ptr<MemorySpreadsheet> app, std::shared_ptr<MemoryWorkbook> book,
              std::shared_ptr<MemoryWorksheet> sheet)
        : Part(std::move(app)), book(std::move(book)), sheet(std::move(sheet)) {}

    // As clicking the worksheet's tab, which only the active workbook's
    // window shows.
    void Activate() override
    {
        enter("Worksheet.Activate");
        if (app->activeWorkbook != book)
            throw AutomationError(AutomationFailure::Refused,
                                  "Activate method of Worksheet class failed");
        book->activeWorksheet = sheet;
    }

    bool Delete() override
    {
        enter("Worksheet.Delete");
        auto& sheets = book->worksheets;
        if (sheets.size() == 1)
            throw AutomationError(AutomationFailure::Refused,
                                  "Delete method of Worksheet class failed: a workbook must "
                                  "contain at least one worksheet");
        const auto at = std::find(sheets.begin(), sheets.end(), sheet);
        const auto next = sheets.erase(at);
        sheet->deleted = true;
        if (book->activeWorksheet == sheet)
            book->activeWorksheet = next != sheets.end() ? *next : sheets.back();
        return true;
    }

    std::string Name() override
    {
        enter("Worksheet.Name");
        return sheet->name;
    }

    std::unique_ptr<AutomationRange> Range(const std::string& cell1, const std::string& cell2) override
    {
        enter("Worksheet.Range(" + cell1 + "," + cell2 + ")");
        const auto [column1, row1] = parseReference(cell1);
        const auto [column2, row2] = parseReference(cell2);
        return std::make_unique<class Range>(app, book, sheet, column1, row1, column2, row2, false);
    }

    std::unique_ptr<AutomationRange> UsedRange() override
    {
        enter("Worksheet.UsedRange");
        std::int32_t column1 = 0, row1 = 0, column2 = 0, row2 = 0;
        for (const auto& [at, cell] : sheet->cells) {
            if (!used(cell))
                continue;
            column1 = column1 == 0 ? at.first : std::min(column1, at.first);
            row1 = row1 == 0 ? at.second : std::min(row1, at.second);
            column2 = std::max(column2, at.first);
            row2 = std::max(row2, at.second);
        }
        if (column1 == 0)
            column1 = row1 = column2 = row2 = 1;
        return std::make_unique<class Range>(app, book, sheet, column1, row1, column2, row2, false);
    }

    const std::shared_ptr<MemoryWorksheet>& target() const { return sheet; }

private:
    void enter(const std::string& entry) const
    {
        call(entry);
        if (book->closed || sheet->deleted)
            throw AutomationError(AutomationFailure::WorkbookClosed, entry + ": the worksheet is gone");
    }

    std::shared_ptr<MemoryWorkbook> book;
    std::shared_ptr<MemoryWorksheet> sheet;
};

std::string indexError(const std::string& entry, int index, std::size_t count)
{
    return entry + ": index " + std::to_string(index) + " is out of range (Count " +
           std::to_string(count) + ")";
}

class Worksheets : public AutomationWorksheets, Part {
public:
    Worksheets(std::shared_ptr<MemorySpreadsheet> app, std::shared_ptr<MemoryWorkbook> book)
        : Part(std::move(app)), book(std::move(book)) {}

    std::unique_ptr<AutomationWorksheet> Add(AutomationWorksheet& before) override
    {
        const auto& beforeSheet = dynamic_cast<Worksheet&>(before).target();
        enter("Worksheets.Add(Before=" + beforeSheet->name + ")");
        auto& sheets = book->worksheets;
        const auto at = std::find(sheets.begin(), sheets.end(), beforeSheet);
        if (at == sheets.end())
            throw AutomationError(AutomationFailure::Refused,
                                  "Add method of Sheets class failed: Before is not in this workbook");
        auto sheet = std::make_shared<MemoryWorksheet>();
        sheet->name = freeName();
        sheets.insert(at, sheet);
        activate(*app, book, sheet);
        return std::make_unique<Worksheet>(app, book, sheet);
    }

    std::int32_t Count() override
    {
        enter("Worksheets.Count");
        return static_cast<std::int32_t>(book->worksheets.size());
    }

    std::unique_ptr<AutomationWorksheet> Item(std::int16_t index) override
    {
        const std::string entry = "Worksheets.Item(" + std::to_string(index) + ")";
        enter(entry);
        if (index < 1 || static_cast<std::size_t>(index) > book->worksheets.size())
            throw AutomationError(AutomationFailure::NoSuchItem,
                                  indexError(entry, index, book->worksheets.size()));
        return std::make_unique<Worksheet>(app, book, book->worksheets[static_cast<std::size_t>(index - 1)]);
    }

private:
    void enter(const std::string& entry) const
    {
        call(entry);
        if (book->closed)
            throw AutomationError(AutomationFailure::WorkbookClosed, entry + ": the workbook is closed");
    }

    std::string freeName() const
    {
        for (std::size_t n = book->worksheets.size() + 1;; ++n) {
            const std::string name = "Sheet" + std::to_string(n);
            if (!book->worksheet(name))
                return name;
        }
    }

    std::shared_ptr<MemoryWorkbook> book;
};

class Workbook : public AutomationWorkbook, Part {
public:
    Workbook(std::shared_ptr<MemorySpreadsheet> app, std::shared_ptr<MemoryWorkbook> book)
        : Part(std::move(app)), book(std::move(book)) {}

    void Close(std::int16_t saveChanges) override
    {
        enter("Workbook.Close(" + std::to_string(saveChanges) + ")");
        app->closeWorkbook(book->name);
    }

    void Activate() override
    {
        enter("Workbook.Activate");
        app->activeWorkbook = book;
    }

    std::unique_ptr<AutomationWorksheet> ActiveSheet() override
    {
        enter("Workbook.ActiveSheet");
        if (!book->activeWorksheet)
            throw AutomationError(AutomationFailure::Refused, "Workbook.ActiveSheet: no sheet");
        return std::make_unique<Worksheet>(app, book, book->activeWorksheet);
    }

    std::uint64_t Identity() override
    {
        enter("Workbook.Identity");
        return book->identity;
    }

    std::string Name() override
    {
        enter("Workbook.Name");
        return book->name;
    }

    std::unique_ptr<AutomationWorksheets> Worksheets() override
    {
        enter("Workbook.Worksheets");
        return std::make_unique<class Worksheets>(app, book);
    }

private:
    void enter(const std::string& entry) const
    {
        call(entry);
        if (book->closed)
            throw AutomationError(AutomationFailure::WorkbookClosed, entry + ": the workbook is closed");
    }

    std::shared_ptr<MemoryWorkbook> book;
};

class Workbooks : public AutomationWorkbooks, Part {
public:
    using Part::Part;

    std::unique_ptr<AutomationWorkbook> Add() override
    {
        call("Workbooks.Add");
        std::string name;
        do
            name = "Book" + std::to_string(app->nextBookNumber++);
        while (app->workbook(name));
        app->addWorkbook(name, {"Sheet1"}, false);
        return std::make_unique<Workbook>(app, app->workbooks.back());
    }

    std::int32_t Count() override
    {
        call("Workbooks.Count");
        return static_cast<std::int32_t>(app->workbooks.size());
    }

    std::unique_ptr<AutomationWorkbook> Item(std::int16_t index) override
    {
        const std::string entry = "Workbooks.Item(" + std::to_string(index) + ")";
        call(entry);
        if (index < 1 || static_cast<std::size_t>(index) > app->workbooks.size())
            throw AutomationError(AutomationFailure::NoSuchItem,
                                  indexError(entry, index, app->workbooks.size()));
        return std::make_unique<Workbook>(app, app->workbooks[static_cast<std::size_t>(index - 1)]);
    }

    std::unique_ptr<AutomationWorkbook> Open(const std::string& path) override
    {
        call("Workbooks.Open(" + path + ")");
        const auto file = app->files.find(path);
        if (file == app->files.end())
            throw AutomationError(AutomationFailure::CannotOpen, "'" + path + "' could not be found", path);
        // Named after the file, as the application names a workbook it opens.
        const std::u8string fileName =
            std::filesystem::path(std::u8string(path.begin(), path.end())).filename().u8string();
        const std::string name(fileName.begin(), fileName.end());
        if (app->workbook(name))
            throw AutomationError(AutomationFailure::CannotOpen,
                                  "A workbook named '" + name + "' is already open", path);
        app->addWorkbook(name, file->second);
        return std::make_unique<Workbook>(app, app->workbooks.back());
    }
};

class Application : public AutomationApplication, Part {
public:
    explicit Application(std::shared_ptr<MemorySpreadsheet> app) : Part(std::move(app))
    {
        ++this->app->liveHandles;
    }

    ~Application() override
    {
        app->log.push_back("Application.Release");
        --app->liveHandles;
    }

    std::unique_ptr<AutomationRange> ActiveCell() override
    {
        call("Application.ActiveCell");
        const auto book = app->activeWorkbook;
        if (!book || !book->activeWorksheet)
            throw AutomationError(AutomationFailure::Refused,
                                  "Application.ActiveCell: no worksheet is active");
        const auto& sheet = book->activeWorksheet;
        return std::make_unique<Range>(app, book, sheet, sheet->activeColumn, sheet->activeRow,
                                       sheet->activeColumn, sheet->activeRow, false);
    }

    std::unique_ptr<AutomationWorkbook> ActiveWorkbook() override
    {
        call("Application.ActiveWorkbook");
        if (!app->activeWorkbook)
            return nullptr;
        return std::make_unique<Workbook>(app, app->activeWorkbook);
    }

    void Quit() override
    {
        call("Application.Quit");
        while (!app->workbooks.empty())
            app->closeWorkbook(app->workbooks.front()->name);
        app->running = false;
        ++app->generation;
    }

    void PutScreenUpdating(bool on) override
    {
        call(std::string("Application.ScreenUpdating=") + (on ? "true" : "false"));
        app->screenUpdating = on;
    }

    void PutVisible(bool visible) override
    {
        call(std::string("Application.Visible=") + (visible ? "true" : "false"));
        app->visible = visible;
    }

    std::unique_ptr<AutomationWorkbooks> Workbooks() override
    {
        call("Application.Workbooks");
        return std::make_unique<class Workbooks>(app);
    }

    // Every call takes effect at once; only the step is logged (and may be
    // watched, as every call).
    void Flush() override
    {
        app->log.push_back("Application.Flush");
        if (app->onCall)
            app->onCall("Application.Flush");
    }
};

} // namespace

const MemoryCell* MemoryWorksheet::cell(const std::string& reference) const
{
    const auto found = cells.find(parseReference(reference));
    return found == cells.end() ? nullptr : &found->second;
}

std::shared_ptr<MemoryWorksheet> MemoryWorkbook::worksheet(const std::string& worksheetName) const
{
    for (const auto& sheet : worksheets)
        if (sheet->name == worksheetName)
            return sheet;
    return nullptr;
}

std::vector<std::string> MemoryWorkbook::worksheetNames() const
{
    std::vector<std::string> names;
    for (const auto& sheet : worksheets)
        names.push_back(sheet->name);
    return names;
}

std::shared_ptr<MemorySpreadsheet> MemorySpreadsheet::create()
{
    return std::shared_ptr<MemorySpreadsheet>(new MemorySpreadsheet);
}

MemoryWorkbook& MemorySpreadsheet::addWorkbook(const std::string& name,
                                               const std::vector<std::string>& worksheets,
                                               bool saved)
{
    auto book = std::make_shared<MemoryWorkbook>();
    book->name = name;
    if (!saved)
        book->identity = nextIdentity++;
    else if (const auto file = fileIdentities.find(name); file != fileIdentities.end())
        book->identity = file->second;
    else
        book->identity = fileIdentities[name] = nextIdentity++;
    for (const auto& worksheetName : worksheets) {
        book->worksheets.push_back(std::make_shared<MemoryWorksheet>());
        book->worksheets.back()->name = worksheetName;
    }
    if (!book->worksheets.empty())
        book->activeWorksheet = book->worksheets.front();
    workbooks.push_back(book);
    activeWorkbook = book;
    return *book;
}

std::shared_ptr<MemoryWorkbook> MemorySpreadsheet::workbook(const std::string& name) const
{
    for (const auto& book : workbooks)
        if (book->name == name)
            return book;
    return nullptr;
}

std::shared_ptr<MemoryWorksheet> MemorySpreadsheet::worksheet(const std::string& workbookName,
                                                              const std::string& worksheetName) const
{
    const auto book = workbook(workbookName);
    return book ? book->worksheet(worksheetName) : nullptr;
}

std::vector<std::string> MemorySpreadsheet::workbookNames() const
{
    std::vector<std::string> names;
    for (const auto& book : workbooks)
        names.push_back(book->name);
    return names;
}

void MemorySpreadsheet::closeWorkbook(const std::string& name)
{
    const auto book = workbook(name);
    if (!book)
        return;
    book->closed = true;
    workbooks.erase(std::find(workbooks.begin(), workbooks.end(), book));
    if (activeWorkbook == book)
        activeWorkbook = workbooks.empty() ? nullptr : workbooks.back();
}

void MemorySpreadsheet::activate(const std::string& workbookName,
                                 const std::string& worksheetName)
{
    const auto book = workbook(workbookName);
    const auto sheet = book ? book->worksheet(worksheetName) : nullptr;
    if (!sheet)
        throw AutomationError(AutomationFailure::NoSuchItem,
                              "no worksheet " + worksheetName + " in " + workbookName);
    activeWorkbook = book;
    book->activeWorksheet = sheet;
}

void MemorySpreadsheet::addFile(const std::string& path, const std::vector<std::string>& worksheets)
{
    files[path] = worksheets;
}

std::shared_ptr<AutomationApplication> MemorySpreadsheet::AttachRunning()
{
    log.push_back("AttachRunning");
    if (!running)
        return nullptr;
    return std::make_shared<Application>(shared_from_this());
}

std::shared_ptr<AutomationApplication> MemorySpreadsheet::Launch()
{
    log.push_back("Launch");
    if (!canLaunch)
        return nullptr;
    while (!workbooks.empty())
        closeWorkbook(workbooks.front()->name);
    running = true;
    ++generation;
    return std::make_shared<Application>(shared_from_this());
}

bool MemorySpreadsheet::IsRunning()
{
    log.push_back("IsRunning");
    return running;
}

std::string MemorySpreadsheet::describe() const
{
    auto optional = [](const auto& value) {
        return value ? std::to_string(*value) : std::string("-");
    };
    std::string text = std::string("running ") + (running ? "yes" : "no") + " visible " +
                       (visible ? "yes" : "no") + " screen-updating " +
                       (screenUpdating ? "yes" : "no") + "\n";
    for (const auto& book : workbooks) {
        text += "workbook " + book->name + (book == activeWorkbook ? " (active)" : "") + "\n";
        for (const auto& sheet : book->worksheets) {
            text += "  worksheet " + sheet->name +
                    (sheet == book->activeWorksheet ? " (active)" : "") + " active cell " +
                    std::to_string(sheet->activeColumn) + "," + std::to_string(sheet->activeRow) +
                    "\n";
            for (const auto& [position, cell] : sheet->cells) {
                text += "    cell " + std::to_string(position.first) + "," +
                        std::to_string(position.second) + " " +
                        (cell.value ? sheetwire::describe(*cell.value) : std::string("-")) +
                        " font " + optional(cell.fontColorIndex) + " interior " +
                        optional(cell.interiorColorIndex) + " pattern " +
                        optional(cell.interiorPattern) + " align " +
                        optional(cell.horizontalAlignment) + "/" +
                        optional(cell.verticalAlignment) + "\n";
            }
            for (const std::int32_t column : sheet->autoFitColumns)
                text += "    fitted column " + std::to_string(column) + "\n";
            for (const MemoryBorder& b : sheet->borders)
                text += "    border " + std::to_string(b.firstColumn) + "," + std::to_string(b.firstRow) +
                        ":" + std::to_string(b.lastColumn) + "," + std::to_string(b.lastRow) + " " +
                        std::to_string(b.lineStyle) + " " + std::to_string(b.weight) + " " +
                        std::to_string(b.colorIndex) + " " + std::to_string(b.color) + "\n";
        }
    }
    return text;
}

} // namespace sheetwire
