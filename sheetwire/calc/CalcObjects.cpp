#include "CalcObjects.h"

#include "ExcelFormats.h"

#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XFrames.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/task/XInteractionAbort.hpp>
#include <com/sun/star/task/XInteractionHandler.hpp>
#include <com/sun/star/task/XInteractionRequest.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>
#include <cppuhelper/implbase1.hxx>
#include <osl/file.hxx>

#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace sheetwire::calc {

using css::uno::Any;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using Document = std::shared_ptr<OpenDocument>;

namespace {

// Answers every question the office would put to its user while loading a
// file (password, repair, filter options, a file in use) with "abort", so
// that no office dialog can hold up the call.
class AbortingInteraction : public cppu::WeakImplHelper1<css::task::XInteractionHandler> {
public:
    void SAL_CALL handle(const Reference<css::task::XInteractionRequest>& request) override
    {
        for (const auto& continuation : request->getContinuations()) {
            const Reference<css::task::XInteractionAbort> abort(continuation, UNO_QUERY);
            if (abort.is()) {
                abort->select();
                return;
            }
        }
    }
};

css::uno::Sequence<css::beans::PropertyValue> loadArguments()
{
    css::beans::PropertyValue handler;
    handler.Name = "InteractionHandler";
    handler.Value <<= Reference<css::task::XInteractionHandler>(new AbortingInteraction);
    return css::uno::Sequence<css::beans::PropertyValue>(&handler, 1);
}

// Runs a write: the document must be open before it and still after it. A
// closed document's objects take writes silently and keep nothing, so a
// document that closed while the write was under way means the value is
// lost, which the caller must hear about.
template <typename Write>
void officeWrite(const OpenDocument& document, const std::string& member, Write&& write)
{
    officeCall(member, [&] {
        document.ensureOpen(member);
        write();
        document.ensureOpen(member);
    });
}

Reference<css::frame::XController> controllerOf(const OpenDocument& document,
                                                const std::string& member)
{
    auto controller = document.model()->getCurrentController();
    if (!controller.is())
        throw AutomationError(AutomationFailure::WorkbookClosed,
                              member + ": the workbook has no window");
    return controller;
}

// A sheet and the view of its document, which its ranges share so that a
// run of cell selections asks the office for the view once.
struct SheetContext {
    SheetContext(std::shared_ptr<Session> session, Document document,
                 Reference<css::sheet::XSpreadsheet> sheet)
        : session(std::move(session)), document(std::move(document)), sheet(std::move(sheet))
    {
    }

    std::shared_ptr<Session> session;
    Document document;
    Reference<css::sheet::XSpreadsheet> sheet;

    const Reference<css::view::XSelectionSupplier>& selection(const std::string& member)
    {
        if (!m_selection.is())
            m_selection.set(controllerOf(*document, member), UNO_QUERY_THROW);
        return m_selection;
    }

private:
    Reference<css::view::XSelectionSupplier> m_selection;
};

css::table::CellRangeAddress addressOf(const Reference<css::uno::XInterface>& range)
{
    return Reference<css::sheet::XCellRangeAddressable>(range, UNO_QUERY_THROW)->getRangeAddress();
}

class CalcFont : public AutomationFont {
public:
    CalcFont(Document document, Reference<css::beans::XPropertySet> properties)
        : document(std::move(document)), properties(std::move(properties))
    {
    }

    void PutColorIndex(std::int16_t colorIndex) override
    {
        const sal_Int32 colour = fontColour(colorIndex);
        officeWrite(*document, "Font.ColorIndex",
                    [&] { properties->setPropertyValue("CharColor", Any(colour)); });
    }

private:
    Document document;
    Reference<css::beans::XPropertySet> properties;
};

class CalcInterior : public AutomationInterior {
public:
    CalcInterior(Document document, Reference<css::beans::XPropertySet> properties)
        : document(std::move(document)), properties(std::move(properties))
    {
    }

    void PutColorIndex(std::int16_t colorIndex) override
    {
        // A colour fills the cells solidly, as in Excel.
        const sal_Int32 colour = interiorColour(colorIndex);
        officeWrite(*document, "Interior.ColorIndex",
                    [&] { properties->setPropertyValue("CellBackColor", Any(colour)); });
    }

