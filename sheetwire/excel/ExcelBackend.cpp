// Excel's object model as the automation interface: each class holds the
// IDispatch of its Excel object and calls Excel's members by their
// dispatch identifiers.

#include "sheetwire/ExcelBackend.h"

#include "Dispatch.h"
#include "PlatformBackend.h"

#include <objbase.h>

namespace sheetwire {
namespace excel {
namespace {

// Excel's dispatch identifiers, from its type library. Never looked up by
// name: a lookup under a locale other than Excel's own fails on some
// installations.
namespace id {
constexpr DISPID activeCell = 0x131, activeSheet = 0x133, activeWorkbook = 0x134, quit = 0x12E,
                 screenUpdating = 0x17E, visible = 0x22E, workbooks = 0x23C;
constexpr DISPID add = 0xB5, count = 0x76, item = 0xAA, open = 0x2AA;
constexpr DISPID close = 0x115, name = 0x6E, worksheets = 0x1EE, application = 0x94,
                 fullName = 0x121, hwnd = 0x79E;
constexpr DISPID activate = 0x130, remove = 0x75, range = 0xC5, usedRange = 0x19C;
constexpr DISPID address = 0xEC, formula = 0x105;
constexpr DISPID autoFit = 0xED, borderAround = 0x42B, column = 0xF0, entireColumn = 0xF6,
                 font = 0x92, horizontalAlignment = 0x88, interior = 0x81, row = 0x101,
                 select = 0xEB, value = 0x06, verticalAlignment = 0x89;
constexpr DISPID colorIndex = 0x61, pattern = 0x5F;
} // namespace id

// Open takes its file name and twelve optional arguments.
constexpr int openOptionalArguments = 12;

class Font : public AutomationFont {
public:
    explicit Font(Dispatch object) : object(std::move(object)) {}
    void PutColorIndex(std::int16_t colorIndex) override
    {
        object.put("ColorIndex", id::colorIndex, Variant::int16(colorIndex));
    }

private:
    Dispatch object;
};

class Interior : public AutomationInterior {
public:
    explicit Interior(Dispatch object) : object(std::move(object)) {}
    void PutColorIndex(std::int16_t colorIndex) override
    {
        object.put("ColorIndex", id::colorIndex, Variant::int16(colorIndex));
    }
    void PutPattern(std::int16_t pattern) override
    {
        object.put("Pattern", id::pattern, Variant::int16(pattern));
    }

private:
    Dispatch object;
};

class Range : public AutomationRange {
public:
    explicit Range(Dispatch object) : object(std::move(object)) {}

    // RowAbsolute, ColumnAbsolute, ReferenceStyle, External and RelativeTo
    // left to their defaults: "$A$1:$B$5".
    std::string Address() override { return object.getText("Address", id::address); }

    void AutoFit() override { object.call("AutoFit", id::autoFit); }
    void BorderAround(std::int16_t lineStyle, std::int32_t weight, std::int32_t colorIndex,
                      std::int32_t color) override
    {
        std::vector<Variant> arguments;
        arguments.push_back(Variant::int16(lineStyle));
        arguments.push_back(Variant::int32(weight));
        arguments.push_back(Variant::int32(colorIndex));
        arguments.push_back(Variant::int32(color));
        object.call("BorderAround", id::borderAround, std::move(arguments));
    }
    std::int32_t Column() override { return object.getLong("Column", id::column); }
    std::unique_ptr<AutomationRange> EntireColumn() override
    {
        return std::make_unique<Range>(object.getObject("EntireColumn", id::entireColumn, "Range"));
    }
    std::unique_ptr<AutomationFont> Font() override
    {
        return std::make_unique<excel::Font>(object.getObject("Font", id::font, "Font"));
    }
    std::string Formula() override { return object.getText("Formula", id::formula); }

