// The batched object model: the calls of one Application handle that only
// change cells (values, formats, the selection, column fits) are held back
// and delivered by Flush in as few office calls as they allow; everything
// else (adding, opening, closing, activating, deleting, the active cell)
// delivers what is held back and then goes to the office at once through
// the immediate model. Workbook lists and titles come from what the session
// remembers, sheet names are asked once per handle.

#include "CalcObjects.h"

#include "ExcelFormats.h"

#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>

#include <wx/app.h>
#include <wx/utils.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <variant>
#include <vector>

namespace sheetwire::calc {

using css::uno::Any;
using css::uno::UNO_QUERY_THROW;
using Document = std::shared_ptr<OpenDocument>;

namespace {

// A rectangle of one worksheet, 1-based as the automation model counts.
struct Area {
    sal_Int32 sheet;
    sal_Int32 firstColumn, firstRow, lastColumn, lastRow;

    bool operator==(const Area&) const = default;
    bool single() const { return firstColumn == lastColumn && firstRow == lastRow; }
};

// The column and row of an A1 reference as CExcelAutomation builds them.
std::pair<sal_Int32, sal_Int32> parseReference(const std::string& reference)
{
    std::size_t i = 0;
    sal_Int32 column = 0;
    while (i < reference.size() && std::isupper(static_cast<unsigned char>(reference[i])) &&
           column <= 16384)
        column = column * 26 + (reference[i++] - 'A' + 1);
    const std::size_t digits = i;
    sal_Int32 row = 0;
    while (i < reference.size() && std::isdigit(static_cast<unsigned char>(reference[i])) &&
           row <= 1048576)
        row = row * 10 + (reference[i++] - '0');
    if (column < 1 || column > 16384 || i == digits || i != reference.size() || row < 1 ||
        row > 1048576)
        throw AutomationError(AutomationFailure::NoSuchItem,
                              "Worksheet.Range: \"" + reference + "\" is no cell reference");
    return {column, row};
}

std::string withDigitsAsZero(std::string text)
{
    for (char& c : text)
        if (c >= '1' && c <= '9')
            c = '0';
    return text;
}

// Whether the office may read text as a number whose shown text has other
// digits than were typed ("007" shows 7, "1e3" shows 1000): text made only
// of digits, signs, separators, exponents, per cent and currency signs.
bool mayReadAsNumber(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](unsigned char c) {
        return std::isdigit(c) || std::isspace(c) || std::strchr("+-.,eE%$()", c) != nullptr;
    });
}

// The shape of what a cell shows for value: its text with every digit a 0.
// Nothing for a formula, whose shown text its own text does not tell.
std::optional<std::string> shapeOf(const CellValue& value)
{
    if (const auto* integer = std::get_if<std::int32_t>(&value))
        return withDigitsAsZero(std::to_string(*integer));
    if (const auto* number = std::get_if<double>(&value)) {
        char text[32];
        std::snprintf(text, sizeof text, "%.15g", *number);
        return withDigitsAsZero(text);
    }
    const auto& text = std::get<std::string>(value);
    if (!text.empty() && text.front() == '=')
        return std::nullopt;
    return mayReadAsNumber(text) ? text : withDigitsAsZero(text);
}

// A column keeps at most this many shapes; beyond, it starts afresh.
constexpr std::size_t shapesKept = 64;

bool isNumber(const CellValue& value)
{
    return !std::holds_alternative<std::string>(value);
}

double numberOf(const CellValue& value)
{
    if (const auto* integer = std::get_if<std::int32_t>(&value))
        return *integer;
    return std::get<double>(value);
}