    void PutPattern(std::int16_t pattern) override
    {
        const bool transparent = transparentBackground(pattern);
        officeWrite(*document, "Interior.Pattern", [&] {
            properties->setPropertyValue("IsCellBackgroundTransparent", Any(transparent));
        });
    }

private:
    Document document;
    Reference<css::beans::XPropertySet> properties;
};

class CalcRange : public AutomationRange {
public:
    CalcRange(std::shared_ptr<SheetContext> context, Reference<css::table::XCellRange> range,
              bool entireColumns)
        : context(std::move(context)), range(std::move(range)), entireColumns(entireColumns)
    {
    }

    std::string Address() override
    {
        return officeCall("Range.Address", [&] {
            context->document->ensureOpen("Range.Address");
            const auto address = addressOf(range);
            return excelAddress(address.StartColumn + 1, address.StartRow + 1,
                                address.EndColumn + 1, address.EndRow + 1);
        });
    }

    void AutoFit() override
    {
        if (!entireColumns)
            throw AutomationError(AutomationFailure::Refused,
                                  "Range.AutoFit: the range is not made of whole columns");
        officeWrite(*context->document, "Range.AutoFit", [&] {
            const Reference<css::beans::XPropertySet> columns(
                Reference<css::table::XColumnRowRange>(range, UNO_QUERY_THROW)->getColumns(),
                UNO_QUERY_THROW);
            columns->setPropertyValue("OptimalWidth", Any(true));
        });
    }

    void BorderAround(std::int16_t lineStyle, std::int32_t weight, std::int32_t colorIndex,
                      std::int32_t color) override
    {
        const auto border = outline(lineStyle, weight, colorIndex, color);
        officeWrite(*context->document, "Range.BorderAround",
                    [&] { properties()->setPropertyValue("TableBorder2", Any(border)); });
    }

    std::int32_t Column() override
    {
        return officeCall("Range.Column", [&] {
            context->document->ensureOpen("Range.Column");
            return addressOf(range).StartColumn + 1;
        });
    }

    std::unique_ptr<AutomationRange> EntireColumn() override
    {
        return officeCall("Range.EntireColumn", [&]() -> std::unique_ptr<AutomationRange> {
            context->document->ensureOpen("Range.EntireColumn");
            const auto address = addressOf(range);
            const auto lastRow = addressOf(context->sheet).EndRow;
            return std::make_unique<CalcRange>(
                context,
                context->sheet->getCellRangeByPosition(address.StartColumn, 0, address.EndColumn,
                                                       lastRow),
                true);
        });
    }

    std::unique_ptr<AutomationFont> Font() override
    {
        return std::make_unique<CalcFont>(context->document, properties());
    }

    std::string Formula() override
    {
        return officeCall("Range.Formula", [&] {
            context->document->ensureOpen("Range.Formula");
            return toUtf8(range->getCellByPosition(0, 0)->getFormula());
        });
    }

    void PutHorizontalAlignment(std::int16_t alignment) override
    {
        const auto justify = horizontalJustify(alignment);
        officeWrite(*context->document, "Range.HorizontalAlignment",
                    [&] { properties()->setPropertyValue("HoriJustify", Any(justify)); });
    }

    std::unique_ptr<AutomationInterior> Interior() override
    {
        return std::make_unique<CalcInterior>(context->document, properties());
    }

    std::int32_t Row() override
    {
        return officeCall("Range.Row", [&] {
            context->document->ensureOpen("Range.Row");
            return addressOf(range).StartRow + 1;
        });
    }

    void Select() override
    {
        officeCall("Range.Select", [&] {
            context->document->ensureOpen("Range.Select");
            context->selection("Range.Select")->select(Any(range));
        });
    }

    void PutValue(const CellValue& value) override
    {
        officeWrite(*context->document, "Range.Value", [&] {
            // A single cell is its own XCell; a larger range gets the value
            // in every cell, as in Excel.
            if (const Reference<css::table::XCell> cell(range, UNO_QUERY); cell.is()) {
                put(cell, value);
                return;
            }
            const auto address = addressOf(range);
            for (sal_Int32 row = 0; row <= address.EndRow - address.StartRow; ++row) {
                for (sal_Int32 column = 0; column <= address.EndColumn - address.StartColumn;
                     ++column)
                    put(range->getCellByPosition(column, row), value);
            }
        });
    }