    void PutHorizontalAlignment(std::int16_t alignment) override
    {
        object.put("HorizontalAlignment", id::horizontalAlignment, Variant::int16(alignment));
    }
    std::unique_ptr<AutomationInterior> Interior() override
    {
        return std::make_unique<excel::Interior>(object.getObject("Interior", id::interior, "Interior"));
    }
    std::int32_t Row() override { return object.getLong("Row", id::row); }
    void Select() override { object.call("Select", id::select); }
    void PutValue(const CellValue& value) override
    {
        object.put("Value", id::value, Variant::cell(value));
    }
    void PutVerticalAlignment(std::int16_t alignment) override
    {
        object.put("VerticalAlignment", id::verticalAlignment, Variant::int16(alignment));
    }

private:
    Dispatch object;
};

class Worksheet : public AutomationWorksheet {
public:
    explicit Worksheet(Dispatch object) : object(std::move(object)) {}

    void Activate() override { object.call("Activate", id::activate); }
    // Excel asks its user first and answers False for Cancel.
    bool Delete() override
    {
        const Variant deleted = object.call("Delete", id::remove);
        return !(deleted.get().vt == VT_BOOL && deleted.get().boolVal == VARIANT_FALSE);
    }
    std::string Name() override { return object.getText("Name", id::name); }
    std::unique_ptr<AutomationRange> Range(const std::string& cell1, const std::string& cell2) override
    {
        std::vector<Variant> corners;
        corners.push_back(Variant::text(cell1));
        corners.push_back(Variant::text(cell2));
        return std::make_unique<excel::Range>(object.getObject("Range", id::range, "Range", std::move(corners)));
    }

    std::unique_ptr<AutomationRange> UsedRange() override
    {
        return std::make_unique<excel::Range>(object.getObject("UsedRange", id::usedRange, "Range"));
    }

    IDispatch* raw() const { return object.raw(); }

private:
    Dispatch object;
};

class Worksheets : public AutomationWorksheets {
public:
    explicit Worksheets(Dispatch object) : object(std::move(object)) {}

    std::unique_ptr<AutomationWorksheet> Add(AutomationWorksheet& before) override
    {
        auto* sheet = dynamic_cast<Worksheet*>(&before);
        std::vector<Variant> arguments;
        arguments.push_back(Variant::dispatch(sheet != nullptr ? sheet->raw() : nullptr));
        for (int i = 0; i < 3; ++i) // After, Count, Type
            arguments.push_back(Variant::omitted());
        Variant added = object.call("Add", id::add, std::move(arguments));
        return std::make_unique<Worksheet>(adopt(added, "Add"));
    }
    std::int32_t Count() override { return object.getLong("Count", id::count); }
    std::unique_ptr<AutomationWorksheet> Item(std::int16_t index) override
    {
        std::vector<Variant> position;
        position.push_back(Variant::int16(index));
        return std::make_unique<Worksheet>(object.getObject("Item", id::item, "Worksheet", std::move(position)));
    }

private:
    Dispatch adopt(Variant& result, const char* member) const
    {
        if (result.get().vt != VT_DISPATCH || result.get().pdispVal == nullptr)
            throw AutomationError(AutomationFailure::Refused, std::string("Worksheets.") + member +
                                                                  ": " + systemText(DISP_E_TYPEMISMATCH));
        result.get().pdispVal->AddRef();
        return object.adopt(result.get().pdispVal, "Worksheet");
    }

    Dispatch object;
};

class Workbook : public AutomationWorkbook {
public:
    explicit Workbook(Dispatch object) : object(std::move(object)) {}

    void Activate() override { object.call("Activate", id::activate); }
    std::unique_ptr<AutomationWorksheet> ActiveSheet() override
    {
        return std::make_unique<Worksheet>(object.getObject("ActiveSheet", id::activeSheet, "Worksheet"));
    }