// Waits while the user types into a cell of one of the documents, the
// program's windows repainting under the wait cursor; raises
// AutomationFailure::Busy when an edit outlasts the bound.
void awaitNoCellEdit(Session& session, const std::vector<Document>& documents,
                     std::chrono::milliseconds bound)
{
    const auto editing = [&] {
        return std::any_of(documents.begin(), documents.end(), [&](const Document& document) {
            return officeCall("Application.Flush", [&] {
                const auto controller = document->model()->getCurrentController();
                return controller.is() && session.editingCell(controller);
            });
        });
    };
    if (!editing())
        return;
    const bool responsive = wxTheApp != nullptr && wxIsMainThread();
    std::optional<wxBusyCursor> wait;
    if (responsive)
        wait.emplace();
    const auto giveUp = std::chrono::steady_clock::now() + bound;
    do {
        if (std::chrono::steady_clock::now() >= giveUp)
            throw AutomationError(AutomationFailure::Busy,
                                  "Application.Flush: a cell of the workbook is being edited");
        if (responsive)
            wxSafeYield(nullptr, true);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (editing());
}

// What one Application handle has been told and not yet delivered.
class Batch {
public:
    Batch(std::shared_ptr<Session> session, std::chrono::milliseconds cellEditWait)
        : session(std::move(session)), cellEditWait(cellEditWait)
    {
    }

    void put(const Document& document, const Area& area, const CellValue& value)
    {
        for (sal_Int32 row = area.firstRow; row <= area.lastRow; ++row)
            for (sal_Int32 column = area.firstColumn; column <= area.lastColumn; ++column)
                puts.push_back({document, area.sheet, column, row, value});
    }

    void format(const Document& document, const Area& area, const std::string& member,
                const OUString& property, const Any& value)
    {
        // Properties of one range set one after the other go in one call,
        // in the order they were set.
        if (!formats.empty() && formats.back().document == document && formats.back().area == area) {
            formats.back().names.push_back(property);
            formats.back().values.push_back(value);
            return;
        }
        formats.push_back({document, area, member, {property}, {value}});
    }

    // Only the last selection shows once the handle is flushed.
    void select(const Document& document, const Area& area) { selection = {document, area}; }

    void fit(const Document& document, sal_Int32 sheet, sal_Int32 firstColumn, sal_Int32 lastColumn)
    {
        fits.push_back({document, sheet, firstColumn, lastColumn});
    }

    // The names of the document's sheets in their order, asked once for
    // this handle.
    const std::vector<OUString>& sheetNames(const Document& document)
    {
        auto& names = sheetNamesOf[document.get()];
        if (!names) {
            const auto elements = document->sheets()->getElementNames();
            names.emplace(elements.begin(), elements.end());
        }
        return *names;
    }

    // After a sheet was added or deleted.
    void forgetSheets(const Document& document) { sheetNamesOf.erase(document.get()); }

    void flush()
    {
        // Taken out first: what fails to land is not delivered again later.
        auto putsNow = std::move(puts);
        auto formatsNow = std::move(formats);
        auto selectionNow = std::move(selection);
        auto fitsNow = std::move(fits);
        puts.clear();
        formats.clear();
        selection.reset();
        fits.clear();
        ranges.clear();

        // A value written into a document while its user types into a cell
        // would meet the edit half-way.
        std::vector<Document> receiving;
        const auto receives = [&receiving](const Document& document) {
            if (std::find(receiving.begin(), receiving.end(), document) == receiving.end())
                receiving.push_back(document);
        };
        for (const auto& put : putsNow)
            receives(put.document);
        for (const auto& format : formatsNow)
            receives(format.document);
        if (selectionNow)
            receives(selectionNow->first);
        for (const auto& request : fitsNow)
            receives(request.document);
        awaitNoCellEdit(*session, receiving, cellEditWait);

        std::vector<Document> touched;
        const auto touch = [&touched](const Document& document, const std::string& member) {
            document->ensureOpen(member);
            if (std::find(touched.begin(), touched.end(), document) == touched.end())
                touched.push_back(document);
        };
        officeCall("Range.Value", [&] {
            for (std::size_t i = 0; i < putsNow.size();)
                i = deliverPuts(putsNow, i, touch);
        });
        for (const auto& format : formatsNow) {
            officeCall(format.member, [&] {
                touch(format.document, format.member);
                const css::uno::Sequence<OUString> names(format.names.data(),
                                                        static_cast<sal_Int32>(format.names.size()));
                const css::uno::Sequence<Any> values(format.values.data(),
                                                     static_cast<sal_Int32>(format.values.size()));
                Reference<css::beans::XMultiPropertySet>(range(format.document, format.area),
                                                         UNO_QUERY_THROW)
                    ->setPropertyValues(names, values);
            });
        }
        if (selectionNow) {
            officeCall("Range.Select", [&] {
                const auto& [document, area] = *selectionNow;
                touch(document, "Range.Select");
                document->selection("Range.Select")->select(Any(range(document, area)));
            });
        }
        officeCall("Range.AutoFit", [&] {
            for (const auto& request : fitsNow) {
                touch(request.document, "Range.AutoFit");
                deliverFit(request);
            }
        });
        // A document closed while the calls were under way took them
        // silently and kept nothing.
        for (const auto& document : touched)
            document->ensureOpen("Application.Flush");
        ranges.clear();
    }

private:
    struct Put {
        Document document;
        sal_Int32 sheet, column, row;
        CellValue value;
    };
    struct Format {
        Document document;
        Area area;
        std::string member;
        std::vector<OUString> names;
        std::vector<Any> values;
    };
    struct FitRequest {
        Document document;
        sal_Int32 sheet, firstColumn, lastColumn;
    };

    // The office's range (or cell) for area, asked once per flush.
    Reference<css::uno::XInterface> range(const Document& document, const Area& area)
    {
        for (const auto& [known, object] : ranges)
            if (known.first == document.get() && known.second == area)
                return object;
        Reference<css::uno::XInterface> object;
        if (area.single())
            object = document->cellRanges()->getCellByPosition(area.firstColumn - 1,
                                                               area.firstRow - 1, area.sheet - 1);
        else
            object = document->cellRanges()->getCellRangeByPosition(
                area.firstColumn - 1, area.firstRow - 1, area.lastColumn - 1, area.lastRow - 1,
                area.sheet - 1);
        ranges.emplace_back(std::make_pair(document.get(), area), object);
        return object;
    }

    // Delivers the puts from first on that form one run of numbers along a
    // row or down a column (one call for the run) or one text (typed into
    // its cell as the user would type it); returns the index after them.
    template <typename Touch>
    std::size_t deliverPuts(const std::vector<Put>& all, std::size_t first, const Touch& touch)
    {
        const Put& start = all[first];
        touch(start.document, "Range.Value");
        record(start);
        if (!isNumber(start.value)) {
            const Area cell{start.sheet, start.column, start.row, start.column, start.row};
            Reference<css::beans::XPropertySet>(range(start.document, cell), UNO_QUERY_THROW)
                ->setPropertyValue("FormulaLocal", Any(fromUtf8(std::get<std::string>(start.value))));
            return first + 1;
        }
        const auto follows = [&](const Put& next, sal_Int32 columnStep, sal_Int32 rowStep,
                                 std::size_t offset) {
            return next.document == start.document && next.sheet == start.sheet &&
                   isNumber(next.value) &&
                   next.column == start.column + columnStep * static_cast<sal_Int32>(offset) &&
                   next.row == start.row + rowStep * static_cast<sal_Int32>(offset);
        };
        std::size_t end = first + 1;
        bool across = true;
        if (end < all.size() && !follows(all[end], 1, 0, 1))
            across = !follows(all[end], 0, 1, 1);
        const sal_Int32 columnStep = across ? 1 : 0;
        while (end < all.size() && follows(all[end], columnStep, 1 - columnStep, end - first)) {
            record(all[end]);
            ++end;
        }
        const auto count = static_cast<sal_Int32>(end - first);
        if (count == 1) {
            const Area cell{start.sheet, start.column, start.row, start.column, start.row};
            Reference<css::table::XCell>(range(start.document, cell), UNO_QUERY_THROW)
                ->setValue(numberOf(start.value));
            return end;
        }
        css::uno::Sequence<css::uno::Sequence<Any>> rows(across ? 1 : count);
        for (sal_Int32 i = 0; i < count; ++i) {
            const Any value(numberOf(all[first + static_cast<std::size_t>(i)].value));
            if (across) {
                if (i == 0)
                    rows.getArray()[0].realloc(count);
                rows.getArray()[0].getArray()[i] = value;
            } else {
                rows.getArray()[i] = css::uno::Sequence<Any>(&value, 1);
            }
        }
        const Area run{start.sheet, start.column, start.row,
                       across ? start.column + count - 1 : start.column,
                       across ? start.row : start.row + count - 1};
        Reference<css::sheet::XCellRangeData>(range(start.document, run), UNO_QUERY_THROW)
            ->setDataArray(rows);
        return end;
    }

    // Notes what the put leaves in its column, for the next fit there.
    static void record(const Put& put)
    {
        auto& column = put.document->fits(put.sheet).columns[put.column];
        if (const auto shape = shapeOf(put.value))
            column.written.insert(*shape);
        else
            column.unknownWritten = true;
    }

    // Fits the requested columns the program wrote something wider into
    // since they were last fitted, or that were never fitted.
    void deliverFit(const FitRequest& request)
    {
        const auto& names = sheetNames(request.document);
        if (request.sheet < 1 || request.sheet > static_cast<sal_Int32>(names.size()))
            throw AutomationError(AutomationFailure::NoSuchItem,
                                  "Range.AutoFit: there is no worksheet " +
                                      std::to_string(request.sheet));
        auto& fits = request.document->fits(request.sheet);
        if (fits.name != names[static_cast<std::size_t>(request.sheet - 1)]) {
            // Another sheet at this position, or the first fit here: what
            // was fitted before says nothing about it; what was just written
            // went to it.
            for (auto& [number, column] : fits.columns) {
                column.fitted = false;
                column.shapes.clear();
            }
            fits.name = names[static_cast<std::size_t>(request.sheet - 1)];
        }
        const auto needed = [&fits](sal_Int32 columnNumber) {
            const auto& column = fits.columns[columnNumber];
            return !column.fitted || column.unknownWritten ||
                   std::any_of(column.written.begin(), column.written.end(),
                               [&column](const std::string& shape) {
                                   return column.shapes.count(shape) == 0;
                               });
        };
        for (sal_Int32 first = request.firstColumn; first <= request.lastColumn;) {
            if (!needed(first)) {
                ++first;
                continue;
            }
            sal_Int32 last = first;
            while (last < request.lastColumn && needed(last + 1))
                ++last;
            const Area top{request.sheet, first, 1, last, 1};
            const Reference<css::beans::XPropertySet> columns(
                Reference<css::table::XColumnRowRange>(range(request.document, top), UNO_QUERY_THROW)
                    ->getColumns(),
                UNO_QUERY_THROW);
            columns->setPropertyValue("OptimalWidth", Any(true));
            first = last + 1;
        }
        for (sal_Int32 columnNumber = request.firstColumn; columnNumber <= request.lastColumn;
             ++columnNumber) {
            auto& column = fits.columns[columnNumber];
            column.fitted = true;
            column.unknownWritten = false;
            column.shapes.insert(column.written.begin(), column.written.end());
            column.written.clear();
            if (column.shapes.size() > shapesKept)
                column.shapes.clear();
        }
    }

    std::shared_ptr<Session> session;
    std::chrono::milliseconds cellEditWait;
    std::vector<Put> puts;
    std::vector<Format> formats;
    std::optional<std::pair<Document, Area>> selection;
    std::vector<FitRequest> fits;
    std::map<const OpenDocument*, std::optional<std::vector<OUString>>> sheetNamesOf;
    std::vector<std::pair<std::pair<const OpenDocument*, Area>, Reference<css::uno::XInterface>>>
        ranges;
};

class BatchFont : public AutomationFont {
public:
    BatchFont(std::shared_ptr<Batch> batch, Document document, Area area)
        : batch(std::move(batch)), document(std::move(document)), area(area)
    {
    }

    void PutColorIndex(std::int16_t colorIndex) override
    {
        batch->format(document, area, "Font.ColorIndex", "CharColor",
                      Any(sal_Int32{fontColour(colorIndex)}));
    }

private:
    std::shared_ptr<Batch> batch;
    Document document;
    Area area;
};

class BatchInterior : public AutomationInterior {
public:
    BatchInterior(std::shared_ptr<Batch> batch, Document document, Area area)
        : batch(std::move(batch)), document(std::move(document)), area(area)
    {
    }

    void PutColorIndex(std::int16_t colorIndex) override
    {
        batch->format(document, area, "Interior.ColorIndex", "CellBackColor",
                      Any(sal_Int32{interiorColour(colorIndex)}));
    }

    void PutPattern(std::int16_t pattern) override
    {
        batch->format(document, area, "Interior.Pattern", "IsCellBackgroundTransparent",
                      Any(transparentBackground(pattern)));
    }

private:
    std::shared_ptr<Batch> batch;
    Document document;
    Area area;
};

class BatchRange : public AutomationRange {
public:
    BatchRange(std::shared_ptr<Session> session, std::shared_ptr<Batch> batch, Document document,
               Area area, bool entireColumns)
        : session(std::move(session)), batch(std::move(batch)), document(std::move(document)),
          area(area), entireColumns(entireColumns)
    {
    }

    std::string Address() override
    {
        document->ensureOpen("Range.Address");
        if (entireColumns)
            return immediate()->Address();
        return excelAddress(area.firstColumn, area.firstRow, area.lastColumn, area.lastRow);
    }

    void AutoFit() override
    {
        if (!entireColumns)
            throw AutomationError(AutomationFailure::Refused,
                                  "Range.AutoFit: the range is not made of whole columns");
        batch->fit(document, area.sheet, area.firstColumn, area.lastColumn);
    }

    void BorderAround(std::int16_t lineStyle, std::int32_t weight, std::int32_t colorIndex,
                      std::int32_t color) override
    {
        if (entireColumns) {
            immediate()->BorderAround(lineStyle, weight, colorIndex, color);
            return;
        }
        const auto border = outline(lineStyle, weight, colorIndex, color);
        batch->format(document, area, "Range.BorderAround", "TableBorder2", Any(border));
    }

    std::int32_t Column() override
    {
        document->ensureOpen("Range.Column");
        return area.firstColumn;
    }

    std::unique_ptr<AutomationRange> EntireColumn() override
    {
        document->ensureOpen("Range.EntireColumn");
        return std::make_unique<BatchRange>(session, batch, document,
                                            Area{area.sheet, area.firstColumn, 1, area.lastColumn, 1},
                                            true);
    }

    std::unique_ptr<AutomationFont> Font() override
    {
        if (entireColumns)
            return immediate()->Font();
        return std::make_unique<BatchFont>(batch, document, area);
    }

    std::string Formula() override
    {
        batch->flush();
        return worksheet()
            ->Range(reference(area.firstColumn, area.firstRow), reference(area.firstColumn, area.firstRow))
            ->Formula();
    }

    void PutHorizontalAlignment(std::int16_t alignment) override
    {
        if (entireColumns) {
            immediate()->PutHorizontalAlignment(alignment);
            return;
        }
        batch->format(document, area, "Range.HorizontalAlignment", "HoriJustify",
                      Any(horizontalJustify(alignment)));
    }

    std::unique_ptr<AutomationInterior> Interior() override
    {
        if (entireColumns)
            return immediate()->Interior();
        return std::make_unique<BatchInterior>(batch, document, area);
    }

    std::int32_t Row() override
    {
        document->ensureOpen("Range.Row");
        return area.firstRow;
    }

    void Select() override
    {
        if (entireColumns) {
            immediate()->Select();
            return;
        }
        batch->select(document, area);
    }

    void PutValue(const CellValue& value) override
    {
        if (entireColumns) {
            immediate()->PutValue(value);
            return;
        }
        batch->put(document, area, value);
    }

    void PutVerticalAlignment(std::int16_t alignment) override
    {
        if (entireColumns) {
            immediate()->PutVerticalAlignment(alignment);
            return;
        }
        batch->format(document, area, "Range.VerticalAlignment", "VertJustify",
                      Any(sal_Int32{verticalJustify(alignment)}));
    }

private:
    // Whole columns reach down to the sheet's last row, which the office
    // knows: anything but a fit on them goes through the immediate model,
    // after what is held back.
    std::unique_ptr<AutomationRange> immediate()
    {
        batch->flush();
        return worksheet()
            ->Range(reference(area.firstColumn, area.firstRow),
                    reference(area.lastColumn, area.lastRow))
            ->EntireColumn();
    }

    // The sheet in the immediate model.
    std::unique_ptr<AutomationWorksheet> worksheet()
    {
        return makeWorksheets(session, document)->Item(static_cast<std::int16_t>(area.sheet));
    }

    static std::string reference(sal_Int32 column, sal_Int32 row)
    {
        std::string letters;
        for (sal_Int32 rest = column; rest > 0; rest = (rest - 1) / 26)
            letters.insert(letters.begin(), static_cast<char>('A' + (rest - 1) % 26));
        return letters + std::to_string(row);
    }

    std::shared_ptr<Session> session;
    std::shared_ptr<Batch> batch;
    Document document;
    Area area;
    bool entireColumns;
};

class BatchWorksheet : public AutomationWorksheet {
public:
    BatchWorksheet(std::shared_ptr<Session> session, std::shared_ptr<Batch> batch, Document document,
                   sal_Int32 index)
        : session(std::move(session)), batch(std::move(batch)), document(std::move(document)),
          index(index)
    {
    }

    void Activate() override
    {
        batch->flush();
        makeWorksheets(session, document)->Item(static_cast<std::int16_t>(index))->Activate();
    }

    bool Delete() override
    {
        batch->flush();
        batch->forgetSheets(document);
        return makeWorksheets(session, document)->Item(static_cast<std::int16_t>(index))->Delete();
    }

    std::string Name() override
    {
        return officeCall("Worksheet.Name", [&] {
            document->ensureOpen("Worksheet.Name");
            const auto& names = batch->sheetNames(document);
            if (index > static_cast<sal_Int32>(names.size()))
                throw AutomationError(AutomationFailure::NoSuchItem,
                                      "Worksheet.Name: there is no worksheet " + std::to_string(index));
            return toUtf8(names[static_cast<std::size_t>(index - 1)]);
        });
    }

    std::unique_ptr<AutomationRange> Range(const std::string& cell1, const std::string& cell2) override
    {
        document->ensureOpen("Worksheet.Range");
        const auto [column1, row1] = parseReference(cell1);
        const auto [column2, row2] = parseReference(cell2);
        return std::make_unique<BatchRange>(
            session, batch, document,
            Area{index, std::min(column1, column2), std::min(row1, row2), std::max(column1, column2),
                 std::max(row1, row2)},
            false);
    }

    // Asked of the office, after what is held back.
    std::unique_ptr<AutomationRange> UsedRange() override
    {
        batch->flush();
        return makeWorksheets(session, document)->Item(static_cast<std::int16_t>(index))->UsedRange();
    }

    const Document& workbook() const { return document; }
    sal_Int32 position() const { return index; }

private:
    std::shared_ptr<Session> session;
    std::shared_ptr<Batch> batch;
    Document document;
    sal_Int32 index;
};

class BatchWorksheets : public AutomationWorksheets {
public:
    BatchWorksheets(std::shared_ptr<Session> session, std::shared_ptr<Batch> batch, Document document)
        : session(std::move(session)), batch(std::move(batch)), document(std::move(document))
    {
    }

    std::unique_ptr<AutomationWorksheet> Add(AutomationWorksheet& before) override
    {
        const auto* beforeSheet = dynamic_cast<BatchWorksheet*>(&before);
        if (beforeSheet == nullptr || beforeSheet->workbook() != document)
            throw AutomationError(AutomationFailure::Refused,
                                  "Worksheets.Add: Before is not a worksheet of this workbook");
        batch->flush();
        batch->forgetSheets(document);
        const auto worksheets = makeWorksheets(session, document);
        worksheets->Add(*worksheets->Item(static_cast<std::int16_t>(beforeSheet->position())));
        // The new worksheet took the position of the one it went before.
        return std::make_unique<BatchWorksheet>(session, batch, document, beforeSheet->position());
    }

    std::int32_t Count() override
    {
        return officeCall("Worksheets.Count", [&] {
            document->ensureOpen("Worksheets.Count");
            return static_cast<std::int32_t>(batch->sheetNames(document).size());
        });
    }

    std::unique_ptr<AutomationWorksheet> Item(std::int16_t index) override
    {
        // A position the workbook does not hold is refused when the sheet is
        // first used; only nonsense is refused here.
        document->ensureOpen("Worksheets.Item");
        if (index < 1)
            throw AutomationError(AutomationFailure::NoSuchItem,
                                  "Worksheets.Item(" + std::to_string(index) +
                                      "): there is no such position");
        return std::make_unique<BatchWorksheet>(session, batch, document, index);
    }

private:
    std::shared_ptr<Session> session;
    std::shared_ptr<Batch> batch;
    Document document;
};

class BatchWorkbook : public AutomationWorkbook {
public:
    BatchWorkbook(std::shared_ptr<Session> session, std::shared_ptr<Batch> batch, Document document)
        : session(std::move(session)), batch(std::move(batch)), document(std::move(document))
    {
    }

    void Close(std::int16_t saveChanges) override
    {
        batch->flush();
        session->forget();
        makeWorkbook(session, document)->Close(saveChanges);
    }

    void Activate() override
    {
        batch->flush();
        makeWorkbook(session, document)->Activate();
    }

    // Asked of the office after what is held back, as a selection held
    // back may show another sheet; found among the sheets by its name.
    std::unique_ptr<AutomationWorksheet> ActiveSheet() override
    {
        batch->flush();
        const OUString name = fromUtf8(makeWorkbook(session, document)->ActiveSheet()->Name());
        return officeCall("Workbook.ActiveSheet", [&] {
            const auto& names = batch->sheetNames(document);
            const auto found = std::find(names.begin(), names.end(), name);
            if (found == names.end())
                throw AutomationError(AutomationFailure::NoSuchItem,
                                      "Workbook.ActiveSheet: the active sheet is not among the sheets");
            return std::make_unique<BatchWorksheet>(
                session, batch, document, static_cast<sal_Int32>(found - names.begin()) + 1);
        });
    }

    std::uint64_t Identity() override
    {
        return officeCall("Workbook.Identity", [&] {
            document->ensureOpen("Workbook.Identity");
            return document->identityNumber();
        });
    }

    std::string Name() override
    {
        return officeCall("Workbook.Name", [&] {
            document->ensureOpen("Workbook.Name");
            return toUtf8(document->rememberedTitle());
        });
    }

    std::unique_ptr<AutomationWorksheets> Worksheets() override
    {
        document->ensureOpen("Workbook.Worksheets");
        return std::make_unique<BatchWorksheets>(session, batch, document);
    }

private:
    std::shared_ptr<Session> session;
    std::shared_ptr<Batch> batch;
    Document document;
};

class BatchWorkbooks : public AutomationWorkbooks {
public:
    BatchWorkbooks(std::shared_ptr<Session> session, std::shared_ptr<Batch> batch)
        : session(std::move(session)), batch(std::move(batch))
    {
    }

    std::unique_ptr<AutomationWorkbook> Add() override
    {
        batch->flush();
        session->forget();
        const auto added = makeWorkbooks(session)->Add();
        return std::make_unique<BatchWorkbook>(session, batch, documentOf(*added));
    }

    std::int32_t Count() override
    {
        return officeCall("Workbooks.Count", [&] {
            return static_cast<std::int32_t>(session->rememberedSpreadsheets().size());
        });
    }

    std::unique_ptr<AutomationWorkbook> Item(std::int16_t index) override
    {
        const auto documents =
            officeCall("Workbooks.Item", [&] { return session->rememberedSpreadsheets(); });
        if (index < 1 || static_cast<std::size_t>(index) > documents.size())
            throw AutomationError(AutomationFailure::NoSuchItem,
                                  "Workbooks.Item(" + std::to_string(index) +
                                      "): there is no such position");
        return std::make_unique<BatchWorkbook>(session, batch,
                                               documents[static_cast<std::size_t>(index - 1)]);
    }

    std::unique_ptr<AutomationWorkbook> Open(const std::string& path) override
    {
        batch->flush();
        session->forget();
        const auto opened = makeWorkbooks(session)->Open(path);
        return std::make_unique<BatchWorkbook>(session, batch, documentOf(*opened));
    }

private:
    std::shared_ptr<Session> session;
    std::shared_ptr<Batch> batch;
};

class BatchApplication : public AutomationApplication {
public:
    BatchApplication(std::shared_ptr<Session> session, std::chrono::milliseconds cellEditWait)
        : session(std::move(session)), batch(std::make_shared<Batch>(this->session, cellEditWait))
    {
    }

    std::unique_ptr<AutomationRange> ActiveCell() override
    {
        batch->flush();
        return makeApplication(session)->ActiveCell();
    }

    // A selection held back never changes the office's active window: asked
    // at once.
    std::unique_ptr<AutomationWorkbook> ActiveWorkbook() override
    {
        const auto active = makeApplication(session)->ActiveWorkbook();
        if (!active)
            return nullptr;
        return std::make_unique<BatchWorkbook>(session, batch, documentOf(*active));
    }

    void Quit() override
    {
        batch->flush();
        makeApplication(session)->Quit();
    }

    // Calc draws as it goes and has no switch for it.
    void PutScreenUpdating(bool) override {}

    void PutVisible(bool visible) override
    {
        officeCall("Application.Visible", [&] { session->showWindow(visible); });
    }

    std::unique_ptr<AutomationWorkbooks> Workbooks() override
    {
        return std::make_unique<BatchWorkbooks>(session, batch);
    }

    void Flush() override { batch->flush(); }

private:
    std::shared_ptr<Session> session;
    std::shared_ptr<Batch> batch;
};

} // namespace

std::shared_ptr<AutomationApplication> makeBatchedApplication(std::shared_ptr<Session> session,
                                                              std::chrono::milliseconds cellEditWait)
{
    return std::make_shared<BatchApplication>(std::move(session), cellEditWait);
}

} // namespace sheetwire::calc