    void PutVerticalAlignment(std::int16_t alignment) override
    {
        const sal_Int32 justify = verticalJustify(alignment);
        officeWrite(*context->document, "Range.VerticalAlignment",
                    [&] { properties()->setPropertyValue("VertJustify", Any(justify)); });
    }

private:
    static void put(const Reference<css::table::XCell>& cell, const CellValue& value)
    {
        if (const auto* text = std::get_if<std::string>(&value)) {
            // Read as if the user had typed it, in the office's own locale
            // (decimal separator, dates, a leading "=" for a formula).
            Reference<css::beans::XPropertySet>(cell, UNO_QUERY_THROW)
                ->setPropertyValue("FormulaLocal", Any(fromUtf8(*text)));
        } else if (const auto* integer = std::get_if<std::int32_t>(&value)) {
            cell->setValue(*integer);
        } else {
            cell->setValue(std::get<double>(value));
        }
    }

    Reference<css::beans::XPropertySet> properties()
    {
        return officeCall("Range", [&] {
            return Reference<css::beans::XPropertySet>(range, UNO_QUERY_THROW);
        });
    }

    std::shared_ptr<SheetContext> context;
    Reference<css::table::XCellRange> range;
    bool entireColumns;
};

class CalcWorksheet : public AutomationWorksheet {
public:
    explicit CalcWorksheet(std::shared_ptr<SheetContext> context) : context(std::move(context)) {}

    void Activate() override
    {
        officeCall("Worksheet.Activate", [&] {
            context->document->ensureOpen("Worksheet.Activate");
            activate(*context->document, context->sheet, "Worksheet.Activate");
        });
    }

    // The office deletes without asking.
    bool Delete() override
    {
        officeWrite(*context->document, "Worksheet.Delete", [&] {
            context->document->sheets()->removeByName(
                Reference<css::container::XNamed>(context->sheet, UNO_QUERY_THROW)->getName());
        });
        return true;
    }

    std::string Name() override
    {
        return officeCall("Worksheet.Name", [&] {
            context->document->ensureOpen("Worksheet.Name");
            return toUtf8(Reference<css::container::XNamed>(context->sheet, UNO_QUERY_THROW)->getName());
        });
    }

    std::unique_ptr<AutomationRange> Range(const std::string& cell1,
                                           const std::string& cell2) override
    {
        return officeCall("Worksheet.Range", [&] {
            context->document->ensureOpen("Worksheet.Range");
            const std::string reference = cell1 == cell2 ? cell1 : cell1 + ":" + cell2;
            return std::make_unique<CalcRange>(
                context, context->sheet->getCellRangeByName(fromUtf8(reference)), false);
        });
    }

    std::unique_ptr<AutomationRange> UsedRange() override
    {
        return officeCall("Worksheet.UsedRange", [&] {
            context->document->ensureOpen("Worksheet.UsedRange");
            // An empty sheet's used area is its first cell, as in Excel.
            const auto cursor = context->sheet->createCursor();
            const Reference<css::sheet::XUsedAreaCursor> area(cursor, UNO_QUERY_THROW);
            area->gotoStartOfUsedArea(false);
            area->gotoEndOfUsedArea(true);
            return std::make_unique<CalcRange>(
                context, Reference<css::table::XCellRange>(cursor, UNO_QUERY_THROW), false);
        });
    }

    const Document& document() const { return context->document; }
    const Reference<css::sheet::XSpreadsheet>& sheet() const { return context->sheet; }

    // Shows sheet in its document's window and makes that window the
    // office's active one, where the active cell is read.
    static void activate(const OpenDocument& document,
                         const Reference<css::sheet::XSpreadsheet>& sheet,
                         const std::string& member)
    {
        const auto controller = controllerOf(document, member);
        controller->getFrame()->activate();
        Reference<css::sheet::XSpreadsheetView>(controller, UNO_QUERY_THROW)->setActiveSheet(sheet);
    }

private:
    std::shared_ptr<SheetContext> context;
};

class CalcWorksheets : public AutomationWorksheets {
public:
    CalcWorksheets(std::shared_ptr<Session> session, Document document)
        : session(std::move(session)), document(std::move(document))
    {
    }