    void Close(std::int16_t saveChanges) override
    {
        std::vector<Variant> arguments;
        arguments.push_back(Variant::int16(saveChanges));
        arguments.push_back(Variant::null()); // Filename
        arguments.push_back(Variant::null()); // RouteWorkbook
        object.call("Close", id::close, std::move(arguments));
    }
    // The workbook's file, as Excel names it; a workbook never saved has only
    // its name, which Excel gives anew ("Book1") when it restarts, so the
    // Excel it lives in tells those apart.
    std::uint64_t Identity() override
    {
        std::string key = object.getText("FullName", id::fullName);
        if (key.find_first_of("\\/") == std::string::npos) {
            const Dispatch application = object.getObject("Application", id::application, "Application");
            key += '|' + std::to_string(application.getLong("Hwnd", id::hwnd));
        }
        // FNV-1a, never 0.
        std::uint64_t hash = 0xcbf29ce484222325u;
        for (const unsigned char c : key)
            hash = (hash ^ c) * 0x100000001b3u;
        return hash != 0 ? hash : 1;
    }
    std::string Name() override { return object.getText("Name", id::name); }
    std::unique_ptr<AutomationWorksheets> Worksheets() override
    {
        return std::make_unique<excel::Worksheets>(object.getObject("Worksheets", id::worksheets, "Worksheets"));
    }

private:
    Dispatch object;
};

Dispatch workbookOf(const Dispatch& workbooks, Variant& result, const char* member)
{
    if (result.get().vt != VT_DISPATCH || result.get().pdispVal == nullptr)
        throw AutomationError(AutomationFailure::Refused,
                              std::string("Workbooks.") + member + ": " + systemText(DISP_E_TYPEMISMATCH));
    result.get().pdispVal->AddRef();
    return workbooks.adopt(result.get().pdispVal, "Workbook");
}

class Workbooks : public AutomationWorkbooks {
public:
    explicit Workbooks(Dispatch object) : object(std::move(object)) {}

    std::unique_ptr<AutomationWorkbook> Add() override
    {
        std::vector<Variant> arguments;
        arguments.push_back(Variant::omitted()); // Template
        Variant added = object.call("Add", id::add, std::move(arguments));
        return std::make_unique<Workbook>(workbookOf(object, added, "Add"));
    }
    std::int32_t Count() override { return object.getLong("Count", id::count); }
    std::unique_ptr<AutomationWorkbook> Item(std::int16_t index) override
    {
        std::vector<Variant> position;
        position.push_back(Variant::int16(index));
        return std::make_unique<Workbook>(object.getObject("Item", id::item, "Workbook", std::move(position)));
    }
    std::unique_ptr<AutomationWorkbook> Open(const std::string& path) override
    {
        std::vector<Variant> arguments;
        arguments.push_back(Variant::text(path));
        for (int i = 0; i < openOptionalArguments; ++i)
            arguments.push_back(Variant::omitted());
        try {
            Variant opened = object.call("Open", id::open, std::move(arguments));
            return std::make_unique<Workbook>(workbookOf(object, opened, "Open"));
        } catch (const AutomationError& error) {
            // The operator's message names the file.
            if (error.failure() != AutomationFailure::CannotOpen)
                throw;
            throw AutomationError(AutomationFailure::CannotOpen, error.detail(), path);
        }
    }

private:
    Dispatch object;
};

// Excel's Application. One obtained on a thread of its own apartment for the
// length of the binding (see Apartment) arrives marshalled and is
// unmarshalled where it is first used: a proxy answers only in the apartment
// that unmarshalled it.
class Application : public AutomationApplication {
public:
    explicit Application(Dispatch object) : object(std::move(object)) {}
    Application(IStream* marshalled, std::chrono::milliseconds busyWait)
        : marshalled(marshalled), busyWait(busyWait)
    {
    }
    ~Application() override
    {
        if (marshalled == nullptr)
            return;
        // Never used: the references the marshalled packet holds go back.
        const LARGE_INTEGER start{};
        marshalled->Seek(start, STREAM_SEEK_SET, nullptr);
        CoReleaseMarshalData(marshalled);
        marshalled->Release();
    }
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    std::unique_ptr<AutomationRange> ActiveCell() override
    {
        return std::make_unique<Range>(self().getObject("ActiveCell", id::activeCell, "Range"));
    }
    std::unique_ptr<AutomationWorkbook> ActiveWorkbook() override
    {
        auto workbook = self().getObjectOrNothing("ActiveWorkbook", id::activeWorkbook, "Workbook");
        if (!workbook)
            return nullptr;
        return std::make_unique<Workbook>(std::move(workbook));
    }
    void Quit() override { self().call("Quit", id::quit); }
    void PutScreenUpdating(bool on) override
    {
        self().put("ScreenUpdating", id::screenUpdating, Variant::boolean(on));
    }
    void PutVisible(bool visible) override
    {
        self().put("Visible", id::visible, Variant::boolean(visible));
    }
    std::unique_ptr<AutomationWorkbooks> Workbooks() override
    {
        return std::make_unique<excel::Workbooks>(self().getObject("Workbooks", id::workbooks, "Workbooks"));
    }
    // Every call reaches Excel as it is made.
    void Flush() override {}

private:
    const Dispatch& self()
    {
        if (marshalled != nullptr) {
            IDispatch* unmarshalled = nullptr;
            const HRESULT status = CoGetInterfaceAndReleaseStream(
                marshalled, IID_IDispatch, reinterpret_cast<void**>(&unmarshalled));
            marshalled = nullptr;
            if (FAILED(status) || unmarshalled == nullptr)
                throw AutomationError(AutomationFailure::ApplicationGone,
                                      "Application: " + systemText(status));
            object = Dispatch(unmarshalled, "Application", busyWait);
        }
        return object;
    }