    std::unique_ptr<AutomationWorksheet> Add(AutomationWorksheet& before) override
    {
        const auto* beforeSheet = dynamic_cast<CalcWorksheet*>(&before);
        if (beforeSheet == nullptr || beforeSheet->document() != document)
            throw AutomationError(AutomationFailure::Refused,
                                  "Worksheets.Add: Before is not a worksheet of this workbook");
        std::unique_ptr<AutomationWorksheet> added;
        officeWrite(*document, "Worksheets.Add", [&] {
            const auto position = static_cast<sal_Int16>(addressOf(beforeSheet->sheet()).Sheet);
            const auto& sheets = document->sheets();
            const auto name = freeName();
            sheets->insertNewByName(name, position);
            const Reference<css::sheet::XSpreadsheet> sheet(
                document->sheetsByIndex()->getByIndex(position), UNO_QUERY_THROW);
            // Excel makes the new worksheet the active one.
            CalcWorksheet::activate(*document, sheet, "Worksheets.Add");
            added = std::make_unique<CalcWorksheet>(
                std::make_shared<SheetContext>(session, document, sheet));
        });
        return added;
    }

    std::int32_t Count() override
    {
        return officeCall("Worksheets.Count", [&] {
            document->ensureOpen("Worksheets.Count");
            return document->sheetsByIndex()->getCount();
        });
    }

    std::unique_ptr<AutomationWorksheet> Item(std::int16_t index) override
    {
        const std::string member = "Worksheets.Item(" + std::to_string(index) + ")";
        return officeCall(member, [&] {
            document->ensureOpen(member);
            // The office refuses positions it does not hold.
            const Reference<css::sheet::XSpreadsheet> sheet(
                document->sheetsByIndex()->getByIndex(index - 1), UNO_QUERY_THROW);
            return std::make_unique<CalcWorksheet>(
                std::make_shared<SheetContext>(session, document, sheet));
        });
    }

private:
    // Excel's way of naming a new worksheet: "Sheet" and the first number
    // past the count that no worksheet uses yet.
    OUString freeName()
    {
        const auto& sheets = document->sheets();
        for (sal_Int32 number = document->sheetsByIndex()->getCount() + 1;; ++number) {
            const OUString name = "Sheet" + OUString::number(number);
            if (!sheets->hasByName(name))
                return name;
        }
    }

    std::shared_ptr<Session> session;
    Document document;
};

// The workbooks as one binding sees them: the office's windows are listed
// once, and again after the binding itself added, opened or closed one. A
// workbook the user closes meanwhile drops out at once (its watch says so);
// one the user opens meanwhile shows from the next binding on.
class WorkbookList {
public:
    explicit WorkbookList(std::shared_ptr<Session> session) : session(std::move(session)) {}

    const std::vector<Document>& documents()
    {
        if (!listed) {
            list = session->spreadsheets();
            listed = true;
        }
        std::erase_if(list, [](const Document& document) { return document->closed(); });
        return list;
    }

    void changed() { listed = false; }

private:
    std::shared_ptr<Session> session;
    std::vector<Document> list;
    bool listed = false;
};

class CalcWorkbook : public AutomationWorkbook {
public:
    CalcWorkbook(std::shared_ptr<Session> session, std::shared_ptr<WorkbookList> workbooks,
                 Document document)
        : session(std::move(session)), workbooks(std::move(workbooks)), document(std::move(document))
    {
    }

    void Close(std::int16_t saveChanges) override
    {
        officeCall("Workbook.Close", [&] {
            document->ensureOpen("Workbook.Close");
            const auto& model = document->model();
            if (saveChanges != 0 &&
                Reference<css::util::XModifiable>(model, UNO_QUERY_THROW)->isModified()) {
                const Reference<css::frame::XStorable> storable(model, UNO_QUERY_THROW);
                // Where Excel would ask for a file name, we refuse rather
                // than throw the user's changes away.
                if (!storable->hasLocation()) {
                    const std::string title = toUtf8(document->title());
                    throw AutomationError(AutomationFailure::NeverSaved,
                                          "Workbook.Close: \"" + title +
                                              "\" has no file to save its changes to",
                                          title);
                }
                storable->store();
            }
            workbooks->changed();
            Reference<css::util::XCloseable>(model, UNO_QUERY_THROW)->close(true);
        });
    }

    // The office's active frame is the one its desktop hands out as the
    // current one, where the active cell is read.
    void Activate() override
    {
        officeCall("Workbook.Activate", [&] {
            document->ensureOpen("Workbook.Activate");
            controllerOf(*document, "Workbook.Activate")->getFrame()->activate();
        });
    }

    std::unique_ptr<AutomationWorksheet> ActiveSheet() override
    {
        return officeCall("Workbook.ActiveSheet", [&] {
            document->ensureOpen("Workbook.ActiveSheet");
            const Reference<css::sheet::XSpreadsheetView> view(
                controllerOf(*document, "Workbook.ActiveSheet"), UNO_QUERY_THROW);
            return std::make_unique<CalcWorksheet>(
                std::make_shared<SheetContext>(session, document, view->getActiveSheet()));
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
            return toUtf8(document->title());
        });
    }

    std::unique_ptr<AutomationWorksheets> Worksheets() override
    {
        document->ensureOpen("Workbook.Worksheets");
        return std::make_unique<CalcWorksheets>(session, document);
    }

    const Document& spreadsheet() const { return document; }

private:
    std::shared_ptr<Session> session;
    std::shared_ptr<WorkbookList> workbooks;
    Document document;
};

class CalcWorkbooks : public AutomationWorkbooks {
public:
    CalcWorkbooks(std::shared_ptr<Session> session, std::shared_ptr<WorkbookList> list)
        : session(std::move(session)), list(std::move(list))
    {
    }

    std::unique_ptr<AutomationWorkbook> Add() override
    {
        list->changed();
        return officeCall("Workbooks.Add", [&] {
            // A window of its own, so the new workbook comes last, as in Excel.
            return workbookOf(session->desktop()->loadComponentFromURL(
                                  "private:factory/scalc", "_blank", 0, loadArguments()),
                              AutomationError(AutomationFailure::Refused,
                                              "Workbooks.Add: the office made no spreadsheet"));
        });
    }

    std::int32_t Count() override
    {
        return officeCall("Workbooks.Count", [&] {
            return static_cast<std::int32_t>(list->documents().size());
        });
    }

    std::unique_ptr<AutomationWorkbook> Item(std::int16_t index) override
    {
        const auto& documents =
            officeCall("Workbooks.Item", [&]() -> const std::vector<Document>& { return list->documents(); });
        if (index < 1 || static_cast<std::size_t>(index) > documents.size())
            throw AutomationError(AutomationFailure::NoSuchItem,
                                  "Workbooks.Item(" + std::to_string(index) +
                                      "): there is no such position");
        return std::make_unique<CalcWorkbook>(session, list,
                                              documents[static_cast<std::size_t>(index - 1)]);
    }

    std::unique_ptr<AutomationWorkbook> Open(const std::string& path) override
    {
        OUString url;
        if (osl::FileBase::getFileURLFromSystemPath(fromUtf8(path), url) != osl::FileBase::E_None)
            throw AutomationError(AutomationFailure::CannotOpen,
                                  "Workbooks.Open: \"" + path + "\" is no file name", path);
        return officeCall("Workbooks.Open", [&]() -> std::unique_ptr<AutomationWorkbook> {
            // A workbook that is open already is shown, as Excel does; a
            // second load would find the file locked.
            for (const auto& document : list->documents()) {
                if (document->model()->getURL() == url) {
                    controllerOf(*document, "Workbooks.Open")->getFrame()->activate();
                    return std::make_unique<CalcWorkbook>(session, list, document);
                }
            }
            list->changed();
            const auto component =
                session->desktop()->loadComponentFromURL(url, "_blank", 0, loadArguments());
            if (!component.is())
                throw AutomationError(AutomationFailure::CannotOpen,
                                      "Workbooks.Open: \"" + path + "\" could not be opened",
                                      path);
            return workbookOf(component,
                              AutomationError(AutomationFailure::CannotOpen,
                                              "Workbooks.Open: \"" + path + "\" is no spreadsheet",
                                              path));
        });
    }

private:
    // The workbook of what the office loaded; notASpreadsheet when it is
    // none.
    std::unique_ptr<AutomationWorkbook> workbookOf(const Reference<css::lang::XComponent>& component,
                                                   const AutomationError& notASpreadsheet)
    {
        const Reference<css::frame::XModel> model(component, UNO_QUERY);
        auto document = model.is() ? session->document(model) : nullptr;
        if (!document) {
            // Loaded by another application of the office (a text file in
            // Writer): not a workbook, so it does not stay open as one.
            const Reference<css::util::XCloseable> closeable(component, UNO_QUERY);
            if (closeable.is())
                closeable->close(true);
            throw notASpreadsheet;
        }
        return std::make_unique<CalcWorkbook>(session, list, std::move(document));
    }

    std::shared_ptr<Session> session;
    std::shared_ptr<WorkbookList> list;
};

class CalcApplication : public AutomationApplication {
public:
    explicit CalcApplication(std::shared_ptr<Session> session) : session(std::move(session)) {}