    Dispatch object;
    IStream* marshalled = nullptr;
    std::chrono::milliseconds busyWait{};
};

// COM for one binding step on the calling thread. The program's UI thread
// has it already (wx initialises OLE there) and keeps what it obtains. A
// thread without it, such as the one that waits for a starting Excel while
// the windows repaint, gets an apartment for the step alone, ended before
// the step returns; what it obtained leaves it only marshalled.
class Apartment {
public:
    Apartment() : status(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~Apartment()
    {
        if (SUCCEEDED(status))
            CoUninitialize();
    }
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;

    // Ends with this step.
    bool ownsThread() const { return status == S_OK; }

private:
    HRESULT status;
};

bool excelClass(CLSID& excel)
{
    return SUCCEEDED(CLSIDFromProgID(L"Excel.Application", &excel));
}

std::shared_ptr<AutomationApplication> applicationOf(IUnknown* object, const Apartment& apartment,
                                                     std::chrono::milliseconds busyWait)
{
    IDispatch* dispatch = nullptr;
    const HRESULT status = object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    object->Release();
    if (FAILED(status) || dispatch == nullptr)
        return nullptr;
    if (!apartment.ownsThread())
        return std::make_shared<Application>(Dispatch(dispatch, "Application", busyWait));
    IStream* marshalled = nullptr;
    const HRESULT marshalling = CoMarshalInterThreadInterfaceInStream(IID_IDispatch, dispatch, &marshalled);
    dispatch->Release();
    if (FAILED(marshalling))
        return nullptr;
    return std::make_shared<Application>(marshalled, busyWait);
}

} // namespace
} // namespace excel

std::shared_ptr<AutomationApplication> ExcelBackend::AttachRunning()
{
    const excel::Apartment apartment;
    CLSID excel;
    if (!excel::excelClass(excel))
        return nullptr;
    IUnknown* running = nullptr;
    if (FAILED(GetActiveObject(excel, nullptr, &running)) || running == nullptr)
        return nullptr;
    return excel::applicationOf(running, apartment, busyWait);
}

std::shared_ptr<AutomationApplication> ExcelBackend::Launch()
{
    const excel::Apartment apartment;
    CLSID excel;
    if (!excel::excelClass(excel))
        return nullptr;
    IUnknown* started = nullptr;
    if (FAILED(CoCreateInstance(excel, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&started))) ||
        started == nullptr)
        return nullptr;
    return excel::applicationOf(started, apartment, busyWait);
}

bool ExcelBackend::IsRunning()
{
    const excel::Apartment apartment;
    CLSID excel;
    if (!excel::excelClass(excel))
        return false;
    IUnknown* running = nullptr;
    if (FAILED(GetActiveObject(excel, nullptr, &running)) || running == nullptr)
        return false;
    running->Release();
    return true;
}

std::shared_ptr<AutomationBackend> makePlatformBackend()
{
    return std::make_shared<ExcelBackend>();
}

} // namespace sheetwire