    std::unique_ptr<AutomationRange> ActiveCell() override
    {
        return officeCall("Application.ActiveCell", [&] {
            const auto frame = session->desktop()->getCurrentFrame();
            const auto controller = frame.is() ? frame->getController() : nullptr;
            const auto model = controller.is() ? controller->getModel() : nullptr;
            const auto document = model.is() ? session->document(model) : nullptr;
            if (!document)
                throw AutomationError(AutomationFailure::Refused,
                                      "Application.ActiveCell: the active window shows no workbook");
            // The cell cursor, or the first cell of what is selected.
            const Any selection =
                Reference<css::view::XSelectionSupplier>(controller, UNO_QUERY_THROW)->getSelection();
            Reference<css::uno::XInterface> first(selection, UNO_QUERY);
            if (!Reference<css::sheet::XCellRangeAddressable>(first, UNO_QUERY).is()) {
                const Reference<css::container::XIndexAccess> ranges(first, UNO_QUERY);
                if (!ranges.is() || ranges->getCount() == 0)
                    throw AutomationError(AutomationFailure::Refused,
                                          "Application.ActiveCell: no cell is selected");
                first.set(ranges->getByIndex(0), UNO_QUERY_THROW);
            }
            const auto address = addressOf(first);
            const Reference<css::sheet::XSpreadsheet> sheet(
                document->sheetsByIndex()->getByIndex(address.Sheet), UNO_QUERY_THROW);
            return std::make_unique<CalcRange>(
                std::make_shared<SheetContext>(session, document, sheet),
                sheet->getCellRangeByPosition(address.StartColumn, address.StartRow,
                                              address.StartColumn, address.StartRow),
                false);
        });
    }

    std::unique_ptr<AutomationWorkbook> ActiveWorkbook() override
    {
        return officeCall("Application.ActiveWorkbook", [&]() -> std::unique_ptr<AutomationWorkbook> {
            const auto frame = session->desktop()->getCurrentFrame();
            const auto controller = frame.is() ? frame->getController() : nullptr;
            const auto model = controller.is() ? controller->getModel() : nullptr;
            auto document = model.is() ? session->document(model) : nullptr;
            if (!document)
                return nullptr;
            return std::make_unique<CalcWorkbook>(session, workbooks, std::move(document));
        });
    }

    void Quit() override
    {
        try {
            // With unsaved changes the office asks its user first; a "cancel"
            // there keeps it running, as with Excel.
            session->desktop()->terminate();
        } catch (const css::lang::DisposedException&) {
            // It went away before it could answer: it has quit.
        } catch (const css::uno::Exception& exception) {
            throw caughtError("Application.Quit", exception);
        }
    }

    // Calc draws as it goes and has no switch for it.
    void PutScreenUpdating(bool) override {}

    void PutVisible(bool visible) override
    {
        officeCall("Application.Visible", [&] { session->showWindow(visible); });
    }

    std::unique_ptr<AutomationWorkbooks> Workbooks() override
    {
        return std::make_unique<CalcWorkbooks>(session, workbooks);
    }

    // Every call went to the office as it was made.
    void Flush() override {}

private:
    std::shared_ptr<Session> session;
    std::shared_ptr<WorkbookList> workbooks = std::make_shared<WorkbookList>(session);
};

} // namespace

std::shared_ptr<AutomationApplication> makeApplication(std::shared_ptr<Session> session)
{
    return std::make_shared<CalcApplication>(std::move(session));
}

std::unique_ptr<AutomationWorkbooks> makeWorkbooks(std::shared_ptr<Session> session)
{
    auto list = std::make_shared<WorkbookList>(session);
    return std::make_unique<CalcWorkbooks>(std::move(session), std::move(list));
}

std::unique_ptr<AutomationWorkbook> makeWorkbook(std::shared_ptr<Session> session, Document document)
{
    auto list = std::make_shared<WorkbookList>(session);
    return std::make_unique<CalcWorkbook>(std::move(session), std::move(list), std::move(document));
}

Document documentOf(const AutomationWorkbook& workbook)
{
    return dynamic_cast<const CalcWorkbook&>(workbook).spreadsheet();
}

std::unique_ptr<AutomationWorksheets> makeWorksheets(std::shared_ptr<Session> session,
                                                     Document document)
{
    return std::make_unique<CalcWorksheets>(std::move(session), std::move(document));
}

} // namespace sheetwire::calc
